import QtQuick 2.15

// A toolbar button that leads on, its label before the arrow.
Boton {
    property string label: ""
    text: label + " \u25B6"
}
