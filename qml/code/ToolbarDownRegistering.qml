import QtQuick 2.15

// The registration screen's toolbar: screenshot and data logger; back; IPTV, VoIP and speed.
Toolbar {
    id: bar
    property alias loggerEnabled: logger.enabled
    signal loggerRequested()
    signal backRequested()

    BotonToolbarCamara {}
    Boton {
        id: logger
        objectName: "DATALOGGER"
        width: 124
        text: "DATALOGGER"
        onClicked: bar.loggerRequested()
    }
    BotonToolbarPrevious {
        objectName: "BACK"
        label: qsTr("BACK")
        onClicked: bar.backRequested()
    }

    rightKeys: [
        BotonScreen { objectName: "IPTV"; text: "IPTV"; screen: "IPTV" },
        BotonScreen { objectName: "VoIP"; text: "VoIP"; screen: "VOIP" },
        BotonScreen { objectName: "SPEED"; text: qsTr("SPEED"); screen: "SPEED_TEST" }
    ]
}
