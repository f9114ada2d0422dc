import QtQuick 2.15
import "qrc:///js/code/miscelanea.js" as Miscelanea
import "qrc:///js/code/cablemodem.js" as CableModem

// A channel table of the registration screen: under its title, one row per channel with
// its number, frequency, level, MER (downstream) or attenuation (upstream) and a fourth
// figure (symbol rate, profiles, speed). Rows are addressed by their position in the
// modem's list; a row outside the table is ignored. A row keeps its level in dBµV too, so a
// change of unit shows every level in the new unit at once.
Item {
    id: table

    property string title: ""
    property int n_elements: 8
    // "DS" downstream, "US" upstream.
    property string modeloDown: "DS"
    property color color: Theme.cable
    property bool narrow: false
    property bool header: true
    property bool scrollBarAlwaysOn: false
    property string name_title_4: qsTr("SR ksymps")
    property string units: "dB\u03BCV"
    readonly property alias model: rows
    // A screen short of room may hold the table lower still; it scrolls.
    property int maxTableHeight: 283
    readonly property int tableHeight: Math.min(maxTableHeight, Theme.rowHeight * n_elements + (header ? 19 : -1))
    readonly property var columns: ["channel", "frequency", "power", "mer_att", "sr"]
    // Each column's share of the width.
    readonly property var widths: narrow ? [0.078, 0.18, 0.282, 0.19, 0.27] : [0.10, 0.26, 0.20, 0.18, 0.26]

    height: titleText.height + 2 + tableHeight

    function inicializarDatosTabla() {
        rows.clear()
        for (var i = 0; i < n_elements; ++i)
            rows.append({ channel: String(i + 1), frequency: "-", power: "-", mer_att: "-", sr: "-", level: NaN })
    }

    // Writes the given columns of a row (and its level in dBµV, "level", where given); false,
    // and nothing written, for a row outside.
    function setRow(row, values) {
        if (typeof row !== "number" || isNaN(row) || row !== Math.floor(row) || row < 0 || row >= rows.count)
            return false
        for (var i = 0; i < columns.length; ++i)
            if (values[columns[i]] !== undefined)
                rows.setProperty(row, columns[i], String(values[columns[i]]))
        if (values.level !== undefined)
            rows.setProperty(row, "level", Number(values.level))
        return true
    }

    onUnitsChanged: {
        for (var i = 0; i < rows.count; ++i)
            if (!isNaN(rows.get(i).level))
                rows.setProperty(i, "power", CableModem.levelText(rows.get(i).level))
    }

    function createListLoger() {
        var list = []
        for (var i = 0; i < rows.count; ++i) {
            var entry = {}
            for (var c = 0; c < columns.length; ++c)
                entry[columns[c]] = Miscelanea.comprovaString(rows.get(i)[columns[c]])
            list.push(entry)
        }
        return list
    }

    function logger_updateDatosTabla(list) {
        inicializarDatosTabla()
        for (var i = 0; i < list.length; ++i)
            setRow(i, list[i])
    }

    ListModel {
        id: rows
    }

    Text {
        id: titleText
        text: table.title
        color: table.color
        font.pixelSize: Theme.fontSmall
        font.bold: true
    }

    Rectangle {
        id: frameRect
        anchors.top: titleText.bottom
        anchors.topMargin: 2
        width: parent.width
        height: table.tableHeight
        color: Theme.tableRow
        border.color: table.color
        clip: true

        Row {
            id: headerRow
            visible: table.header
            x: 1
            y: 1
            height: table.header ? 18 : 0
            Repeater {
                model: [table.modeloDown === "DS" ? "DS" : "UC", qsTr("F. MHz"), qsTr("PWR") + " " + table.units,
                        table.modeloDown === "DS" ? qsTr("MER dB") : qsTr("ATT dB"), table.name_title_4]
                Rectangle {
                    width: (frameRect.width - 2) * table.widths[index]
                    height: 18
                    color: Theme.tableHeader
                    Text {
                        anchors.fill: parent
                        anchors.leftMargin: 2
                        anchors.rightMargin: 2
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        text: modelData
                        color: table.color
                        font.pixelSize: Theme.fontTiny
                        font.bold: true
                    }
                }
            }
        }

        ListView {
            id: list
            x: 1
            anchors.top: headerRow.bottom
            anchors.topMargin: table.header ? 1 : 0
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 1
            width: parent.width - 2 - (scrollBar.visible ? scrollBar.width : 0)
            model: rows
            boundsBehavior: Flickable.StopAtBounds
            // Rows scrolled up pass under the header, not over it.
            clip: true
            delegate: Row {
                id: line
                readonly property int rowIndex: index
                readonly property var values: [channel, frequency, power, mer_att, sr]
                Repeater {
                    model: 5
                    Rectangle {
                        width: (frameRect.width - 2) * table.widths[index]
                               - (index === 4 && scrollBar.visible ? scrollBar.width : 0)
                        height: Theme.rowHeight
                        color: line.rowIndex % 2 ? Theme.tableRowAlt : Theme.tableRow
                        Text {
                            anchors.fill: parent
                            anchors.leftMargin: 2
                            anchors.rightMargin: 2
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                            elide: Text.ElideRight
                            text: line.values[index]
                            color: Theme.text
                            font.pixelSize: Theme.fontTiny
                        }
                    }
                }
            }
        }

        Rectangle {
            id: scrollBar
            visible: table.scrollBarAlwaysOn || list.contentHeight > list.height
            anchors.right: parent.right
            anchors.rightMargin: 1
            y: list.y
            width: 8
            height: list.height
            color: Theme.track
            Rectangle {
                width: parent.width
                radius: 3
                y: list.visibleArea.yPosition * parent.height
                height: Math.max(12, Math.min(1, list.visibleArea.heightRatio) * parent.height)
                color: table.color
            }
        }
    }
}
