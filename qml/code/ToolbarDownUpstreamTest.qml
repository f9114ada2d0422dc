import QtQuick 2.15

// The upstream generator's toolbar: the way back to the main menu.
Toolbar {
    BotonScreen {
        objectName: "RETURN"
        width: 150
        text: "\u25C0 " + qsTr("MAIN MENU")
        screen: "MAIN_MENU"
    }
}
