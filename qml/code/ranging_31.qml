import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions
import "qrc:///js/code/miscelanea.js" as Miscelanea
import "qrc:///js/code/cablemodem.js" as CableModem

// The downstream spectrum with the ranging panel: the modem ranges on the tuned channel
// and the panel shows its primary downstream and upstream channel.
Rectangle {
    id: page
    color: Theme.background

    signal handlerLoader(string screen)

    property var variablesPantalla: appVariables.getScreensVariables()
    property var channel: channels.currentChannel()
    property int ofdmCount: 1
    readonly property bool model31: CableModem.isModel31(variablesPantalla)
    readonly property bool byFrequency: CableModem.tunedByFrequency(variablesPantalla)

    function frequency() {
        return CableModem.tuneFrequency(variablesPantalla, channel)
    }

    // Each start is a run of its own: nothing said of the run before stays on show.
    function startRanging() {
        var codes = Definitions.CONST_TIPUS_MESURA
        panel.resetAll()
        messages.clear()
        measuresCM.init(frequency(), CableModem.measureCode(variablesPantalla, channel, codes.QML_CM_RANGING,
                                                            codes.QML_CM_RANGING_31,
                                                            codes.QML_CM_RANGING_31_SIGNAL_31))
    }

    function startSpectrum() {
        spectrum.centerFrequency = frequency()
        spectrum.span = Number(variablesPantalla["span"])
        spectrum.clear()
        CableModem.startSpectrum(frame, variablesPantalla, spectrum.frequencyList())
    }

    // A new channel or frequency: the spectrum and the ranging start again.
    function retune() {
        channel = channels.currentChannel()
        var settings = Object.assign({}, variablesPantalla)
        if (!byFrequency && CableModem.number(channel["frequency"]) > 0)
            settings["frequency"] = Number(channel["frequency"])
        variablesPantalla = CableModem.prepareSpectrum(settings, spectrum.minFrequency, spectrum.maxFrequency)
        startSpectrum()
        startRanging()
    }

    function stepChannel(step) {
        var list = channels.channelList()
        if (list.length === 0)
            return
        channels.setCurrentChannelIndex((channels.currentChannelIndex() + step + list.length) % list.length)
        retune()
    }

    Component.onCompleted: {
        panel.visible = true
        CableModem.stopAll(frame)
        variablesPantalla = CableModem.prepareSpectrum(variablesPantalla, spectrum.minFrequency,
                                                       spectrum.maxFrequency)
        if (!byFrequency) {
            channels.carregaClosestChannel(Number(variablesPantalla["frequency"]))
            channel = channels.currentChannel()
        }
        ofdmCount = Miscelanea.chekcOfdmDs()
        measuresSpectrum.setFilter(157500)
        startSpectrum()
        startRanging()
    }
    Component.onDestruction: {
        if (!byFrequency)
            channels.setchannelVariables()
    }

    Connections {
        target: measuresSpectrum
        function onListaFrequencyMeasuresChanged(list) { spectrum.update(list) }
    }

    ToolbarUp {
        id: topBar
        title: qsTranslate("screens", Pantalles.title("RANGING"))
        menuEntries: [
            { text: qsTr("Units"), dialog: "DialogUnits" },
            { text: qsTr("Att CM"), dialog: "DialogAttCM" },
            { text: qsTr("OFDM DS"), dialog: "DialogOfdmDs" },
            { text: qsTr("CM Information"), dialog: "DialogCMInformation" }
        ]
        CableVarnokStatus {
            objectName: "modemLamp"
            screen: "RANGING"
        }
    }

    Connections {
        target: topBar.configMenu
        function onDialogOpened(name, dialog) {
            if (name === "DialogCMInformation")
                dialog.active = true
            dialog.closing.connect(function () {
                Miscelanea.updateQMLVariables()
                spectrum.repaint()
                if (name === "DialogOfdmDs" || name === "DialogCMInformation") {
                    page.ofdmCount = Miscelanea.chekcOfdmDs()
                    page.startRanging()
                }
            })
        }
    }

    LevelTraceCanvas {
        id: spectrum
        objectName: "spectrum"
        x: 4
        y: topBar.height + 4
        width: 516
        height: toolbar.y - y - 4
        minFrequency: CableModem.DOWNSTREAM_MIN_HZ
        maxFrequency: CableModem.DOWNSTREAM_MAX_HZ
    }

    RangingMenu_31 {
        id: panel
        objectName: "rangingPanel"
        x: 526
        y: topBar.height + 4
        width: 268
        visible: false
        active: true
        settings: page.variablesPantalla
        ofdmSignal: page.model31 && CableModem.isSignal31(page.variablesPantalla, page.channel)
    }

    // How the ranging goes until the panel shows the modem's channel, and why it cannot.
    CableVarnokMessages {
        id: messages
        anchors.centerIn: spectrum
        maxWidth: spectrum.width - 16
        active: panel.visible
        shown: !panel.filled
    }

    ToolbarDownAnalyzer {
        id: toolbar
        byChannel: !page.byFrequency
        tuneText: CableModem.tuneText(page.variablesPantalla, page.channel)
        onPreviousChannel: page.stepChannel(-1)
        onNextChannel: page.stepChannel(1)
        onTuneRequested: {
            var keyboard = Miscelanea.crearDialeg("NumericKeyboard", page, {
                title: qsTr("Frequency"), units: "MHz", decimals: true,
                minimum: spectrum.minFrequency / 1e6, maximum: spectrum.maxFrequency / 1e6 })
            keyboard.retorno.connect(function (mhz) {
                var settings = Object.assign({}, page.variablesPantalla)
                settings["frequency"] = Math.round(mhz * 1e6)
                settings["frecuencia_habilitada"] = true
                page.variablesPantalla = settings
                page.retune()
            })
        }
    }
}
