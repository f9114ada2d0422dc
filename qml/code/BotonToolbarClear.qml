import QtQuick 2.15

// Clears what a screen has gathered (held traces, a constellation).
Boton {
    width: 80
    text: qsTr("CLR")
}
