import QtQuick 2.15
import "qrc:///js/code/definitions.js" as Definitions

// The modem's MAC address and software version: the stored ones at once, then what the
// modem reports while the dialog is open (stored in the settings when they changed).
Dialogo {
    id: dialog

    // The owning screen's connections to the engine.
    property bool active: false
    property string mac: ""
    property string version: ""

    title: qsTr("CM information")
    showCancel: false
    boxWidth: 520
    boxHeight: 240

    function store(information) {
        var newMac = information["cm_mac"] !== undefined ? information["cm_mac"] : information["rfmacaddress"]
        var newVersion = information["cm_firm_version"] !== undefined ? information["cm_firm_version"]
                                                                      : information["softwareversion"]
        var settings = appVariables.getScreensVariables()
        var changed = false
        if (newMac !== undefined && String(newMac) !== "") {
            mac = String(newMac)
            changed = changed || settings["cm_MAC"] !== mac
            settings["cm_MAC"] = mac
        }
        if (newVersion !== undefined && String(newVersion) !== "") {
            version = String(newVersion)
            changed = changed || settings["cm_firm_version"] !== version
            settings["cm_firm_version"] = version
        }
        if (changed)
            appVariables.setScreensVariables(settings)
    }

    Component.onCompleted: {
        measuresCM.aturar()
        var settings = appVariables.getScreensVariables()
        mac = settings["cm_MAC"] === undefined ? "" : String(settings["cm_MAC"])
        version = settings["cm_firm_version"] === undefined ? "" : String(settings["cm_firm_version"])
        measuresCM.init(Number(settings["frequency"]) || 0, Definitions.CONST_TIPUS_MESURA.QML_CM_MAC_INFORMATION)
    }
    onClosing: measuresCM.aturar()

    Connections {
        target: measuresCM
        enabled: dialog.active
        function onCm_information_mac(information) { dialog.store(information) }
    }

    Grid {
        anchors.centerIn: parent
        columns: 2
        rowSpacing: 14
        columnSpacing: 16
        Text {
            text: qsTr("MAC Address:")
            color: Theme.textDim
            font.pixelSize: Theme.fontLarge
        }
        Text {
            objectName: "mac"
            text: dialog.mac === "" ? "---" : dialog.mac
            color: Theme.text
            font.pixelSize: Theme.fontLarge
        }
        Text {
            text: qsTr("SW MODEM:")
            color: Theme.textDim
            font.pixelSize: Theme.fontLarge
        }
        Text {
            objectName: "version"
            text: dialog.version === "" ? "---" : dialog.version
            color: Theme.text
            font.pixelSize: Theme.fontLarge
        }
    }
}
