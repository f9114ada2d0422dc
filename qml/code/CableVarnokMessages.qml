import QtQuick 2.15

// The engine's progress texts over a cable-modem screen: while the screen listens to the
// engine, each text it reports is shown; an empty text hides the overlay.
Rectangle {
    id: overlay

    // The owning screen's connections to the engine.
    property bool active: false
    property bool shown: true
    property alias text: label.text

    visible: shown && label.text !== ""
    width: Math.min(label.implicitWidth + 40, 600)
    height: 40
    radius: Theme.radius
    color: Theme.messageBackground
    z: 40

    function show() { shown = true }
    function hide() { shown = false }

    Connections {
        target: measuresCM
        enabled: overlay.active
        function onCm_status_information(status) {
            label.text = status
            overlay.shown = status !== ""
        }
    }

    Text {
        id: label
        objectName: "message"
        anchors.centerIn: parent
        width: Math.min(implicitWidth, 560)
        elide: Text.ElideRight
        color: Theme.messageText
        font.pixelSize: Theme.fontBody
    }
}
