import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions
import "qrc:///js/code/cablemodem.js" as CableModem

// The voice path test: the modem pings the typed address over a UGS flow; the screen shows
// latency and jitter, packet loss and the call quality (R value and MOS) for the codec.
Rectangle {
    id: page
    color: Theme.background

    signal handlerLoader(string screen)

    property var variablesPantalla: appVariables.getScreensVariables()
    property var results: ({})
    // From SEND to STOP the engine's texts are this screen's test's; before, they may still
    // be those of the screen left.
    property bool testStarted: false
    readonly property var rows: [["MIN", "ip_LatencyMin", "ip_JitterMin"], ["AVG", "ip_LatencyAvg", "ip_JitterAvg"],
                                 ["MAX", "ip_LatencyMax", "ip_JitterMax"]]

    function frequency() { return CableModem.number(variablesPantalla["frequency"]) || 0 }

    function setting(key) {
        var v = appVariables.getScreensVariables()[key]
        return v === true ? 1 : (v === false || v === undefined ? 0 : v)
    }

    function start(address) {
        results = {}
        messages.clear()
        testStarted = true
        measuresCM.initVoIP(address, setting("voip_ping_data_length"), setting("voip_ping_number"),
                            setting("voip_unsolicited_grant_size"), setting("voip_nominal_grant_interval"),
                            setting("voip_grants_interva"), setting("voip_tolerated_grant_jitter"),
                            String(appVariables.getScreensVariables()["voip_codec"] || ""),
                            setting("voip_ugs_enabled"))
        measuresCM.init(frequency(), Definitions.CONST_TIPUS_MESURA.QML_CM_VO_IP)
    }

    Component.onCompleted: CableModem.stopAll(frame)

    Connections {
        target: measuresCM
        function onPing_UGS_Changed(ugs) {
            ipPanel.running = false
            if (ugs["reset"] !== true)
                page.results = ugs
        }
    }

    ToolbarUp {
        id: topBar
        title: qsTranslate("screens", Pantalles.title("VOIP"))
        CableVarnokStatus {
            objectName: "modemLamp"
            screen: "VOIP"
        }
        menuEntries: [
            { text: qsTr("Ping data length"), dialog: "DialogSettingNumber",
              properties: { title: qsTr("Ping data length"), key: "voip_ping_data_length", minimum: 1, maximum: 50,
                            units: "bytes" } },
            { text: qsTr("Ping number"), dialog: "DialogSettingNumber",
              properties: { title: qsTr("Ping number"), key: "voip_ping_number", minimum: 1, maximum: 100 } },
            { text: qsTr("Unsolicited grant size"), dialog: "DialogSettingNumber",
              properties: { title: qsTr("Unsolicited grant size"), key: "voip_unsolicited_grant_size",
                            minimum: 10, maximum: 1000, units: "bytes", enableKey: "voip_ugs_enabled" } },
            { text: qsTr("Grants per interval"), dialog: "DialogSettingNumber",
              properties: { title: qsTr("Grants per interval"), key: "voip_grants_interva", minimum: 1,
                            maximum: 10 } },
            { text: qsTr("Nominal Grant Interval"), dialog: "DialogSettingNumber",
              properties: { title: qsTr("Nominal Grant Interval"), key: "voip_nominal_grant_interval",
                            minimum: 100, maximum: 100000, units: "ms" } },
            { text: qsTr("Tolerated grant Jitter"), dialog: "DialogSettingNumber",
              properties: { title: qsTr("Tolerated grant Jitter"), key: "voip_tolerated_grant_jitter",
                            minimum: 100, maximum: 10000, units: "ms" } },
            { text: qsTr("Codec"), dialog: "DialogCodec" }
        ]
    }

    IpTestPanel {
        id: ipPanel
        x: 16
        y: topBar.height + 8
        width: parent.width - 32
        onStart: page.start(address)
        onStop: {
            page.testStarted = false
            measuresCM.init(page.frequency(), Definitions.CONST_TIPUS_MESURA.NO_MESURE)
        }
    }

    // Latency and jitter, in milliseconds (the engine sends tenths).
    Grid {
        id: table
        objectName: "timesTable"
        x: 16
        anchors.top: ipPanel.bottom
        anchors.topMargin: 16
        columns: 3
        columnSpacing: 2
        rowSpacing: 2
        Repeater {
            model: ["(ms)", qsTr("Latency"), qsTr("Jitter")]
            Rectangle {
                width: 130
                height: 34
                color: Theme.tableHeader
                Text {
                    anchors.centerIn: parent
                    text: modelData
                    color: Theme.attention
                    font.pixelSize: Theme.fontBody
                    font.bold: true
                }
            }
        }
        Repeater {
            model: 9
            Rectangle {
                readonly property var row: page.rows[Math.floor(index / 3)]
                readonly property int column: index % 3
                width: 130
                height: 34
                color: Theme.tableRow
                Text {
                    objectName: "time" + index
                    anchors.centerIn: parent
                    text: column === 0 ? row[0] : (page.results[row[column]] === undefined ? "--"
                                                   : CableModem.tenths(page.results[row[column]]))
                    color: column === 0 ? Theme.textStatus : Theme.text
                    font.pixelSize: Theme.fontLarge
                }
            }
        }
    }

    // Packet loss (the engine sends tenths of a percent), R value and MOS.
    Column {
        anchors.left: table.right
        anchors.leftMargin: 50
        anchors.top: table.top
        spacing: 18
        Repeater {
            model: [
                ["PLR:", "plr", page.results["ip_PLR"] === undefined ? "--- %"
                                : CableModem.withUnit(CableModem.tenths(page.results["ip_PLR"]), " %")],
                [qsTr("R Value:"), "rValue", page.results["ip_R_VALUE"] === undefined ? "---"
                                : CableModem.fixed(CableModem.number(page.results["ip_R_VALUE"]) / 10, 1)],
                ["MOS:", "mos", page.results["ip_MOS"] === undefined ? "---"
                                : CableModem.fixed(CableModem.number(page.results["ip_MOS"]) / 100, 2)]
            ]
            Row {
                spacing: 12
                Text {
                    width: 120
                    text: modelData[0]
                    color: Theme.textStatus
                    font.pixelSize: Theme.fontLarge
                }
                Text {
                    objectName: modelData[1]
                    text: modelData[2]
                    color: Theme.text
                    font.pixelSize: Theme.fontLarge
                    font.bold: true
                }
            }
        }
    }

    CableVarnokMessages {
        id: messages
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: toolbar.top
        anchors.bottomMargin: 10
        active: page.testStarted
    }

    ToolbarDownVoIP {
        id: toolbar
    }
}
