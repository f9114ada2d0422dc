import QtQuick 2.15

// The top bar of a measurement screen: the button of its configuration menu, its title and
// the unit's state, with the screen's own items (the modem lamp) before that state.
StatusBar {
    id: bar

    property alias menuEntries: configMenu.entries
    readonly property alias configMenu: configMenu

    titleLeftMargin: menuEntries.length > 0 ? menuButton.width + 2 * Theme.margin : Theme.margin
    z: 50

    Boton {
        id: menuButton
        objectName: "menuButton"
        parent: bar
        x: Theme.margin / 2
        anchors.verticalCenter: parent.verticalCenter
        width: 48
        height: Theme.barHeight - 4
        visible: bar.menuEntries.length > 0
        text: "\u2630"
        fontSize: Theme.fontLarge
        onClicked: configMenu.open()
    }

    ConfigMenu {
        id: configMenu
        parent: bar.parent
    }
}
