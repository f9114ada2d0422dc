import QtQuick 2.15

// A warning over the screen that opened it; closes itself on "OK".
Rectangle {
    id: dialog
    anchors.fill: parent
    color: "#a0000000"

    property string text: ""

    // Touches do not reach the screen below.
    MouseArea {
        anchors.fill: parent
    }

    Rectangle {
        anchors.centerIn: parent
        width: 460
        height: 220
        radius: 8
        color: "#13243b"
        border.color: "orange"
        border.width: 2

        Text {
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.margins: 20
            text: dialog.text
            color: "yellow"
            font.pixelSize: 20
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
        }

        Rectangle {
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 20
            anchors.horizontalCenter: parent.horizontalCenter
            width: 140
            height: 50
            radius: 6
            color: ok.pressed ? "#1f6fb2" : "#16406a"

            Text {
                anchors.centerIn: parent
                text: qsTr("OK")
                color: "white"
                font.pixelSize: 20
            }

            MouseArea {
                id: ok
                anchors.fill: parent
                onClicked: dialog.destroy()
            }
        }
    }
}
