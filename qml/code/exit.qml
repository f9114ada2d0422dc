import QtQuick 2.15

// The power-off screen: a confirmation before the unit halts.
Rectangle {
    id: page
    color: "#0a1628"

    signal handlerLoader(string screen)

    property bool switchingOff: false

    Component.onCompleted: stop_mesura()

    Text {
        id: question
        anchors.horizontalCenter: parent.horizontalCenter
        y: 130
        text: page.switchingOff ? qsTr("Switching off...") : qsTr("Switch the instrument off?")
        color: "white"
        font.pixelSize: 28
    }

    Row {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: question.bottom
        anchors.topMargin: 60
        spacing: 60
        visible: !page.switchingOff

        Repeater {
            model: [{ label: qsTr("YES"), off: true }, { label: qsTr("NO"), off: false }]

            Rectangle {
                width: 180
                height: 90
                radius: 8
                color: press.pressed ? "#1f6fb2" : (modelData.off ? "#7a1f1f" : "#16406a")
                border.color: "#3f8fd2"

                Text {
                    anchors.centerIn: parent
                    text: modelData.label
                    color: "white"
                    font.pixelSize: 24
                }

                MouseArea {
                    id: press
                    anchors.fill: parent
                    onClicked: {
                        if (modelData.off) {
                            page.switchingOff = true
                            periodicFunctions.powerOff()
                        } else {
                            page.handlerLoader("MAIN_MENU")
                        }
                    }
                }
            }
        }
    }
}
