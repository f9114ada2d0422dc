import QtQuick 2.15

// The upstream spectrum's toolbar: screenshot, clearing the held traces (while a hold is
// on), demodulation (of a DOCSIS 3.1 signal), home, the next screen and speed.
Toolbar {
    id: bar

    property bool holding: false
    property string next: ""
    property alias nextLabel: nextKey.label
    property bool withHomeAndSpeed: true
    property bool demodAllowed: false
    signal clearTraces()
    signal demodRequested()

    BotonToolbarCamara {}
    BotonToolbarClear {
        objectName: "CLR"
        visible: bar.holding
        onClicked: bar.clearTraces()
    }
    Boton {
        objectName: "DEMOD"
        text: "DEMOD"
        enabled: bar.demodAllowed
        onClicked: bar.demodRequested()
    }

    rightKeys: [
        BotonScreen {
            objectName: "SPEED"
            visible: bar.withHomeAndSpeed
            text: qsTr("SPEED")
            screen: "SPEED_TEST"
        },
        BotonToolbarNext {
            id: nextKey
            objectName: "NEXT"
            width: 150
            onClicked: {
                frame.stop_mesura()
                frame.loadScreen(bar.next)
            }
        },
        BotonHome {
            visible: bar.withHomeAndSpeed
        }
    ]
}
