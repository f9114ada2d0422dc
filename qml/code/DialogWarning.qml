import QtQuick 2.15

// A warning over the screen that opened it; closes itself on "OK".
Rectangle {
    id: dialog
    anchors.fill: parent
    color: Theme.scrim
    // Over the screen's toolbars and dialogs too: nothing behind it takes a touch.
    z: 170
    readonly property bool modal: true

    property string text: ""

    // Touches do not reach the screen below.
    MouseArea {
        anchors.fill: parent
    }

    // Made in the engine's context (warning.js), the box's bindings still run while the page
    // under it is torn down and its parts lose their parents: they hold to the box by name.
    Rectangle {
        id: box
        anchors.centerIn: parent
        width: 460
        height: 220
        radius: Theme.radius
        color: Theme.bar
        border.color: Theme.warning
        border.width: 2

        Text {
            objectName: "warningText"
            anchors.top: box.top
            anchors.left: box.left
            anchors.right: box.right
            anchors.margins: Theme.spacing
            text: dialog.text
            color: Theme.attention
            font.pixelSize: Theme.fontLarge
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
        }

        ScreenButton {
            anchors.bottom: box.bottom
            anchors.bottomMargin: Theme.spacing
            anchors.horizontalCenter: box.horizontalCenter
            width: 140
            height: 50
            text: qsTr("OK")
            fontSize: Theme.fontLarge
            onClicked: dialog.destroy()
        }
    }
}
