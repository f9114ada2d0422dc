import QtQuick 2.15

// The modem lamp at the top right of the cable-modem screens. On the screens that need the
// modem (every screen that carries the lamp), the modem's state is asked every 800 ms: a
// powered modem at its command line (POWER ON or beyond) lights it steady green; anything
// less blinks it red. statusCM tells the screen after each look.
Row {
    id: lamp

    readonly property var pollingScreens: [
        "DOCSIS_DOWNSTREAM_SPECTRUM_ANALYZER", "DOCSIS_DOWNSTREAM_SPECTRUM_ANALYZER_OPTICAL", "SCAN_CM_OPTICAL",
        "SCAN_CM", "DBG_CM_OPTICAL", "DBG_CM", "DOWN_SCAN_DEMOD_31", "REGISTERING_31", "RANGING", "UPSTREAM_TEST",
        "VOIP", "IPTV", "UPSTREAM_RF", "UPSTREAM_OPTIC", "EXT_CM_UP"
    ]
    property string screen: ""
    property bool ready: false
    property bool lit: true
    property bool attenuator: false
    // The modem's state at the last look.
    property int status: 0
    signal statusCM(bool ready)

    spacing: 6

    function poll() {
        readAttenuator()
        status = measuresCM.getModemStatus_31()
        ready = status >= 1602
        lit = ready || !lit
        statusCM(ready)
    }

    function readAttenuator() {
        var att = appVariables.getScreensVariables()["cable_modem_ATT"]
        attenuator = att === true || att === "true"
    }

    Component.onCompleted: readAttenuator()

    Timer {
        interval: 800
        repeat: true
        running: lamp.pollingScreens.indexOf(lamp.screen) >= 0
        onTriggered: lamp.poll()
    }

    Text {
        objectName: "lampLabel"
        anchors.verticalCenter: parent.verticalCenter
        text: (lamp.attenuator ? "20 dB ATT " : "") + "CM"
        color: Theme.lampLabel
        font.pixelSize: Theme.fontStatus
    }
    Rectangle {
        objectName: "lamp"
        anchors.verticalCenter: parent.verticalCenter
        width: 15
        height: 15
        radius: 7.5
        color: lamp.ready ? Theme.lampOn : Theme.lampOff
        opacity: lamp.lit ? 1 : 0
    }
}
