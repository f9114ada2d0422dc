import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions
import "qrc:///js/code/miscelanea.js" as Miscelanea
import "qrc:///js/code/cablemodem.js" as CableModem

// The modem's registration: every downstream and upstream channel it bonded, OFDM and
// SC-QAM, and the addresses it obtained. The screen only shows what the engine reports,
// once three seconds have passed since it started the test.
Rectangle {
    id: page
    color: Theme.background

    signal handlerLoader(string screen)

    property var variablesPantalla: appVariables.getScreensVariables()
    property bool connects_actives: false
    readonly property bool model31: CableModem.isModel31(variablesPantalla)
    readonly property string units: CableModem.units(variablesPantalla)
    readonly property alias model_dw_ofdm: dwOfdm
    readonly property alias model_dw_scqam: dwScqam
    readonly property alias model_up_ofdm: upOfdm
    readonly property alias model_up_scqam: upScqam
    readonly property alias model_table_ip: ipTable
    readonly property var ipKeys: ["ip", "gateway", "mask", "dhcp", "tftp"]

    function measureCode() {
        var codes = Definitions.CONST_TIPUS_MESURA
        return CableModem.measureCode(variablesPantalla, channels.currentChannel(), codes.QML_CM_REGISTER_ON_CHANNEL,
                                      codes.QML_CM_REGISTER_ON_CHANNEL_31,
                                      codes.QML_CM_REGISTER_ON_CHANNEL_31_SIGNAL_31)
    }

    function startTest() {
        measuresCM.init(CableModem.number(variablesPantalla["frequency"]) || 0, measureCode())
    }

    function initTables() {
        dwOfdm.inicializarDatosTabla()
        dwScqam.inicializarDatosTabla()
        upOfdm.inicializarDatosTabla()
        upScqam.inicializarDatosTabla()
        ipTable.inicializarDatosTabla()
    }

    function openLogger() {
        Miscelanea.crearDialeg("DialogLoggerRegistering", page, { owner: page })
    }

    Component.onCompleted: {
        CableModem.stopAll(frame)
        variablesPantalla["logger_type"] = "REGISTERING"
        appVariables.setScreensVariables(variablesPantalla)
        startTest()
        connectionTimer.start()
        initTables()
        toolbar.loggerEnabled = true
        if (frame.testAndGoLogger)
            openLogger()
    }

    Timer {
        id: connectionTimer
        interval: 3000
        onTriggered: page.connects_actives = true
    }

    Connections {
        target: measuresCM
        enabled: page.connects_actives

        function onDownOFDMChanged_31(list) {
            for (var i = 0; i < list.length; ++i)
                if (list[i]["index"] !== undefined)
                    dwOfdm.setRow(CableModem.rowOf(list[i]), CableModem.downOfdmRow(list[i]))
        }
        function onDownBondingChanged_31(list) {
            for (var i = 0; i < list.length; ++i)
                if (list[i]["index"] !== undefined)
                    dwScqam.setRow(CableModem.rowOf(list[i]), CableModem.downBondingRow(list[i]))
        }
        function onPhy_3_0_Changed(phy) {
            if (phy["mse"] !== undefined && phy["index"] !== undefined)
                dwScqam.setRow(CableModem.rowOf(phy), CableModem.phy31Row(phy))
        }
        function onUpsOFDMChanged_31(list) {
            upOfdm.name_title_4 = qsTr("Speed bits/s")
            for (var i = 0; i < list.length; ++i)
                if (list[i]["index"] !== undefined)
                    upOfdm.setRow(CableModem.rowOf(list[i]), CableModem.upsRow(list[i], page.variablesPantalla,
                                                                               list[i]["freq"]))
        }
        function onUpsBondingChanged_31(list) {
            for (var i = 0; i < list.length; ++i)
                upScqam.setRow(CableModem.rowOf(list[i], i), CableModem.upsRow(list[i], page.variablesPantalla,
                                                                             list[i]["freq"], list[i]["bw"]))
        }
        function onPhyChanged(phy) {
            var row = CableModem.phy30Row(phy, page.model31)
            if (row !== null)
                dwScqam.setRow(CableModem.rowOf(phy), row)
        }
        function onUpsChanged(list) {
            for (var i = 0; i < list.length; ++i) {
                var row = CableModem.ups30Row(list[i], page.variablesPantalla)
                if (row !== null)
                    upScqam.setRow(CableModem.rowOf(list[i], i), row)
            }
        }
        function onIpCableModemChanged(ips) {
            for (var i = 0; i < page.ipKeys.length; ++i)
                ipTable.setIp(i, ips[page.ipKeys[i]])
            messages.hide()
            toolbar.loggerEnabled = true
        }
        function onRestartMeasurements() {
            page.initTables()
            messages.show()
            toolbar.loggerEnabled = false
        }
    }

    ToolbarUp {
        id: topBar
        title: qsTranslate("screens", Pantalles.title("REGISTERING_31"))
        menuEntries: [
            { text: qsTr("Units"), dialog: "DialogUnits" },
            { text: qsTr("Att CM"), dialog: "DialogAttCM" },
            { text: qsTr("CM Information"), dialog: "DialogCMInformation" }
        ]
        CableVarnokStatus {
            objectName: "modemLamp"
            id: lamp
            screen: "REGISTERING_31"
        }
    }

    Connections {
        target: topBar.configMenu
        function onDialogOpened(name, dialog) {
            dialog.closing.connect(function () {
                Miscelanea.updateQMLVariables()
                if (name === "DialogCMInformation")
                    page.startTest()
            })
            if (name === "DialogCMInformation")
                dialog.active = Qt.binding(function () { return page.connects_actives })
        }
    }

    TableRegistering_31 {
        id: dwOfdm
        objectName: "OFDM DOWNSTREAM"
        x: 6
        y: topBar.height + 4
        width: 318
        title: qsTr("OFDM DOWNSTREAM")
        n_elements: 2
        modeloDown: "DS"
        narrow: true
        color: Theme.cable
        units: page.units
        name_title_4: qsTr("Profiles")
    }
    TableRegistering_31 {
        id: dwScqam
        objectName: "BONDING DOWNSTREAM"
        x: 6
        anchors.top: dwOfdm.bottom
        anchors.topMargin: 4
        width: 318
        title: qsTr("BONDING DOWNSTREAM")
        n_elements: 32
        modeloDown: "DS"
        narrow: true
        scrollBarAlwaysOn: true
        color: Theme.cable
        units: page.units
        maxTableHeight: toolbar.y - 4 - y - 19
    }
    TableRegistering_31 {
        id: upOfdm
        objectName: "OFDM UPSTREAM"
        x: 330
        y: topBar.height + 4
        width: 464
        title: qsTr("OFDM UPSTREAM")
        n_elements: 2
        modeloDown: "US"
        color: Theme.upstream
        units: page.units
        name_title_4: qsTr("Speed bits/s")
    }
    TableRegistering_31 {
        id: upScqam
        objectName: "BONDING UPSTREAM"
        x: 330
        anchors.top: upOfdm.bottom
        anchors.topMargin: 4
        width: 464
        title: qsTr("BONDING UPSTREAM")
        n_elements: 8
        modeloDown: "US"
        color: Theme.upstream
        units: page.units
    }
    TableRegisteringIP_31 {
        id: ipTable
        objectName: "IP REPORT"
        x: 330
        anchors.top: upScqam.bottom
        anchors.topMargin: 4
        width: 320
        title: qsTr("IP REPORT")
        header: false
    }

    CableVarnokMessages {
        id: messages
        anchors.centerIn: parent
        active: page.connects_actives
    }

    ToolbarDownRegistering {
        id: toolbar
        onLoggerRequested: page.openLogger()
        onBackRequested: {
            var target = CableModem.backScreen(frame.previousScreen,
                                               ["REGISTERING", "REGISTERING_31", "RANGING", "SPEED_TEST", "IPTV",
                                                "VOIP"], Pantalles.design)
            frame.stop_mesura()
            frame.loadScreen(target)
        }
    }
}
