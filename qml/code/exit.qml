import QtQuick 2.15

// The power-off screen: a confirmation before the unit halts.
Rectangle {
    id: page
    color: Theme.background

    signal handlerLoader(string screen)

    property bool switchingOff: false

    Component.onCompleted: stop_mesura()

    Text {
        id: question
        anchors.horizontalCenter: parent.horizontalCenter
        y: 130
        text: page.switchingOff ? qsTr("Switching off...") : qsTr("Switch the instrument off?")
        color: Theme.text
        font.pixelSize: Theme.fontQuestion
    }

    Row {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: question.bottom
        anchors.topMargin: 60
        spacing: 60
        visible: !page.switchingOff

        ScreenButton {
            width: 180
            text: qsTr("YES")
            fontSize: Theme.fontButton
            danger: true
            onClicked: {
                page.switchingOff = true
                periodicFunctions.powerOff()
            }
        }
        ScreenButton {
            width: 180
            text: qsTr("NO")
            fontSize: Theme.fontButton
            onClicked: page.handlerLoader("MAIN_MENU")
        }
    }
}
