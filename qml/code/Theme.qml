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
