import QtQuick 2.15

// A toolbar button that leads back, its label after the arrow.
Boton {
    property string label: ""
    text: "\u25C0 " + label
}
