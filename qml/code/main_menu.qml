import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions

// The home screen: the unit's state and a button for every screen the instrument has.
Rectangle {
    id: page
    color: Theme.background

    signal handlerLoader(string screen)

    property var variablesPantalla: appVariables.getScreensVariables()
    // The instrument's serial number is the settings' one, which the remote control may set
    // while this screen shows.
    property string serialNumber: appVariables.getScreensVariablesSerialNumber()
    readonly property var modelNames: ["MINI COMPLETE", "MINI CABLE", "CABLE CM 3.0", "CABLE CM 3.1"]

    Connections {
        target: appVariables
        function onScreensVariablesChanged() { page.serialNumber = appVariables.getScreensVariablesSerialNumber() }
    }

    // The remote "go to the test screen" reaches the home screen only.
    Connections {
        target: periodicFunctions
        function onTestScreen() {
            if (Pantalles.design("TEST_SCREEN") !== "")
                page.handlerLoader("TEST_SCREEN")
        }
    }

    StatusBar {
        id: topBar
        title: "CABLE VARNOK"
    }

    Text {
        id: title
        anchors.top: topBar.bottom
        anchors.topMargin: 10
        anchors.horizontalCenter: parent.horizontalCenter
        text: qsTranslate("screens", Pantalles.title("MAIN_MENU"))
        color: Theme.text
        font.pixelSize: Theme.fontTitle
    }

    Flow {
        anchors.top: title.bottom
        anchors.topMargin: 14
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: 24
        anchors.rightMargin: 24
        spacing: 12

        Repeater {
            model: Pantalles.menuScreens(page.variablesPantalla["hardware_model"])

            ScreenButton {
                objectName: modelData
                width: 140
                height: 64
                fontSize: Theme.fontSmall
                text: qsTranslate("screens", Pantalles.menuLabel(modelData))
                onClicked: page.handlerLoader(modelData)
            }
        }
    }

    Column {
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        anchors.margins: Theme.margin
        spacing: 3

        Text {
            text: software.getEquipmentName() + "   " + qsTr("S/N") + " " + page.serialNumber
            color: Theme.textDim
            font.pixelSize: Theme.fontSmall
        }
        Text {
            text: qsTr("Model") + " " + (page.modelNames[Number(page.variablesPantalla["hardware_model"])] || "---")
            color: Theme.textDim
            font.pixelSize: Theme.fontSmall
        }
        Text {
            text: qsTr("Version") + " " + Qt.application.version + "  (" + frame.date_compilation + ")"
            color: Theme.textDim
            font.pixelSize: Theme.fontSmall
        }
    }
}
