import QtQuick 2.15
import QtQuick.Controls 1.4

// The modem's constellation: its canvas, a busy sign while the modem has not locked, and a
// framed message.
Rectangle {
    id: display

    property alias canvas: canvas
    property alias busy: busy.running
    property alias message: message.text

    color: Theme.frame
    border.color: Theme.panelBorder

    ConstellationCanvas {
        id: canvas
        anchors.fill: parent
        anchors.margins: 2
    }
    BusyIndicator {
        id: busy
        anchors.centerIn: parent
        running: true
        visible: running
    }
    CableVarnokMessagesIQ {
        id: message
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 6
        anchors.horizontalCenter: parent.horizontalCenter
        maxWidth: parent.width - 12
    }
}
