import QtQuick 2.15

// The engine's progress texts over a cable-modem screen: while the screen listens to the
// engine, the text of the step it reports is shown; an empty text (the step is over) hides
// the overlay, and so does the screen no longer listening. The screen may keep the overlay
// down for a while (hide) whatever the engine reports. It is drawn where the screen declares
// it, so every dialog the screen opens later lies above it.
Rectangle {
    id: overlay

    // The owning screen's connections to the engine.
    property bool active: false
    property bool shown: true
    property alias text: label.text
    property int maxWidth: 600

    visible: active && shown && label.text !== ""
    width: Math.min(natural.implicitWidth + 40, maxWidth)
    // A verdict may say on a second line what to do about it.
    height: Math.max(40, label.implicitHeight + 16)
    radius: Theme.radius
    color: Theme.messageBackground

    function show() { shown = true }
    function hide() { shown = false }
    function clear() { label.text = "" }

    onActiveChanged: {
        if (!active)
            clear()
    }

    Connections {
        target: measuresCM
        enabled: overlay.active
        function onCm_status_information(status) { label.text = status }
    }

    Text {
        id: label
        objectName: "message"
        anchors.centerIn: parent
        width: Math.min(natural.implicitWidth, overlay.maxWidth - 40)
        horizontalAlignment: Text.AlignHCenter
        // Where the overlay is narrow, a text goes on in lines.
        wrapMode: Text.WordWrap
        color: Theme.messageText
        font.pixelSize: Theme.fontBody
    }
    // The widest line of the text: a wrapping text's own implicit width runs its lines together.
    Text {
        id: natural
        visible: false
        text: label.text
        font: label.font
    }
}
