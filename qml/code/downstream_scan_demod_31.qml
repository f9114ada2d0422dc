import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions
import "qrc:///js/code/miscelanea.js" as Miscelanea
import "qrc:///js/code/cablemodem.js" as CableModem

// The modem's analysis of a DOCSIS 3.1 OFDM downstream: the channel's figures, its PLC,
// the codeword errors of each profile and the modem's constellation. No threshold judges
// these figures: a received one is marked measured.
Rectangle {
    id: page
    color: Theme.background

    signal handlerLoader(string screen)

    property var variablesPantalla: appVariables.getScreensVariables()
    property bool connects_actives: false
    property bool tablesBuilt: false
    property int ofdmCount: 1
    property var lastResults: ({})

    function translated(names) {
        return names.map(function (n) { return qsTranslate("cablemodem", n) })
    }

    function startTest() {
        measuresCM.init(CableModem.number(variablesPantalla["frequency"]) || 0,
                        Definitions.CONST_TIPUS_MESURA.QML_CM_IQ_31_SIGNAL_31)
    }

    function show(m) {
        lastResults = m
        var ofdm = CableModem.ofdmValues(m)
        for (var i = 0; i < ofdm.length; ++i)
            if (ofdm[i] !== undefined)
                ofdmTable.setValue(i, ofdm[i], CableModem.CHECK_MEASURED)
        var plc = CableModem.plcValues(m, variablesPantalla)
        for (var p = 0; p < plc.length; ++p)
            if (plc[p] !== undefined)
                plcTable.setValue(p, plc[p], CableModem.CHECK_MEASURED)
        for (var r = 0; r < CableModem.PROFILE_KEYS.length; ++r) {
            var key = CableModem.PROFILE_KEYS[r]
            if (m[key + "_ccwe"] !== undefined || m[key + "_ucwe"] !== undefined)
                profiles.setValues(r, CableModem.exponent(m[key + "_ccwe"]), CableModem.exponent(m[key + "_ucwe"]),
                                   CableModem.CHECK_MEASURED)
        }
        bar.pwr_value = CableModem.dBmVLevel(m["pwr_avg"])
        bar.mer_value = CableModem.fixed(m["mer_avg"], 1)
    }

    // The data logger's entry: the figures on show.
    function loggerEntries() {
        var entry = {}
        for (var k in lastResults)
            if (typeof lastResults[k] !== "object")
                entry[k] = lastResults[k]
        entry["frequency"] = variablesPantalla["frequency"]
        return [entry]
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
        ofdmTable.setRows(translated(CableModem.OFDM_ROWS), CableModem.checks(CableModem.OFDM_CHECKED))
        plcTable.setRows(translated(CableModem.PLC_ROWS), CableModem.checks(CableModem.PLC_CHECKED))
        profiles.setRows(translated(CableModem.PROFILE_ROWS),
                         CableModem.PROFILE_ROWS.map(function () { return CableModem.CHECK_UNMEASURED }))
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
                bar.pwr_units31 = CableModem.units(page.variablesPantalla)
                if (name === "DialogOfdmDs") {
                    var count = Miscelanea.chekcOfdmDs()
                    if (count !== page.ofdmCount) {
                        page.ofdmCount = count
                        page.startTest()
                    }
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
        width: 250
        title: qsTr("PROFILES")
        valueColumns: 2
        nameShare: 0.36
        header: ["", "C-CWE", "U-CWE", ""]
    }
    ConstellationMenu31 {
        id: constellation
        objectName: "constellation"
        x: 552
        anchors.top: bar.bottom
        anchors.topMargin: 4
        width: 244
        height: toolbar.y - y - 4
    }

    ToolbarDownScan31 {
        id: toolbar
        onLoggerRequested: Miscelanea.crearDialeg("DialogStartLogger", page,
                                                  { owner: page, loggerType: "OFDM_DOWNSTREAM" })
        onClearIq: constellation.canvas.reset()
    }
}
