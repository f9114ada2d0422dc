import QtQuick 2.15

// The start-up view: the image of the hardware model and the progress of the start-up.
Item {
    id: splash
    width: 800
    height: 480

    property url startImage
    property real progress: 0

    Rectangle {
        anchors.fill: parent
        color: "black"
    }

    Image {
        anchors.fill: parent
        source: splash.startImage
        fillMode: Image.PreserveAspectFit
    }

    Rectangle {
        id: bar
        x: 150
        y: 392
        width: 500
        height: 10
        radius: 5
        color: "#1c2a3a"
        border.color: "#3a5570"

        Rectangle {
            x: 1
            y: 1
            height: parent.height - 2
            width: Math.max(0, Math.min(1, splash.progress)) * (parent.width - 2)
            radius: 4
            color: "#00aaff"
        }
    }

    Text {
        anchors.top: bar.bottom
        anchors.topMargin: 6
        anchors.horizontalCenter: bar.horizontalCenter
        text: "v" + Qt.application.version
        color: "#8aa0b8"
        font.pixelSize: 13
    }
}
