pragma Singleton
import QtQuick 2.15

// The look every screen shares: colours, type sizes and the measures of the 800x480 panel.
// Screens name these, never a colour or a size of their own, so a change of look is one edit.
QtObject {
    // The panel.
    readonly property int screenWidth: 800
    readonly property int screenHeight: 480
    readonly property int margin: 14
    readonly property int spacing: 20
    readonly property int radius: 8
    readonly property int barHeight: 44
    readonly property int toolbarHeight: 54
    readonly property int rowHeight: 18

    // Surfaces.
    readonly property color frame: "black"
    readonly property color background: "#0a1628"
    readonly property color bar: "#13243b"
    readonly property color scrim: "#a0000000"

    // Buttons: at rest, pressed, an irreversible choice, and their edge.
    readonly property color button: "#16406a"
    readonly property color buttonPressed: "#1f6fb2"
    readonly property color buttonDanger: "#7a1f1f"
    readonly property color buttonBorder: "#3f8fd2"

    // Text: main, secondary, status and the states a status takes.
    readonly property color text: "white"
    readonly property color textDim: "#8aa0b8"
    readonly property color textStatus: "#b0c4de"
    readonly property color statusOn: "#40e040"
    readonly property color statusOff: "#506070"
    readonly property color warning: "orange"
    readonly property color alarm: "red"
    readonly property color attention: "yellow"

    // Tables and panels of the measurement screens: row lines, header, and the panels' edge.
    readonly property color tableRow: "#0f1f33"
    readonly property color tableRowAlt: "#142a44"
    readonly property color tableHeader: "#1d3a5c"
    readonly property color tableLine: "#2b4a6e"
    readonly property color panel: "#0d1b2e"
    readonly property color panelBorder: "#3a5570"

    // The cable-modem screens: downstream tables in the cable colour, upstream ones in pink;
    // the modem lamp; a judged result (pass, fail) and the mark of one not measured yet.
    readonly property color cable: "#2a8fd8"
    readonly property color upstream: "deeppink"
    readonly property color lampOn: "#20d020"
    readonly property color lampOff: "red"
    readonly property color lampLabel: "#a0a0a0"
    readonly property color messageBackground: "black"
    readonly property color messageText: "yellow"
    readonly property color pass: "#40e040"
    readonly property color fail: "red"
    readonly property color measured: "#8aa0b8"

    // Traces and grids: the spectrum and its holds, the constellation's points, the hops.
    readonly property color grid: "#2c4058"
    readonly property color gridText: "#8aa0b8"
    readonly property color trace: "yellow"
    readonly property color traceMax: "#ff5050"
    readonly property color traceMin: "#50a0ff"
    readonly property color marker: "#40e040"
    readonly property color constellation: "#60ff60"

    // Progress bars.
    readonly property color track: "#1c2a3a"
    readonly property color trackBorder: "#3a5570"
    readonly property color progress: "#00aaff"

    // Type sizes in pixels, smallest to largest.
    readonly property int fontTiny: 13
    readonly property int fontSmall: 14
    readonly property int fontStatus: 15
    readonly property int fontBody: 17
    readonly property int fontLarge: 20
    readonly property int fontHeading: 22
    readonly property int fontButton: 24
    readonly property int fontTitle: 26
    readonly property int fontQuestion: 28
}
