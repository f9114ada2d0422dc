import QtQuick 2.15
import "qrc:///js/code/definitions.js" as Definitions

// A toolbar key of the spectrum screens that shows the ranging panel: while it shows, the
// span narrows to 10 MHz and the modem ranges on the tuned frequency; hiding it restores
// the span and idles the modem.
Boton {
    id: button

    property Item panel
    property Item spectrum
    property real savedSpan: 0

    text: qsTr("RANGING")
    selected: panel !== null && panel.visible
    onClicked: {
        if (!panel || !spectrum)
            return
        if (!panel.visible) {
            savedSpan = spectrum.span
            spectrum.span = 10e6
            panel.visible = true
            measuresCM.init(spectrum.centerFrequency, Definitions.CONST_TIPUS_MESURA.QML_CM_RANGING_31)
        } else {
            panel.visible = false
            spectrum.span = savedSpan
            measuresCM.init(spectrum.centerFrequency, Definitions.CONST_TIPUS_MESURA.QML_CM_NO_MEASURE)
        }
    }
}
