import QtQuick 2.15
import "qrc:///js/code/miscelanea.js" as Miscelanea

// The configuration menu of a measurement screen: its settings dialogs in a list under the
// top bar. An entry opens qml/code/<dialog>.qml over the screen; a touch elsewhere closes
// the menu.
Item {
    id: menu

    // [{ text: shown name, dialog: file name without ".qml", properties: its initial properties }]
    property var entries: []
    signal dialogOpened(string name, var dialog)

    anchors.fill: parent
    visible: false
    z: 100
    readonly property bool modal: true

    function open() { visible = true }
    function close() { visible = false }

    function openDialog(name, properties) {
        close()
        var dialog = Miscelanea.crearDialeg(name, menu.parent, properties)
        if (dialog)
            dialogOpened(name, dialog)
        return dialog
    }

    MouseArea {
        anchors.fill: parent
        onClicked: menu.close()
    }

    Rectangle {
        x: 4
        y: Theme.barHeight
        width: 340
        height: list.height + 8
        color: Theme.bar
        border.color: Theme.buttonBorder
        radius: Theme.radius

        Column {
            id: list
            x: 4
            y: 4
            spacing: 4
            Repeater {
                model: menu.entries
                ScreenButton {
                    objectName: "menuEntry" + index
                    width: 332
                    height: 46
                    fontSize: Theme.fontBody
                    text: modelData.text
                    onClicked: menu.openDialog(modelData.dialog, modelData.properties)
                }
            }
        }
    }
}
