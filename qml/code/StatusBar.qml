import QtQuick 2.15

// The bar across the top of a screen: its title on the left, the unit's state on the right
// (temperature, with the fan; network cable; USB stick; mains, battery and charging).
// A screen may put items of its own before the unit's state (the modem lamp).
Rectangle {
    id: bar

    property alias title: titleText.text
    property int titleLeftMargin: Theme.margin
    default property alias extras: extrasRow.data
    readonly property color batteryColor: periodicFunctions.batteryLevel >= 0 && periodicFunctions.batteryLevel < 15
                                          ? Theme.alarm : Theme.textStatus

    width: parent ? parent.width : Theme.screenWidth
    height: Theme.barHeight
    color: Theme.bar

    Text {
        id: titleText
        anchors.left: parent.left
        anchors.leftMargin: bar.titleLeftMargin
        anchors.right: stateRow.left
        anchors.rightMargin: Theme.margin
        anchors.verticalCenter: parent.verticalCenter
        color: Theme.text
        font.pixelSize: Theme.fontHeading
        font.bold: true
        // A long title (in some languages) takes a smaller type rather than lose its end.
        fontSizeMode: Text.HorizontalFit
        minimumPixelSize: Theme.fontBody
        elide: Text.ElideRight
    }

    Row {
        id: stateRow
        anchors.right: parent.right
        anchors.rightMargin: Theme.margin
        anchors.verticalCenter: parent.verticalCenter
        spacing: 16

        Row {
            id: extrasRow
            visible: children.length > 0
            anchors.verticalCenter: parent.verticalCenter
            spacing: 16
        }
        // A warning colour only when the unit is hot, not whenever the fan runs.
        Text {
            objectName: "temperature"
            text: periodicFunctions.temperatureKnown ? periodicFunctions.temperature.toFixed(1) + " \u00B0C" : ""
            color: periodicFunctions.overheated ? Theme.warning : Theme.textStatus
            font.pixelSize: Theme.fontStatus
        }
        Text {
            text: "RJ45"
            color: periodicFunctions.rj45Connected ? Theme.statusOn : Theme.statusOff
            font.pixelSize: Theme.fontStatus
        }
        Text {
            text: "USB"
            color: periodicFunctions.usbPresent ? Theme.statusOn : Theme.statusOff
            font.pixelSize: Theme.fontStatus
        }
        Text {
            objectName: "battery"
            text: (periodicFunctions.mainsConnected ? "AC " : "")
                  + (periodicFunctions.batteryLevel < 0 ? "BAT --" : "BAT " + periodicFunctions.batteryLevel + "%")
                  + (periodicFunctions.charging ? " +" : "")
            color: bar.batteryColor
            font.pixelSize: Theme.fontStatus
        }
    }
}
