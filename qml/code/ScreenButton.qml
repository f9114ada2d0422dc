import QtQuick 2.15

// The touch button of every screen: a label on a rounded key that lights while pressed.
// "danger" marks a choice that cannot be undone (switching off); "selected" a choice in force.
// A disabled button is dimmed and takes no touch.
Rectangle {
    id: button

    property alias text: label.text
    property alias fontSize: label.font.pixelSize
    property bool danger: false
    property bool selected: false
    readonly property alias pressed: touch.pressed
    signal clicked()

    width: 160
    height: 90
    radius: Theme.radius
    color: touch.pressed || selected ? Theme.buttonPressed : (danger ? Theme.buttonDanger : Theme.button)
    border.color: Theme.buttonBorder
    opacity: enabled ? 1 : 0.4

    Text {
        id: label
        anchors.fill: parent
        anchors.margins: 6
        color: Theme.text
        font.pixelSize: Theme.fontBody
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    MouseArea {
        id: touch
        anchors.fill: parent
        enabled: button.enabled
        onClicked: button.clicked()
    }
}
