import QtQuick 2.15

// The VoIP screen's toolbar: screenshot, back to the registration, IPTV and speed.
Toolbar {
    BotonToolbarCamara {}
    BotonScreen {
        objectName: "REGISTERING"
        width: 180
        text: "\u25C0 " + qsTr("REGISTERING")
        screen: "REGISTERING_31"
    }
    rightKeys: [
        BotonScreen { objectName: "IPTV"; text: qsTr("IP TV"); screen: "IPTV" },
        BotonScreen { objectName: "SPEED"; text: qsTr("SPEED"); screen: "SPEED_TEST" }
    ]
}
