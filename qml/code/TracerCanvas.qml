import QtQuick 2.15
import "qrc:///js/code/cablemodem.js" as CableModem

// The path to a video source, hop by hop: a node per hop, from the instrument on, in rows
// that turn back at the edge. A node's colour tells its lost probes (none, some, all or
// no answer); touching one selects it.
Item {
    id: tracer

    // One map per hop: ip, ltcy, jitter, perduts, nodes_ip.
    property var hops: []
    property int selected: -1
    readonly property int perRow: 8
    readonly property real cellWidth: width / perRow
    readonly property real cellHeight: 56
    signal hopSelected(int index)

    onHopsChanged: canvas.requestPaint()
    onSelectedChanged: canvas.requestPaint()

    // The centre of a node: rows run left to right, then right to left.
    function nodeX(i) {
        var row = Math.floor(i / perRow), col = i % perRow
        return (row % 2 === 0 ? col : perRow - 1 - col) * cellWidth + cellWidth / 2
    }
    function nodeY(i) {
        return Math.floor(i / perRow) * cellHeight + 20
    }
    function colourOf(hop) {
        var lost = CableModem.number(hop.perduts)
        if (isNaN(CableModem.number(hop.ltcy)) || isNaN(lost) || lost >= 3)
            return Theme.fail
        return lost > 0 ? Theme.warning : Theme.pass
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.frame
        border.color: Theme.grid
    }

    Canvas {
        id: canvas
        anchors.fill: parent
        onPaint: {
            var ctx = getContext("2d")
            ctx.reset()
            var hops = tracer.hops
            ctx.strokeStyle = Theme.gridText
            ctx.lineWidth = 2
            ctx.beginPath()
            for (var i = 0; i < hops.length; ++i) {
                if (i === 0)
                    ctx.moveTo(tracer.nodeX(0), tracer.nodeY(0))
                else
                    ctx.lineTo(tracer.nodeX(i), tracer.nodeY(i))
            }
            ctx.stroke()
            for (var n = 0; n < hops.length; ++n) {
                ctx.fillStyle = tracer.colourOf(hops[n])
                ctx.beginPath()
                ctx.arc(tracer.nodeX(n), tracer.nodeY(n), n === tracer.selected ? 11 : 8, 0, 2 * Math.PI)
                ctx.fill()
                if (n === tracer.selected) {
                    ctx.strokeStyle = Theme.text
                    ctx.stroke()
                }
            }
        }
    }

    Repeater {
        model: tracer.hops.length
        Text {
            x: tracer.nodeX(index) - width / 2
            y: tracer.nodeY(index) + 12
            width: tracer.cellWidth
            horizontalAlignment: Text.AlignHCenter
            text: "N" + index
            color: Theme.textDim
            font.pixelSize: Theme.fontTiny
        }
    }

    MouseArea {
        anchors.fill: parent
        onClicked: {
            for (var i = 0; i < tracer.hops.length; ++i)
                if (Math.abs(mouse.x - tracer.nodeX(i)) < tracer.cellWidth / 2
                        && Math.abs(mouse.y - tracer.nodeY(i)) < tracer.cellHeight / 2) {
                    tracer.selected = i
                    tracer.hopSelected(i)
                    return
                }
        }
    }
}
