import QtQuick 2.15
import "qrc:///js/code/miscelanea.js" as Miscelanea

// Saves what the screen shows as a data logger of the screen's logger type; its owner
// gives the entries (loggerEntries()). The file written is named in a warning after; with
// nothing measured yet no file is written, and the warning says so.
Dialogo {
    id: dialog

    property Item owner
    property string loggerType: String(appVariables.getScreensVariables()["logger_type"] || "")

    function entries() {
        return owner && owner.loggerEntries ? owner.loggerEntries() : []
    }

    title: qsTr("DATA LOGGER")
    boxHeight: 220

    onDone: {
        var list = entries()
        if (list.length === 0) {
            Miscelanea.crearDialogWarning(qsTr("Nothing has been measured yet: no data logger was saved."),
                                          dialog.parent)
            return
        }
        var file = loggers.guardaLogger(loggerType, list)
        Miscelanea.crearDialogWarning(file === "" ? qsTr("The data logger could not be saved.")
                                                  : qsTr("Data logger saved:") + " " + file, dialog.parent)
    }

    Text {
        anchors.fill: parent
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        wrapMode: Text.WordWrap
        text: qsTr("Save the results on show as a data logger?")
        color: Theme.text
        font.pixelSize: Theme.fontLarge
    }
}
