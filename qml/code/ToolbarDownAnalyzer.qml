import QtQuick 2.15

// The bottom toolbar of the spectrum screens: screenshot, the tuned channel or frequency
// (touched to type a frequency) between the keys that step through the channels, the
// screen's own keys, and home.
Toolbar {
    id: bar

    property string tuneText: ""
    property bool byChannel: false
    property alias homeVisible: home.visible
    property alias extras: extraRow.data
    signal previousChannel()
    signal nextChannel()
    signal tuneRequested()

    BotonToolbarCamara {}
    Boton {
        objectName: "channelDown"
        width: 56
        visible: bar.byChannel
        text: "\u25C0"
        onClicked: bar.previousChannel()
    }
    Boton {
        objectName: "tune"
        width: 170
        text: bar.tuneText
        onClicked: bar.tuneRequested()
    }
    Boton {
        objectName: "channelUp"
        width: 56
        visible: bar.byChannel
        text: "\u25B6"
        onClicked: bar.nextChannel()
    }
    Row {
        id: extraRow
        spacing: 6
    }

    rightKeys: [
        BotonHome { id: home }
    ]
}
