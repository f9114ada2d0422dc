import QtQuick 2.15

// Back to the main menu, exactly as the MENU key: the screen on show stops its measurement.
Boton {
    objectName: "home"
    width: 64
    text: "\u2302"
    fontSize: Theme.fontTitle
    onClicked: periodicFunctions.enviarSignalBotonHome()
}
