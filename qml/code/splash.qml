import QtQuick 2.15

// The start-up view: the image of the hardware model and the progress of the start-up. It
// holds no text: the first text needs the font system, which is still being set up, and the
// screens' font, which is loaded after the splash (the main menu shows the version).
Item {
    id: splash
    width: Theme.screenWidth
    height: Theme.screenHeight

    property url startImage
    property real progress: 0

    Rectangle {
        anchors.fill: parent
        color: Theme.frame
    }

    // Decoded beside the start-up's other steps, and not kept once the splash is gone.
    Image {
        anchors.fill: parent
        source: splash.startImage
        fillMode: Image.PreserveAspectFit
        asynchronous: true
        cache: false
    }

    Rectangle {
        id: bar
        x: 150
        y: 392
        width: 500
        height: 10
        radius: 5
        color: Theme.track
        border.color: Theme.trackBorder

        Rectangle {
            x: 1
            y: 1
            height: parent.height - 2
            width: Math.max(0, Math.min(1, splash.progress)) * (parent.width - 2)
            radius: 4
            color: Theme.progress
        }
    }
}
