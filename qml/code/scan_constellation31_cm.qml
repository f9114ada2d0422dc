import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions
import "qrc:///js/code/miscelanea.js" as Miscelanea
import "qrc:///js/code/cablemodem.js" as CableModem

// The channel scan of the plan's active channels with the modem lamp: a bar per channel;
// a DOCSIS 3.1 channel can be analysed by the modem on the OFDM downstream screen.
Rectangle {
    id: page
    color: Theme.background

    signal handlerLoader(string screen)

    property var variablesPantalla: appVariables.getScreensVariables()
    readonly property bool optical: frame.currentScreen === "SCAN_CM_OPTICAL"
    property var scanChannels: []
    property int selected: 0
    readonly property var selectedChannel: scanChannels.length > selected ? scanChannels[selected] : null
    readonly property var selectedLevel: spectrum.levels.length > selected ? spectrum.levels[selected] : null

    function select(index) {
        if (scanChannels.length === 0)
            return
        selected = (index + scanChannels.length) % scanChannels.length
        spectrum.selected = selected
    }

    readonly property bool selected31: selectedChannel !== null && String(selectedChannel["system"]) === "D3.1"

    function demodulate() {
        if (selectedChannel)
            CableModem.demodulate(frame, page, variablesPantalla, selected31, Number(selectedChannel["frequency"]))
    }

    function loggerEntries() {
        var entries = []
        for (var i = 0; i < spectrum.levels.length; ++i) {
            // Under its channel's frequency, though an analogue channel is read at its vision carrier.
            var level = spectrum.levels[i], channel = i < scanChannels.length ? scanChannels[i] : level
            entries.push({ name: String(level.name), frequency: Number(channel.frequency), power: Number(level.power) })
        }
        return entries
    }

    Component.onCompleted: {
        CableModem.stopAll(frame)
        variablesPantalla["logger_type"] = optical ? "SCAN_OPTIC" : "SCAN_RF"
        scanChannels = channels.currentChannelList()
        select(0)
        // The channel-integration correction of the scan counts in slices of the narrow filter.
        measuresSpectrum.setFilter(157500)
        CableModem.startSpectrum(frame, variablesPantalla, spectrum.frequencyList(scanChannels))
        measuresCM.init(0, Definitions.CONST_TIPUS_MESURA.QML_CM_NO_MEASURE)
    }

    Connections {
        target: measuresSpectrum
        function onListaFrequencyMeasuresChanged(list) { spectrum.update(list) }
    }

    ToolbarUp {
        id: topBar
        title: qsTranslate("screens", Pantalles.title("SCAN_CM"))
        menuEntries: [
            { text: qsTr("Units"), dialog: "DialogUnits" },
            { text: qsTr("Att CM"), dialog: "DialogAttCM" }
        ]
        CableVarnokStatus {
            id: lamp
            objectName: "modemLamp"
            screen: frame.currentScreen
            onStatusCM: toolbar.cmReady = ready
        }
    }

    Connections {
        target: topBar.configMenu
        function onDialogOpened(name, dialog) {
            dialog.closing.connect(function () {
                Miscelanea.updateQMLVariables()
                spectrum.repaint()
            })
        }
    }

    DisplayMedidas {
        id: bar
        objectName: "measurementBar"
        x: 4
        y: topBar.height + 4
        width: parent.width - 8
        showMer: false
        pwr_label: page.selectedChannel ? String(page.selectedChannel["name"]) + "  "
                                          + CableModem.mhz(page.selectedChannel["frequency"], 2) + " MHz"
                                        : qsTr("No channels")
        pwr_value: page.selectedLevel ? Miscelanea.conversion_dBuV_To_current_units(
                                            Number(page.selectedLevel.power) / 10).toFixed(1) : "---"
        pwr_units31: CableModem.units(page.variablesPantalla)
    }

    LevelTraceCanvas {
        id: spectrum
        objectName: "spectrum"
        x: 4
        anchors.top: bar.bottom
        anchors.topMargin: 4
        width: parent.width - 8
        height: toolbar.y - y - 4
        bars: true
        onPointSelected: page.select(index)
    }

    ToolbarDownScan {
        id: toolbar
        demodAllowed: page.selected31
        onLoggerRequested: Miscelanea.crearDialeg("DialogStartLogger", page, { owner: page })
        onPreviousChannel: page.select(page.selected - 1)
        onNextChannel: page.select(page.selected + 1)
        onDemodRequested: page.demodulate()
    }
}
