import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions
import "qrc:///js/code/cablemodem.js" as CableModem

// The video path test: the modem traces the route to the typed address; the screen draws
// the hops and describes the one selected (address, latency, jitter, lost probes).
Rectangle {
    id: page
    color: Theme.background

    signal handlerLoader(string screen)

    property var variablesPantalla: appVariables.getScreensVariables()
    property bool connects_actives: false
    // From SEND to STOP the engine's texts are this screen's test's.
    property bool testStarted: false
    readonly property var placeholder: [{ nodes_ip: 0, ip: "---.---.---.---", ltcy: Definitions.UNMEASURED,
                                          jitter: "--", perduts: "--" }]
    property var hops: placeholder
    property int selected: 0
    readonly property var hop: hops.length > selected && selected >= 0 ? hops[selected] : placeholder[0]

    function frequency() { return CableModem.number(variablesPantalla["frequency"]) || 0 }

    function start(address) {
        hops = placeholder
        messages.clear()
        testStarted = true
        selected = 0
        var settings = appVariables.getScreensVariables()
        measuresCM.initIPTV(address, Number(settings["iptv_npi"]) || 0,
                            settings["iptv_rtps"] === true || Number(settings["iptv_rtps"]) === 1 ? 1 : 0)
        measuresCM.init(frequency(), Definitions.CONST_TIPUS_MESURA.QML_CM_IP_TV)
    }

    Component.onCompleted: {
        CableModem.stopAll(frame)
        connectionTimer.start()
    }

    Timer {
        id: connectionTimer
        interval: 3000
        onTriggered: page.connects_actives = true
    }

    Connections {
        target: measuresCM
        enabled: page.connects_actives
        function onNode_IPTV_Changed(list) {
            ipPanel.running = false
            if (list.length === 0)
                return
            var numbered = []
            for (var i = 0; i < list.length; ++i) {
                var hop = Object.assign({}, list[i])
                hop["nodes_ip"] = i
                numbered.push(hop)
            }
            page.hops = numbered
            if (page.selected >= numbered.length)
                page.selected = 0
        }
    }

    ToolbarUp {
        id: topBar
        title: qsTranslate("screens", Pantalles.title("IPTV"))
        CableVarnokStatus {
            objectName: "modemLamp"
            screen: "IPTV"
        }
        menuEntries: [
            { text: qsTr("Enable RTPS"), dialog: "DialogSettingNumber",
              properties: { title: qsTr("Enable RTPS"), enableKey: "iptv_rtps" } },
            { text: qsTr("Nominal polling interval"), dialog: "DialogSettingNumber",
              properties: { title: qsTr("Nominal polling interval"), key: "iptv_npi", minimum: 100, maximum: 100000,
                            units: "ms" } }
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

    TracerCanvas {
        id: tracer
        objectName: "tracer"
        x: 16
        anchors.top: ipPanel.bottom
        anchors.topMargin: 8
        width: 500
        height: toolbar.y - y - 8
        hops: page.hops
        selected: page.selected
        onHopSelected: page.selected = index
    }

    Column {
        anchors.left: tracer.right
        anchors.leftMargin: 16
        anchors.top: tracer.top
        spacing: 12
        Repeater {
            model: [
                [qsTr("Node Id:"), "nodeId", "N" + page.hop["nodes_ip"]],
                [qsTr("IP address:"), "nodeIp", CableModem.text(page.hop["ip"])],
                [qsTr("Latency:"), "nodeLatency", CableModem.hopLatency(page.hop)],
                [qsTr("Jitter:"), "nodeJitter", CableModem.hopJitter(page.hop)],
                ["PLR:", "nodePlr", CableModem.hopLoss(page.hop)]
            ]
            Column {
                spacing: 2
                Text {
                    text: modelData[0]
                    color: Theme.textStatus
                    font.pixelSize: Theme.fontSmall
                }
                Text {
                    objectName: modelData[1]
                    width: 250
                    elide: Text.ElideRight
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
        anchors.horizontalCenter: tracer.horizontalCenter
        anchors.bottom: toolbar.top
        anchors.bottomMargin: 10
        active: page.connects_actives && page.testStarted
    }

    ToolbarDownIptest {
        id: toolbar
    }
}
