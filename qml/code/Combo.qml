import QtQuick 2.15

// A choice among a few texts: shows the current one; a touch lists them all at the box
// (over the whole screen, which takes no other touch meanwhile), and choosing one emits
// activated with its index.
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
        var at = combo.mapToItem(top, 0, 0)
        // The list opens over its box, moved up only as far as the screen's edge needs.
        listBox.x = Math.max(0, Math.min(at.x, top.width - listBox.width))
        listBox.y = Math.max(0, Math.min(at.y, top.height - listBox.height))
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
            id: listBox
            objectName: "comboList"
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
