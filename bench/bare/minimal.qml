import QtQuick 2.15

Rectangle {
    width: 800
    height: 480
    color: "black"

    Text {
        anchors.centerIn: parent
        text: "minimal"
        color: "white"
    }
}
