import QtQuick 2.15

// A table of named results under its title: each row its name, one or two values and the
// mark of its check; an optional header row names the value columns.
Rectangle {
    id: table

    property string title: ""
    property color titleColor: Theme.attention
    property var header: []
    property int valueColumns: 1
    property real nameShare: 0.46
    readonly property real checkWidth: 24
    readonly property real valueWidth: (width - 2 - (width - 2) * nameShare - checkWidth) / valueColumns
    readonly property alias model: rows

    height: titleText.height + 4 + 22 * (rows.count + (header.length ? 1 : 0))
    color: Theme.panel
    border.color: Theme.panelBorder

    // Names the rows; checks[i] is the starting mark of row i.
    function setRows(names, checks) {
        rows.clear()
        for (var i = 0; i < names.length; ++i)
            rows.append({ name: names[i], value: "---", value2: "---", check: checks[i] })
    }
    function setValue(row, value, check) {
        if (row < 0 || row >= rows.count)
            return
        rows.setProperty(row, "value", String(value))
        if (check !== undefined && rows.get(row).check !== 0)
            rows.setProperty(row, "check", check)
    }
    function setValues(row, value, value2, check) {
        setValue(row, value, check)
        if (row >= 0 && row < rows.count)
            rows.setProperty(row, "value2", String(value2))
    }

    ListModel {
        id: rows
    }

    Text {
        id: titleText
        x: 6
        y: 2
        text: table.title
        color: table.titleColor
        font.pixelSize: Theme.fontSmall
        font.bold: true
    }

    Column {
        anchors.top: titleText.bottom
        anchors.topMargin: 2
        x: 1
        Row {
            visible: table.header.length > 0
            Repeater {
                model: table.header
                Text {
                    width: index === 0 ? (table.width - 2) * table.nameShare
                                       : (index > table.valueColumns ? table.checkWidth : table.valueWidth)
                    height: 22
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    text: modelData
                    color: table.titleColor
                    font.pixelSize: Theme.fontTiny
                    font.bold: true
                }
            }
        }
        Repeater {
            model: rows
            Rectangle {
                width: table.width - 2
                height: 22
                color: index % 2 ? Theme.tableRowAlt : Theme.tableRow
                Row {
                    anchors.fill: parent
                    Text {
                        width: parent.width * table.nameShare
                        height: parent.height
                        leftPadding: 6
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        text: name
                        color: Theme.textStatus
                        font.pixelSize: Theme.fontSmall
                    }
                    Text {
                        width: table.valueWidth
                        height: parent.height
                        rightPadding: 4
                        horizontalAlignment: Text.AlignRight
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        text: value
                        color: Theme.text
                        font.pixelSize: Theme.fontSmall
                    }
                    Text {
                        visible: table.valueColumns > 1
                        width: table.valueWidth
                        height: parent.height
                        rightPadding: 4
                        horizontalAlignment: Text.AlignRight
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        text: value2
                        color: Theme.text
                        font.pixelSize: Theme.fontSmall
                    }
                    CheckMark {
                        width: table.checkWidth
                        height: parent.height
                        mark: check
                    }
                }
            }
        }
    }
}
