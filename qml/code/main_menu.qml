import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles
import "qrc:///js/code/definitions.js" as Definitions

// The home screen: the unit's state and a button for every screen the instrument has.
Rectangle {
    id: page
    color: "#0a1628"

    signal handlerLoader(string screen)

    property var variablesPantalla: appVariables.getScreensVariables()
    readonly property var modelNames: ["MINI COMPLETE", "MINI CABLE", "CABLE CM 3.0", "CABLE CM 3.1"]

    // The remote "go to the test screen" reaches the home screen only.
    Connections {
        target: periodicFunctions
        function onTestScreen() {
            if (Pantalles.design("TEST_SCREEN") !== "")
                page.handlerLoader("TEST_SCREEN")
        }
    }

    Rectangle {
        id: topBar
        width: parent.width
        height: 44
        color: "#13243b"

        Text {
            anchors.left: parent.left
            anchors.leftMargin: 14
            anchors.verticalCenter: parent.verticalCenter
            text: "CABLE VARNOK"
            color: "white"
            font.pixelSize: 22
            font.bold: true
        }

        Row {
            anchors.right: parent.right
            anchors.rightMargin: 14
            anchors.verticalCenter: parent.verticalCenter
            spacing: 16

            Text {
                text: periodicFunctions.temperatureKnown ? periodicFunctions.temperature.toFixed(1) + " \u00B0C" : ""
                color: periodicFunctions.fanOn ? "orange" : "#b0c4de"
                font.pixelSize: 15
            }
            Text {
                text: "RJ45"
                color: periodicFunctions.rj45Connected ? "#40e040" : "#506070"
                font.pixelSize: 15
            }
            Text {
                text: "USB"
                color: periodicFunctions.usbPresent ? "#40e040" : "#506070"
                font.pixelSize: 15
            }
            Text {
                text: (periodicFunctions.mainsConnected ? "AC " : "")
                      + (periodicFunctions.batteryLevel < 0 ? "BAT --" : "BAT " + periodicFunctions.batteryLevel + "%")
                      + (periodicFunctions.charging ? " +" : "")
                color: periodicFunctions.batteryLevel >= 0 && periodicFunctions.batteryLevel < 15 ? "red" : "#b0c4de"
                font.pixelSize: 15
            }
        }
    }

    Text {
        id: title
        anchors.top: topBar.bottom
        anchors.topMargin: 18
        anchors.horizontalCenter: parent.horizontalCenter
        text: qsTranslate("screens", Pantalles.title("MAIN_MENU"))
        color: "white"
        font.pixelSize: 26
    }

    Flow {
        anchors.top: title.bottom
        anchors.topMargin: 24
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: 40
        anchors.rightMargin: 40
        spacing: 20

        Repeater {
            model: Pantalles.menuScreens()

            Rectangle {
                width: 160
                height: 90
                radius: 8
                color: press.pressed ? "#1f6fb2" : "#16406a"
                border.color: "#3f8fd2"

                Text {
                    anchors.fill: parent
                    anchors.margins: 6
                    text: qsTranslate("screens", Pantalles.title(modelData))
                    color: "white"
                    font.pixelSize: 17
                    wrapMode: Text.WordWrap
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }

                MouseArea {
                    id: press
                    anchors.fill: parent
                    onClicked: page.handlerLoader(modelData)
                }
            }
        }
    }

    Column {
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        anchors.margins: 14
        spacing: 3

        Text {
            text: software.getEquipmentName() + "   " + qsTr("S/N") + " " + software.getSerialNumber()
            color: "#8aa0b8"
            font.pixelSize: 14
        }
        Text {
            text: qsTr("Model") + " " + (page.modelNames[Number(page.variablesPantalla["hardware_model"])] || "---")
            color: "#8aa0b8"
            font.pixelSize: 14
        }
        Text {
            text: qsTr("Version") + " " + Qt.application.version + "  (" + frame.date_compilation + ")"
            color: "#8aa0b8"
            font.pixelSize: 14
        }
    }
}
