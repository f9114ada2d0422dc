import QtQuick 2.15

// One setting chosen among a few values; "DONE" stores the choice in the settings and
// saves them.
Dialogo {
    id: dialog

    property string key: ""
    // [{ text: shown, value: stored }]
    property var options: []
    property var chosen: appVariables.getScreensVariables()[key]

    boxHeight: Math.min(440, 130 + Math.ceil(options.length / 2) * 54)

    onDone: {
        var settings = appVariables.getScreensVariables()
        settings[key] = chosen
        appVariables.setScreensVariables(settings)
    }

    Grid {
        anchors.horizontalCenter: parent.horizontalCenter
        columns: 2
        spacing: 8
        Repeater {
            model: dialog.options
            ScreenButton {
                objectName: "choice" + index
                width: 200
                height: 46
                fontSize: Theme.fontBody
                text: modelData.text
                selected: String(modelData.value) === String(dialog.chosen)
                onClicked: dialog.chosen = modelData.value
            }
        }
    }
}
