import QtQuick 2.15
import QtQuick.Controls 1.4
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions
import "qrc:///js/code/miscelanea.js" as Miscelanea
import "qrc:///js/code/cablemodem.js" as CableModem

// The upstream generator: the modem sends a test signal, swept or on one frequency, at a
// level, modulation and symbol rate the user chooses. Every change is saved and the engine
// set up again from the settings.
Rectangle {
    id: page
    color: Theme.background

    signal handlerLoader(string screen)

    property var variablesPantalla: appVariables.getScreensVariables()
    readonly property bool model31: CableModem.isModel31(variablesPantalla)
    readonly property int docsisMode: model31 && Number(variablesPantalla["up_test_docsis_mode"]) === 1 ? 1 : 0
    readonly property var limits: CableModem.generatorLimits(docsisMode)
    readonly property bool sweep: Number(variablesPantalla["up_test_mode"]) !== 1
    readonly property bool rfOn: Number(variablesPantalla["rf_on"]) === 1
    readonly property string units: CableModem.units(variablesPantalla)
    property bool configuring: false

    component Label: Text {
        width: 230
        color: Theme.textStatus
        font.pixelSize: Theme.fontBody
        elide: Text.ElideRight
    }

    function reload() {
        appVariables.setScreensVariables(variablesPantalla)
        Miscelanea.updateQMLVariables()
        var codes = Definitions.CONST_TIPUS_MESURA
        measuresCM.init(0, model31 ? codes.QML_CM_UP_STREAM_GENERATOR_31 : codes.QML_CM_UP_STREAM_GENERATOR)
        configuring = rfOn
    }

    function store(key, value) {
        var s = Object.assign({}, variablesPantalla)
        s[key] = value
        variablesPantalla = key === "up_test_docsis_mode" ? CableModem.clampGenerator(s) : s
        reload()
    }

    function level() {
        return Miscelanea.conversion_dBuV_To_current_units(Number(variablesPantalla["up_test_power"]) / 10)
    }

    function typeFrequency(title, key, choose) {
        var keyboard = Miscelanea.crearDialeg("NumericKeyboard", page, {
            title: title, units: "MHz", decimals: true, minimum: limits.minHz / 1e6, maximum: limits.maxHz / 1e6 })
        keyboard.retorno.connect(function (mhz) { page.store(key, choose(Math.round(mhz * 1e6))) })
    }

    Component.onCompleted: {
        CableModem.stopAll(frame)
        var s = Object.assign({}, variablesPantalla)
        s["rf_on"] = 0
        if (s["up_test_power"] === undefined)
            s["up_test_power"] = 40
        // Only the DOCSIS 3.1 modem has the 3.1 mode.
        if (!CableModem.isModel31(s))
            s["up_test_docsis_mode"] = 0
        // A level or frequency outside the mode's limits never reaches the modem.
        variablesPantalla = CableModem.clampGenerator(s)
        reload()
        measuresSpectrum.setCircuit("DOCSIS_RF")
    }

    Connections {
        target: measuresCM
        function onModemConfigurat() { page.configuring = false }
    }

    ToolbarUp {
        id: topBar
        title: qsTranslate("screens", Pantalles.title("UPSTREAM_TEST"))
        CableVarnokStatus {
            objectName: "modemLamp"
            screen: "UPSTREAM_TEST"
        }
    }

    Grid {
        id: fields
        x: 24
        y: topBar.height + 10
        columns: 2
        rowSpacing: 6
        columnSpacing: 16
        verticalItemAlignment: Grid.AlignVCenter

        Label { text: qsTr("DOCSIS mode") }
        Combo {
            id: docsisCombo
            objectName: "docsisMode"
            width: 220
            model: page.model31 ? ["3.0", "3.1"] : ["3.0"]
            currentIndex: page.docsisMode
            onActivated: page.store("up_test_docsis_mode", index)
        }
        Label { text: qsTr("Frequency mode") }
        Combo {
            objectName: "frequencyMode"
            width: 220
            model: ["SWEEP", "FIX"]
            currentIndex: page.sweep ? 0 : 1
            onActivated: page.store("up_test_mode", index)
        }
        Label { text: page.sweep ? qsTr("Start frequency") : qsTr("Frequency") }
        Boton {
            objectName: "startFrequency"
            width: 220
            fontSize: Theme.fontBody
            text: CableModem.mhz(page.sweep ? page.variablesPantalla["up_test_start"]
                                            : page.variablesPantalla["up_test_freq_fix"], 2) + " MHz"
            onClicked: {
                if (page.sweep)
                    page.typeFrequency(qsTr("Start frequency"), "up_test_start", function (hz) {
                        return Math.min(hz, Number(page.variablesPantalla["up_test_stop"]))
                    })
                else
                    page.typeFrequency(qsTr("Frequency"), "up_test_freq_fix", function (hz) { return hz })
            }
        }
        // A fixed frequency has no stop: its row goes, label and box together, or the grid
        // would set the rows below a column out.
        Label {
            text: qsTr("Stop frequency")
            visible: page.sweep
        }
        Boton {
            objectName: "stopFrequency"
            width: 220
            fontSize: Theme.fontBody
            visible: page.sweep
            text: CableModem.mhz(page.variablesPantalla["up_test_stop"], 2) + " MHz"
            onClicked: page.typeFrequency(qsTr("Stop frequency"), "up_test_stop", function (hz) {
                return Math.max(hz, Number(page.variablesPantalla["up_test_start"]))
            })
        }
        Label { text: qsTr("Level") }
        Boton {
            objectName: "level"
            width: 220
            fontSize: Theme.fontBody
            text: page.level().toFixed(1) + " " + page.units
            onClicked: {
                var keyboard = Miscelanea.crearDialeg("NumericKeyboard", page, {
                    title: qsTr("Level"), units: page.units, decimals: true, state: "NEGATIVE",
                    minimum: Miscelanea.conversion_dBuV_To_current_units(page.limits.minDbuV),
                    maximum: Miscelanea.conversion_dBuV_To_current_units(page.limits.maxDbuV) })
                keyboard.retorno.connect(function (value) {
                    page.store("up_test_power", Math.round(10 * Miscelanea.conversion_current_units_To_dBuV(value)))
                })
            }
        }
        Label { text: qsTr("Modulation") }
        Boton {
            objectName: "modulation"
            width: 220
            fontSize: Theme.fontBody
            text: CableModem.modulationName(page.variablesPantalla["up_test_modulation"])
            onClicked: Miscelanea.crearDialeg("DialogModulation", page).closing.connect(page.dialogClosed)
        }
        Label { text: qsTr("Symbol rate") }
        Boton {
            objectName: "symbolRate"
            width: 220
            fontSize: Theme.fontBody
            text: (Definitions.model_symbol_rate_UP[Number(page.variablesPantalla["up_test_symbolrate"])] || "---")
                  + " ksym/s"
            onClicked: Miscelanea.crearDialeg("DialogSymbolRate", page).closing.connect(page.dialogClosed)
        }
    }

    // A choice dialog saved the settings: the screen takes them and sets the engine up again.
    function dialogClosed() {
        variablesPantalla = appVariables.getScreensVariables()
        reload()
    }

    Column {
        id: output
        x: 560
        y: topBar.height + 30
        spacing: 16

        ScreenButton {
            objectName: "rfOutput"
            width: 200
            height: 90
            fontSize: Theme.fontLarge
            text: qsTr("RF\nOUTPUT")
            selected: page.rfOn
            onClicked: page.store("rf_on", page.rfOn ? 0 : 1)
            Rectangle {
                objectName: "rfLamp"
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: 8
                width: 16
                height: 16
                radius: 8
                color: page.rfOn ? Theme.lampOn : Theme.statusOff
            }
        }
        BusyIndicator {
            objectName: "configuring"
            anchors.horizontalCenter: parent.horizontalCenter
            running: page.configuring
            visible: running
        }
    }

    // What the generator waits for while the modem restarts into its test mode, under the
    // output it waits to switch on, clear of the fields.
    CableVarnokMessages {
        id: messages
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.top: output.bottom
        anchors.topMargin: 16
        maxWidth: page.width - anchors.rightMargin - fields.x - fields.width - 16
        active: true
    }

    ToolbarDownUpstreamTest {
        id: toolbar
    }
}
