import QtQuick 2.15
import "qrc:///js/code/miscelanea.js" as Miscelanea

// The addresses the modem obtained: cable modem, gateway, netmask, DHCP and TFTP server.
Item {
    id: table

    property string title: ""
    property color titleColor: Theme.attention
    property color borderColor: Theme.warning
    property bool header: false
    readonly property alias model: rows
    readonly property var names: ["CABLE MODEM", "GATEWAY", "NETMASK", "DHCP SERVER", "TFTP SERVER"]
    readonly property int tableHeight: Math.min(280, Theme.rowHeight * names.length + 2 + (header ? Theme.rowHeight : 0))

    height: titleText.height + 2 + tableHeight

    function inicializarDatosTabla() {
        rows.clear()
        for (var i = 0; i < names.length; ++i)
            rows.append({ IP_NAME: names[i], ip: "---.---.---.---" })
    }

    function setIp(row, ip) {
        if (row < 0 || row >= rows.count || ip === undefined || ip === null || String(ip) === "")
            return false
        rows.setProperty(row, "ip", String(ip))
        return true
    }

    function createListLoger() {
        var list = []
        for (var i = 0; i < rows.count; ++i)
            list.push({ ip: Miscelanea.comprovaString(rows.get(i).ip) })
        return list
    }

    function logger_updateDatosTabla(list) {
        inicializarDatosTabla()
        for (var i = 0; i < list.length; ++i)
            setIp(i, list[i].ip)
    }

    ListModel {
        id: rows
    }

    Text {
        id: titleText
        text: table.title
        color: table.titleColor
        font.pixelSize: Theme.fontSmall
        font.bold: true
    }

    Rectangle {
        anchors.top: titleText.bottom
        anchors.topMargin: 2
        width: parent.width
        height: table.tableHeight
        color: Theme.tableRow
        border.color: table.borderColor

        Column {
            x: 1
            y: 1
            Row {
                visible: table.header
                Repeater {
                    model: ["IP_NAME", "IP"]
                    Text {
                        width: (table.width - 2) / 2
                        height: Theme.rowHeight
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
                    height: Theme.rowHeight
                    color: index % 2 ? Theme.tableRowAlt : Theme.tableRow
                    Text {
                        x: 6
                        width: parent.width * 0.45 - 6
                        height: parent.height
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        text: IP_NAME
                        color: table.titleColor
                        font.pixelSize: Theme.fontTiny
                    }
                    Text {
                        x: parent.width * 0.45
                        width: parent.width * 0.55 - 6
                        height: parent.height
                        verticalAlignment: Text.AlignVCenter
                        horizontalAlignment: Text.AlignRight
                        elide: Text.ElideRight
                        text: ip
                        color: Theme.text
                        font.pixelSize: Theme.fontTiny
                    }
                }
            }
        }
    }
}
