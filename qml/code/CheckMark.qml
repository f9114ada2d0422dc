import QtQuick 2.15
import "qrc:///js/code/cablemodem.js" as CableModem

// The mark of a result: a dash while not measured, a tick for a pass and a cross for a fail.
Text {
    property int mark: CableModem.CHECK_NONE

    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    font.pixelSize: Theme.fontBody
    text: mark === CableModem.CHECK_UNMEASURED ? "\u2013"
        : mark === CableModem.CHECK_PASS ? "\u2713"
        : mark === CableModem.CHECK_FAIL ? "\u2717" : ""
    color: mark === CableModem.CHECK_PASS ? Theme.pass
         : mark === CableModem.CHECK_FAIL ? Theme.fail : Theme.measured
}
