import QtQuick 2.15

// A name/value table of eight rows, without header; its owner writes names and values.
Rectangle {
    id: table

    property string title: ""
    property int rowsCount: 8
    readonly property alias model: rows

    height: titleText.height + 4 + 22 * rowsCount
    color: Theme.panel
    border.color: Theme.panelBorder

    function setNames(names) {
        rows.clear()
        for (var i = 0; i < rowsCount; ++i)
            rows.append({ name: names[i] === undefined ? "" : names[i], value: "---" })
    }

    function setValue(row, value) {
        if (row < 0 || row >= rows.count)
            return
        var text = value === undefined || value === null || String(value) === "" ? "---" : String(value)
        rows.setProperty(row, "value", text)
    }

    function setName(row, name) {
        if (row >= 0 && row < rows.count)
            rows.setProperty(row, "name", name)
    }

    function clearValues() {
        for (var i = 0; i < rows.count; ++i)
            rows.setProperty(i, "value", "---")
    }

    ListModel {
        id: rows
    }

    Text {
        id: titleText
        x: 6
        y: 2
        text: table.title
        color: Theme.attention
        font.pixelSize: Theme.fontSmall
        font.bold: true
    }

    Column {
        anchors.top: titleText.bottom
        anchors.topMargin: 2
        x: 1
        Repeater {
            model: rows
            Rectangle {
                width: table.width - 2
                height: 22
                color: index % 2 ? Theme.tableRowAlt : Theme.tableRow
                Text {
                    x: 6
                    width: parent.width * 0.48 - 6
                    height: parent.height
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                    text: name
                    color: Theme.textStatus
                    font.pixelSize: Theme.fontSmall
                }
                Text {
                    x: parent.width * 0.48
                    width: parent.width * 0.52 - 6
                    height: parent.height
                    verticalAlignment: Text.AlignVCenter
                    horizontalAlignment: Text.AlignRight
                    elide: Text.ElideRight
                    text: value
                    color: Theme.text
                    font.pixelSize: Theme.fontSmall
                }
            }
        }
    }
}
