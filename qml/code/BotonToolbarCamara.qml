import QtQuick 2.15

// Saves a PNG of the screen on show under "./screenshots/<screen>/"; the remote capture
// command presses it too.
Boton {
    id: button
    width: 64

    // The capture is taken once the pressed look has gone, so the button shows at rest.
    onClicked: shootTimer.restart()

    Connections {
        target: periodicFunctions
        function onTakeFoto() { shootTimer.restart() }
    }

    Timer {
        id: shootTimer
        interval: 50
        onTriggered: shot.shootScreen(frame.currentScreen, button)
    }

    // A camera: body, viewfinder and lens.
    Item {
        anchors.centerIn: parent
        width: 30
        height: 22
        Rectangle {
            x: 8
            width: 10
            height: 5
            color: Theme.text
        }
        Rectangle {
            y: 4
            width: parent.width
            height: 18
            radius: 3
            color: Theme.text
        }
        Rectangle {
            x: 8
            y: 6
            width: 14
            height: 14
            radius: 7
            color: Theme.button
            border.color: Theme.text
            border.width: 2
        }
    }
}
