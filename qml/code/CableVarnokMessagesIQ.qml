import QtQuick 2.15

// A framed text over the constellation; its owner sets the text. A text wider than the
// room given breaks into lines.
Rectangle {
    property alias text: label.text
    property real maxWidth: 1e6

    width: Math.min(maxWidth, label.implicitWidth + 24)
    height: label.height + 12
    color: Theme.messageBackground
    border.color: Theme.text
    border.width: 1
    visible: label.text !== ""

    Text {
        id: label
        anchors.centerIn: parent
        width: parent.width - 24
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.WordWrap
        color: Theme.messageText
        font.pixelSize: Theme.fontButton
    }
}
