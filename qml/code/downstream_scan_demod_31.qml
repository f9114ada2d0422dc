import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions
import "qrc:///js/code/miscelanea.js" as Miscelanea
import "qrc:///js/code/cablemodem.js" as CableModem

// The modem's analysis of a DOCSIS 3.1 OFDM downstream: the channel's figures, its PLC,
// the codeword errors of each profile and the modem's constellation. A figure received
// passes its check.
Rectangle {
    id: page
    color: Theme.background

    signal handlerLoader(string screen)

    property var variablesPantalla: appVariables.getScreensVariables()
    property bool connects_actives: false
    property bool tablesBuilt: false
    property int ofdmCount: 1
    // The figures on show: a pass of the analysis reports them in parts.
    property var shown: ({})

    function translated(names) {
        return names.map(function (n) { return qsTranslate("cablemodem", n) })
    }

    function startTest() {
        measuresCM.init(CableModem.number(variablesPantalla["frequency"]) || 0,
                        Definitions.CONST_TIPUS_MESURA.QML_CM_IQ_31_SIGNAL_31)
    }

    function show(m) {
        shown = Object.assign(shown, m)
        var ofdm = CableModem.ofdmValues(m)
        for (var i = 0; i < ofdm.length; ++i)
            if (ofdm[i] !== undefined)
                ofdmTable.setValue(i, ofdm[i], CableModem.CHECK_PASS)
        var plc = CableModem.plcValues(m, variablesPantalla)
        for (var p = 0; p < plc.length; ++p)
            if (plc[p] !== undefined)
                plcTable.setValue(p, plc[p], CableModem.CHECK_PASS)
        for (var r = 0; r < CableModem.PROFILE_KEYS.length; ++r) {
            var key = CableModem.PROFILE_KEYS[r]
            if (m[key + "_ccwe"] !== undefined || m[key + "_ucwe"] !== undefined)
                profiles.setValues(r, CableModem.exponent(m[key + "_ccwe"]), CableModem.exponent(m[key + "_ucwe"]),
                                   CableModem.CHECK_PASS)
        }
        bar.pwr_value = CableModem.levelText(CableModem.downLevelDbuV(m["pwr_avg"]))
        bar.mer_value = CableModem.fixed(m["mer_avg"], 1)
        // The bar shows the last report's averages, "---" where it has none: the data logger
        // keeps what the bar shows, not an average the screen no longer shows.
        shown["pwr_avg"] = m["pwr_avg"] !== undefined ? m["pwr_avg"] : CableModem.NONE
        shown["mer_avg"] = m["mer_avg"] !== undefined ? m["mer_avg"] : CableModem.NONE
    }

    // Empty tables, for a start and for another OFDM downstream.
    function clear() {
        shown = {}
        ofdmTable.setRows(translated(CableModem.OFDM_ROWS), CableModem.checks(CableModem.OFDM_CHECKED))
        plcTable.setRows(translated(CableModem.PLC_ROWS), CableModem.checks(CableModem.PLC_CHECKED))
        profiles.setRows(translated(CableModem.PROFILE_ROWS),
                         CableModem.PROFILE_ROWS.map(function () { return CableModem.CHECK_UNMEASURED }))
        bar.pwr_value = CableModem.NONE
        bar.mer_value = CableModem.NONE
        constellation.canvas.reset()
    }

    // The data logger's entry: the figures on show; none before the first.
    function loggerEntries() {
        return CableModem.ofdmLoggerEntries(shown, CableModem.number(variablesPantalla["frequency"]),
                                            variablesPantalla)
    }

    Component.onCompleted: {
        CableModem.stopAll(frame)
        variablesPantalla = CableModem.prepareSpectrum(variablesPantalla, CableModem.DOWNSTREAM_31_MIN_HZ,
                                                       CableModem.DOWNSTREAM_31_MAX_HZ)
        appVariables.setScreensVariables(variablesPantalla)
        if (!CableModem.tunedByFrequency(variablesPantalla))
            channels.carregaClosestChannel(Number(variablesPantalla["frequency"]))
        ofdmCount = Miscelanea.chekcOfdmDs()
        startTest()
        measuresSpectrum.setCircuit("DOCSIS_RF")
        connectionTimer.start()
        clear()
        tablesBuilt = true
    }
    Component.onDestruction: {
        if (!CableModem.tunedByFrequency(variablesPantalla))
            channels.setchannelVariables()
    }

    Timer {
        id: connectionTimer
        interval: 3000
        onTriggered: page.connects_actives = true
    }

    Connections {
        target: measuresCM
        enabled: page.connects_actives
        function onS_send_dades_31(m) {
            if (page.tablesBuilt)
                page.show(m)
        }
        function onS_send_dades_iq(dades) { constellation.update(dades) }
    }

    ToolbarUp {
        id: topBar
        title: qsTranslate("screens", Pantalles.title("DOWN_SCAN_DEMOD_31"))
        menuEntries: [
            { text: qsTr("Units"), dialog: "DialogUnits" },
            { text: qsTr("Att CM"), dialog: "DialogAttCM" },
            { text: qsTr("OFDM DS"), dialog: "DialogOfdmDs" }
        ]
        CableVarnokStatus {
            objectName: "modemLamp"
            screen: "DOWN_SCAN_DEMOD_31"
        }
    }

    Connections {
        target: topBar.configMenu
        function onDialogOpened(name, dialog) {
            dialog.closing.connect(function () {
                Miscelanea.updateQMLVariables()
                if (name === "DialogOfdmDs") {
                    var count = Miscelanea.chekcOfdmDs()
                    if (count !== page.ofdmCount) {
                        // The other downstream's figures are not this one's.
                        page.ofdmCount = count
                        page.clear()
                        page.startTest()
                    }
                } else {
                    // The levels on show in the unit chosen, at once.
                    page.show(page.shown)
                }
            })
        }
    }

    DisplayMedidas {
        id: bar
        objectName: "measurementBar"
        x: 4
        y: topBar.height + 4
        width: parent.width - 8
        mer_type: "AVG"
        pwr_label: qsTr("PWR AVG")
        pwr_units31: CableModem.units(page.variablesPantalla)
    }

    Text {
        id: heading
        objectName: "ofdmTitle"
        x: 8
        anchors.top: bar.bottom
        anchors.topMargin: 4
        text: "OFDM " + page.ofdmCount
        color: Theme.cable
        font.pixelSize: Theme.fontLarge
        font.bold: true
    }

    TableResults {
        id: ofdmTable
        objectName: "OFDM"
        x: 4
        anchors.top: heading.bottom
        anchors.topMargin: 2
        width: 286
        title: "OFDM"
    }
    TableResults {
        id: plcTable
        objectName: "PLC"
        x: 4
        anchors.top: ofdmTable.bottom
        anchors.topMargin: 4
        width: 286
        title: "PLC"
    }
    TableResults {
        id: profiles
        objectName: "PROFILES"
        x: 296
        anchors.top: heading.bottom
        anchors.topMargin: 2
        width: 280
        title: qsTr("PROFILES")
        valueColumns: 2
        nameShare: 0.36
        header: ["", "C-CWE", "U-CWE", ""]
    }
    ConstellationMenu31 {
        id: constellation
        objectName: "constellation"
        ofdmCount: page.ofdmCount
        x: 582
        anchors.top: bar.bottom
        anchors.topMargin: 4
        width: 214
        height: toolbar.y - y - 4
    }

    ToolbarDownScan31 {
        id: toolbar
        onLoggerRequested: Miscelanea.crearDialeg("DialogStartLogger", page,
                                                  { owner: page, loggerType: "OFDM_DOWNSTREAM" })
        onClearIq: constellation.canvas.reset()
        // Demodulation is this screen: asking for it again goes back.
        onDemodRequested: {
            var back = frame.previousScreen
            frame.stop_mesura()
            frame.loadScreen(back === "" || back === frame.currentScreen ? Pantalles.HOME : back)
        }
    }
}
