import QtQuick 2.15

// The OFDM downstream screen's toolbar: screenshot, data logger (not on the scan screens),
// the clearing of the constellation and demodulation.
Toolbar {
    id: bar

    property bool loggerAllowed: true
    signal loggerRequested()
    signal clearIq()
    signal demodRequested()

    BotonToolbarCamara {}
    Boton {
        objectName: "DATALOGGER"
        width: 124
        text: "DATALOGGER"
        visible: bar.loggerAllowed
        enabled: bar.loggerAllowed
        onClicked: bar.loggerRequested()
    }
    BotonToolbarClear {
        objectName: "CLR_IQ"
        width: 120
        text: qsTr("CLR IQ")
        onClicked: bar.clearIq()
    }
    Boton {
        objectName: "DEMOD"
        text: "DEMOD"
        onClicked: bar.demodRequested()
    }

    rightKeys: [
        BotonHome {}
    ]
}
