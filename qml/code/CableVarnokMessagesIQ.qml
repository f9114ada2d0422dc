import QtQuick 2.15

// A framed text over the constellation; its owner sets the text.
Rectangle {
    property alias text: label.text

    width: label.implicitWidth + 24
    height: label.implicitHeight + 12
    color: Theme.messageBackground
    border.color: Theme.text
    border.width: 1
    visible: label.text !== ""

    Text {
        id: label
        anchors.centerIn: parent
        color: Theme.messageText
        font.pixelSize: Theme.fontButton
    }
}
