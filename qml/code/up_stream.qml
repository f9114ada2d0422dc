import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions
import "qrc:///js/code/miscelanea.js" as Miscelanea
import "qrc:///js/code/cablemodem.js" as CableModem

// The upstream band's spectrum (RF, optical, or an external modem's): the RF engine sweeps
// it while the modem engine idles. Each of the three keeps its own holds.
Rectangle {
    id: page
    color: Theme.background

    signal handlerLoader(string screen)

    property var variablesPantalla: appVariables.getScreensVariables()
    readonly property string screen: frame.currentScreen
    readonly property bool external: screen === "EXT_CM_UP"
    readonly property string maxHoldKey: "max_hold_" + screen
    readonly property string minHoldKey: "min_hold_" + screen
    readonly property bool signal31: CableModem.isSignal31(variablesPantalla, channels.currentChannel())

    // The whole upstream band.
    function startSpectrum() {
        spectrum.centerFrequency = (spectrum.minFrequency + spectrum.maxFrequency) / 2
        spectrum.span = spectrum.maxFrequency - spectrum.minFrequency
        spectrum.clear()
        CableModem.startSpectrum(frame, variablesPantalla, spectrum.frequencyList())
        measuresCM.init(0, Definitions.CONST_TIPUS_MESURA.QML_CM_NO_MEASURE)
    }

    function demodulate() {
        CableModem.demodulate(frame, page, variablesPantalla, signal31,
                              CableModem.tuneFrequency(variablesPantalla, channels.currentChannel()))
    }

    Component.onCompleted: {
        CableModem.stopAll(frame)
        startSpectrum()
    }

    Connections {
        target: measuresSpectrum
        function onListaFrequencyMeasuresChanged(list) { spectrum.update(list) }
    }

    ToolbarUp {
        id: topBar
        title: qsTranslate("screens", Pantalles.title(page.screen))
        CableVarnokStatus {
            objectName: "modemLamp"
            screen: page.screen
        }
        // A hold's dialog starts at the trace's state: a screen that never had a hold of its
        // own has no setting for it, and its hold is off.
        menuEntries: [
            { text: qsTr("Units"), dialog: "DialogUnits" },
            { text: qsTr("Max hold"), dialog: "DialogChoice",
              properties: { title: qsTr("Max hold"), key: page.maxHoldKey, chosen: spectrum.maxHold,
                            options: [{ text: qsTr("OFF"), value: false }, { text: qsTr("ON"), value: true }] } },
            { text: qsTr("Min hold"), dialog: "DialogChoice",
              properties: { title: qsTr("Min hold"), key: page.minHoldKey, chosen: spectrum.minHold,
                            options: [{ text: qsTr("OFF"), value: false }, { text: qsTr("ON"), value: true }] } }
        ]
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

    LevelTraceCanvas {
        id: spectrum
        objectName: "spectrum"
        x: 4
        y: topBar.height + 4
        width: parent.width - 8
        height: toolbar.y - y - 4
        minFrequency: 5e6
        maxFrequency: CableModem.isModel31(page.variablesPantalla) ? 204e6 : 85e6
        referenceLevel: 120
        marker: false
        maxHold: String(page.variablesPantalla[page.maxHoldKey]) === "true"
        minHold: String(page.variablesPantalla[page.minHoldKey]) === "true"
    }

    ToolbarDownUpStream {
        id: toolbar
        visible: !page.external
        holding: spectrum.maxHold || spectrum.minHold
        next: "UPSTREAM_TEST"
        nextLabel: qsTr("GENERATOR")
        demodAllowed: page.signal31
        onClearTraces: spectrum.clearHolds()
        onDemodRequested: page.demodulate()
    }
    // An external modem's unit may have no MENU key: its way out is the next key.
    ToolbarDownExtCm {
        visible: page.external
        holding: spectrum.maxHold || spectrum.minHold
        next: "MAIN_MENU"
        nextLabel: qsTr("MAIN MENU")
        demodAllowed: page.signal31
        onClearTraces: spectrum.clearHolds()
        onDemodRequested: page.demodulate()
    }
}
