import QtQuick 2.15

// The bottom toolbar of the channel scan: screenshot, data logger, the keys that step
// through the channels, the demodulation of the selected channel (while the modem is
// ready), and home.
Toolbar {
    id: bar

    property bool cmReady: false
    property bool demodAllowed: false
    property alias loggerVisible: logger.visible
    signal loggerRequested()
    signal previousChannel()
    signal nextChannel()
    signal demodRequested()

    BotonToolbarCamara {}
    Boton {
        id: logger
        objectName: "DATALOGGER"
        width: 124
        text: "DATALOGGER"
        enabled: visible
        onClicked: bar.loggerRequested()
    }
    BotonToolbarPrevious {
        objectName: "channelDown"
        width: 64
        onClicked: bar.previousChannel()
    }
    BotonToolbarNext {
        objectName: "channelUp"
        width: 64
        onClicked: bar.nextChannel()
    }
    Boton {
        objectName: "DEMOD"
        text: "DEMOD"
        enabled: bar.cmReady && bar.demodAllowed
        onClicked: bar.demodRequested()
    }

    rightKeys: [
        BotonHome {}
    ]
}
