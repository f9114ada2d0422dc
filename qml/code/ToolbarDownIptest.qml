import QtQuick 2.15

// The IPTV screen's toolbar: screenshot, back to the registration, VoIP and speed.
Toolbar {
    BotonToolbarCamara {}
    BotonScreen {
        objectName: "REGISTERING"
        width: 180
        text: "\u25C0 " + qsTr("REGISTERING")
        screen: "REGISTERING_31"
    }
    rightKeys: [
        BotonScreen { objectName: "VoIP"; text: "VoIP"; screen: "VOIP" },
        BotonScreen { objectName: "SPEED"; text: qsTr("SPEED"); screen: "SPEED_TEST" }
    ]
}
