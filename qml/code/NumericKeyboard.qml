import QtQuick 2.15

// A keypad for one number within limits. The limits stand under the typed text; "OK"
// gives the number with retorno only when it lies within them. In the "NEGATIVE" state a
// sign key lets the number be negative; "decimals" allows a decimal point.
Rectangle {
    id: keyboard

    property string title: ""
    property real minimum: 0
    property real maximum: 0
    property bool decimals: false
    property string units: ""
    property string typed: ""
    readonly property real value: Number(typed)
    readonly property bool acceptable: typed !== "" && typed !== "-" && typed !== "." && !isNaN(value)
                                       && value >= minimum && value <= maximum
    signal retorno(real value)
    signal cancelled()

    anchors.fill: parent
    color: Theme.scrim
    z: 160
    readonly property bool modal: true
    states: [State { name: "NEGATIVE" }]

    function close() { keyboard.destroy() }

    function press(key) {
        if (key === "\u232B")
            typed = typed.substring(0, typed.length - 1)
        else if (key === "\u00B1")
            typed = typed.charAt(0) === "-" ? typed.substring(1) : "-" + typed
        else if (key === "." && typed.indexOf(".") >= 0)
            return
        else if (typed.replace("-", "").replace(".", "").length < 9)
            typed += key
    }

    function accept() {
        if (!acceptable)
            return false
        retorno(value)
        close()
        return true
    }

    MouseArea {
        anchors.fill: parent
    }

    Rectangle {
        id: box
        anchors.centerIn: parent
        width: 440
        height: 410
        radius: Theme.radius
        color: Theme.bar
        border.color: Theme.buttonBorder
        border.width: 2

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            y: 8
            spacing: 6

            Text {
                width: 412
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideRight
                text: keyboard.title
                color: Theme.text
                font.pixelSize: Theme.fontLarge
                font.bold: true
            }
            Rectangle {
                width: 412
                height: 44
                color: Theme.frame
                border.color: keyboard.typed === "" || keyboard.acceptable ? Theme.buttonBorder : Theme.alarm
                Text {
                    objectName: "typed"
                    anchors.right: parent.right
                    anchors.rightMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                    text: keyboard.typed + (keyboard.units === "" ? "" : " " + keyboard.units)
                    color: keyboard.typed === "" || keyboard.acceptable ? Theme.text : Theme.alarm
                    font.pixelSize: Theme.fontButton
                }
            }
            Text {
                width: 412
                horizontalAlignment: Text.AlignHCenter
                text: "[" + keyboard.minimum + ", " + keyboard.maximum + "]"
                color: Theme.textDim
                font.pixelSize: Theme.fontBody
            }
            Grid {
                columns: 4
                spacing: 6
                Repeater {
                    model: ["7", "8", "9", "\u232B",
                            "4", "5", "6", keyboard.state === "NEGATIVE" ? "\u00B1" : "",
                            "1", "2", "3", keyboard.decimals ? "." : "",
                            "0"]
                    ScreenButton {
                        objectName: "key_" + modelData
                        width: 98
                        height: 50
                        fontSize: Theme.fontButton
                        text: modelData
                        // A key the state does not offer keeps its place in the grid.
                        enabled: modelData !== ""
                        opacity: enabled ? 1 : 0
                        onClicked: keyboard.press(modelData)
                    }
                }
            }
        }

        Row {
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 10
            anchors.right: parent.right
            anchors.rightMargin: 14
            spacing: 6
            ScreenButton {
                objectName: "key_OK"
                width: 140
                height: 50
                fontSize: Theme.fontBody
                text: qsTr("OK")
                enabled: keyboard.acceptable
                onClicked: keyboard.accept()
            }
            ScreenButton {
                objectName: "key_CANCEL"
                width: 140
                height: 50
                fontSize: Theme.fontBody
                text: qsTr("CANCEL")
                onClicked: {
                    keyboard.cancelled()
                    keyboard.close()
                }
            }
        }
    }

    AnimacioDialeg {
        id: appear
        target: box
    }
    Component.onCompleted: appear.start()
}
