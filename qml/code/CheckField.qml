import QtQuick 2.15

// A check box with its label; a touch anywhere on it toggles it.
Item {
    id: field

    property bool checked: false
    property alias text: label.text

    width: box.width + 10 + label.implicitWidth
    height: 40

    Rectangle {
        id: box
        anchors.verticalCenter: parent.verticalCenter
        width: 30
        height: 30
        radius: 4
        color: Theme.frame
        border.color: Theme.buttonBorder
        border.width: 2
        Text {
            anchors.centerIn: parent
            visible: field.checked
            text: "\u2713"
            color: Theme.pass
            font.pixelSize: Theme.fontButton
            font.bold: true
        }
    }
    Text {
        id: label
        anchors.left: box.right
        anchors.leftMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        color: Theme.text
        font.pixelSize: Theme.fontBody
    }
    MouseArea {
        anchors.fill: parent
        onClicked: field.checked = !field.checked
    }
}
