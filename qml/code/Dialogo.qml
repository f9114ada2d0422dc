import QtQuick 2.15

// A dialog over the screen that opened it: a titled box with its content and the
// "DONE" and "CANCEL" keys. Either key emits its signal and closes the dialog; the screen
// below takes no touch meanwhile.
Rectangle {
    id: dialog

    property string title: ""
    property bool showCancel: true
    property bool showDone: true
    property alias doneText: doneKey.text
    property int boxWidth: 460
    property int boxHeight: 300
    default property alias content: body.data
    signal done()
    signal cancelled()
    // Whichever way the dialog goes, just before it goes.
    signal closing()

    anchors.fill: parent
    color: Theme.scrim
    z: 150
    // Covers the screen: the screen takes no touch while it shows.
    readonly property bool modal: true

    function close() {
        closing()
        dialog.destroy()
    }

    MouseArea {
        anchors.fill: parent
    }

    Rectangle {
        id: box
        anchors.centerIn: parent
        width: dialog.boxWidth
        height: dialog.boxHeight
        radius: Theme.radius
        color: Theme.bar
        border.color: Theme.buttonBorder
        border.width: 2

        Text {
            id: titleText
            anchors.top: parent.top
            anchors.topMargin: 8
            anchors.horizontalCenter: parent.horizontalCenter
            width: parent.width - 2 * Theme.margin
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
            text: dialog.title
            color: Theme.text
            font.pixelSize: Theme.fontLarge
            font.bold: true
        }

        Item {
            id: body
            anchors.top: titleText.bottom
            anchors.topMargin: 8
            anchors.bottom: keys.top
            anchors.bottomMargin: 8
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: Theme.margin
            anchors.rightMargin: Theme.margin
        }

        Row {
            id: keys
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 10
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: Theme.spacing
            ScreenButton {
                id: doneKey
                objectName: "dialogDone"
                visible: dialog.showDone
                width: 140
                height: 48
                fontSize: Theme.fontBody
                text: qsTr("DONE")
                onClicked: {
                    dialog.done()
                    dialog.close()
                }
            }
            ScreenButton {
                objectName: "dialogCancel"
                visible: dialog.showCancel
                width: 140
                height: 48
                fontSize: Theme.fontBody
                text: qsTr("CANCEL")
                onClicked: {
                    dialog.cancelled()
                    dialog.close()
                }
            }
        }
    }

    AnimacioDialeg {
        id: appear
        target: box
    }
    Component.onCompleted: appear.start()
}
