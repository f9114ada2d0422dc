import QtQuick 2.15

// The button of the measurement screens' toolbars and panels: smaller than a menu key,
// its label on one or two lines.
ScreenButton {
    width: 104
    height: Theme.toolbarHeight - 10
    fontSize: Theme.fontSmall
}
