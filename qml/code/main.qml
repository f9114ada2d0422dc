import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions

// The frame of every screen: one Loader showing the screen the settings name, the
// front-panel keys, and the functions with which screens start and stop measurements.
Item {
    id: frame
    width: Theme.screenWidth
    height: Theme.screenHeight

    property string date_compilation: ""
    property string currentScreen: ""
    property string previousScreen: ""
    // Test-and-go: the screen on show opens its data logger by itself.
    property bool testAndGoLogger: false

    Rectangle {
        anchors.fill: parent
        color: Theme.frame
    }

    Loader {
        id: pageLoader
        anchors.fill: parent
    }

    // Each screen asks for the next one with its handlerLoader signal.
    Connections {
        target: pageLoader.item
        ignoreUnknownSignals: true
        function onHandlerLoader(screen) { frame.loadScreen(screen) }
    }

    Connections {
        target: periodicFunctions
        function onMenuButtoPush() { frame.keyToScreen(Pantalles.HOME) }
        function onPowerOFF_ButtonPush() { frame.keyToScreen("EXIT") }
    }

    // A screen may answer the key itself; the frame does not load the same screen twice.
    function keyToScreen(screen) {
        if (currentScreen === screen)
            return
        stop_mesura()
        loadScreen(screen)
    }

    // Records the screen and its routing in the settings, saves them, shows the screen and
    // hands the settings to the RF engine, which reaches the other engines. The record comes
    // before the page is built: a page keeps the copy of the settings it was built with and saves it back with
    // each change (a typed frequency), so the copy must hold the page's own routing, or the RF
    // engine's next pass would route the input as the screen before did and switch the modem
    // off under a running test.
    function loadScreen(screen) {
        var page = Pantalles.design(screen)
        if (page === "") {
            console.log("Unknown screen " + screen)
            screen = Pantalles.HOME
            page = Pantalles.design(screen)
        }
        previousScreen = currentScreen
        currentScreen = screen
        // The page before goes first, with what it does on leaving; screens that share a page
        // (upstream RF and optical) still start afresh.
        pageLoader.source = ""
        var variables = appVariables.getScreensVariables()
        variables["screen"] = screen
        var routing = Pantalles.circuit(screen)
        if (routing !== "")
            variables["circuit"] = routing
        appVariables.setScreensVariables(variables)
        pageLoader.source = page
        measuresSpectrum.setVariablesQML()
    }

    function stop_mesura() {
        measuresSpectrum.stopMeasures()
        measuresIQ.aturar()
        measuresCM.aturar()
    }

    // Stops the three engines, selects the RF measurement, resets the constellation
    // engine and lets the RF engine start. NO_MESURE (99) selects none.
    function change_mesura(code) {
        stop_mesura()
        measuresSpectrum.changeTipusMesure(code)
        measuresIQ.restatMesureIQ()
        measuresSpectrum.mesuraIsStarted()
    }

    // The stored screen comes back after a restart; never the power-off screen.
    Component.onCompleted: {
        var stored = appVariables.getScreensVariables()["screen"]
        if (stored === undefined || stored === "EXIT" || Pantalles.design(stored) === "")
            stored = Pantalles.HOME
        loadScreen(stored)
    }
}
