import QtQuick 2.15
import "qrc:///js/code/miscelanea.js" as Miscelanea

// A numeric setting within limits (shown in brackets) and, where it has one, its "Enable"
// check box. The number is typed on the numeric keyboard, which refuses values outside
// the limits; "DONE" stores both and saves the settings.
Dialogo {
    id: dialog

    property string key: ""
    property real minimum: 0
    property real maximum: 0
    property string units: ""
    property string enableKey: ""
    readonly property var stored: appVariables.getScreensVariables()
    property var value: stored[key] === undefined ? minimum : Number(stored[key])
    property alias enabledChecked: enable.checked

    boxHeight: 260

    onDone: {
        var settings = appVariables.getScreensVariables()
        if (key !== "")
            settings[key] = Number(value)
        if (enableKey !== "")
            settings[enableKey] = enable.checked
        appVariables.setScreensVariables(settings)
    }

    Column {
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 10

        CheckField {
            id: enable
            anchors.horizontalCenter: parent.horizontalCenter
            visible: dialog.enableKey !== ""
            text: qsTr("Enable")
            checked: Number(dialog.stored[dialog.enableKey]) === 1 || dialog.stored[dialog.enableKey] === true
        }
        ScreenButton {
            objectName: "value"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: dialog.key !== ""
            width: 240
            height: 50
            fontSize: Theme.fontLarge
            text: dialog.value + (dialog.units === "" ? "" : " " + dialog.units)
            onClicked: {
                var keyboard = Miscelanea.crearDialeg("NumericKeyboard", dialog,
                                                      { title: dialog.title, minimum: dialog.minimum,
                                                        maximum: dialog.maximum, units: dialog.units })
                if (keyboard)
                    keyboard.retorno.connect(function (v) { dialog.value = v })
            }
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            visible: dialog.key !== ""
            text: "[" + dialog.minimum + ", " + dialog.maximum + "]"
            color: Theme.textDim
            font.pixelSize: Theme.fontBody
        }
    }
}
