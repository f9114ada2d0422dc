import QtQuick 2.15

// A choice among a few texts: shows the current one; a touch lists them all over the
// screen, and choosing one emits activated with its index.
ScreenButton {
    id: combo

    property var model: []
    property int currentIndex: 0
    readonly property string currentText: model.length > currentIndex && currentIndex >= 0
                                          ? String(model[currentIndex]) : ""
    signal activated(int index)

    width: 150
    height: 44
    fontSize: Theme.fontBody
    text: currentText + "  \u25BE"
    onClicked: {
        var top = combo
        while (top.parent)
            top = top.parent
        choices.parent = top
        choices.visible = true
    }

    Item {
        id: choices
        visible: false
        anchors.fill: parent
        z: 200
        readonly property bool modal: true

        MouseArea {
            anchors.fill: parent
            onClicked: choices.visible = false
        }
        Rectangle {
            anchors.centerIn: parent
            width: Math.max(combo.width, 220)
            height: list.height + 12
            color: Theme.bar
            border.color: Theme.buttonBorder
            radius: Theme.radius
            Column {
                id: list
                x: 6
                y: 6
                spacing: 4
                Repeater {
                    model: combo.model
                    ScreenButton {
                        objectName: "comboChoice" + index
                        width: Math.max(combo.width, 220) - 12
                        height: 44
                        fontSize: Theme.fontBody
                        text: String(modelData)
                        selected: index === combo.currentIndex
                        onClicked: {
                            choices.visible = false
                            combo.currentIndex = index
                            combo.activated(index)
                        }
                    }
                }
            }
        }
    }
}
