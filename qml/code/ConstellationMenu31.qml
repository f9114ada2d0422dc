import QtQuick 2.15
import "qrc:///js/code/cablemodem.js" as CableModem

// The constellation panel of the OFDM downstream screen: shows the modem's points as the
// engine sends them. A locked channel with a MER under 20 dB shows none; an unlocked one
// shows the busy sign, unless the modem has no such channel: then the panel says so.
Item {
    id: panel

    property alias display: display
    readonly property alias canvas: display.canvas
    // The OFDM downstream analysed, 1 or 2.
    property int ofdmCount: 1

    function update(dades) {
        var locked = dades["locked"] === true || dades["locked"] === "true"
        var missing = dades["no_channel"] === true
        display.message = missing ? (ofdmCount === 2 ? qsTr("No second OFDM channel") : qsTr("No OFDM channel")) : ""
        if (locked) {
            if (CableModem.number(dades["mer"]) + 0.05 < 20)
                display.canvas.reset()
            else
                display.busy = false
        } else {
            display.busy = !missing
            display.canvas.reset()
        }
        var quadres = CableModem.number(dades["quadres_const"])
        if (!isNaN(quadres) && quadres !== display.canvas.quadres) {
            display.canvas.quadres = quadres
            display.canvas.reset()
        }
        if (dades["llista_i"] !== undefined && dades["llista_q"] !== undefined)
            display.canvas.addPoints(dades["llista_i"], dades["llista_q"])
    }

    Text {
        id: title
        text: qsTr("CONSTELLATION")
        color: Theme.attention
        font.pixelSize: Theme.fontSmall
        font.bold: true
    }
    DisplayMedidasConst31 {
        id: display
        anchors.top: title.bottom
        anchors.topMargin: 2
        width: Math.min(panel.width, panel.height - title.height - 2)
        height: width
    }
}
