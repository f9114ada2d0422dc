import QtQuick 2.15
import "qrc:///js/code/miscelanea.js" as Miscelanea

// The levels the RF engine sweeps, drawn over a grid: a trace across the span (with its
// max and min holds), or in the scan's bar mode one bar per channel of the plan. The
// canvas gives the engine its frequency points and keeps the tuned frequency within its
// limits.
Item {
    id: spectrum

    // The band the canvas may show, in Hz.
    property real minFrequency: 5e6
    property real maxFrequency: 1218e6
    property real centerFrequency: 600e6
    property real span: 100e6
    readonly property real startFrequency: Math.max(minFrequency, centerFrequency - span / 2)
    readonly property real stopFrequency: Math.min(maxFrequency, centerFrequency + span / 2)
    property int pointCount: 201
    // The top of the grid in dBµV and the dB it spans.
    property real referenceLevel: 110
    property real range: 80
    // The grid's top in dBµV: the reference level moved to the nearest whole line of the
    // user's unit, so that every line reads a round level in it (dBm lies 108.75 dB under
    // dBµV: its lines would otherwise read 1, -9 ... -79).
    readonly property real gridTop: {
        var step = range / 8
        var top = Miscelanea.conversion_dBuV_To_current_units(referenceLevel)
        return Miscelanea.conversion_current_units_To_dBuV(Math.round(top / step) * step)
    }
    property bool bars: false
    // The tuned frequency's line (a band without one shows none).
    property bool marker: true
    property bool maxHold: false
    property bool minHold: false
    property int selected: -1
    // The engine's points: { frequency (Hz), power (tenths of dBµV), bandwidth (Hz) ... }.
    property var levels: []
    property var maxTrace: []
    property var minTrace: []
    // The bars' frequencies (Hz) in plan order, as the screen gave its channels.
    property var barFrequencies: []
    signal pointSelected(int index)

    function clampFrequency(hz) {
        return Math.min(maxFrequency, Math.max(minFrequency, hz))
    }

    // The points the engine sweeps: evenly over the span, or the given channels, each read
    // where its level is: a digital channel at its centre, an analogue one at its vision
    // carrier, 1.25 MHz above the channel's lower edge.
    function frequencyList(channels) {
        var list = []
        if (channels !== undefined) {
            var channelFrequencies = []
            for (var c = 0; c < channels.length; ++c) {
                var f = Number(channels[c].frequency), bw = Number(channels[c].bandwidth)
                var type = String(channels[c].type)
                channelFrequencies.push(f)
                if (type === "ANALOG" && bw > 0)
                    f += 1250000 - bw / 2
                list.push({ frequency: f, bandwidth: bw, type: type, name: String(channels[c].name) })
            }
            barFrequencies = channelFrequencies
            return list
        }
        var step = (stopFrequency - startFrequency) / (pointCount - 1)
        for (var i = 0; i < pointCount; ++i)
            list.push({ frequency: Math.round(startFrequency + i * step) })
        return list
    }

    function repaint() {
        canvas.requestPaint()
    }

    function clear() {
        levels = []
        clearHolds()
    }

    function clearHolds() {
        maxTrace = []
        minTrace = []
        canvas.requestPaint()
    }

    function update(list) {
        levels = list
        var max = maxTrace.length === list.length ? maxTrace : []
        var min = minTrace.length === list.length ? minTrace : []
        var newMax = [], newMin = []
        for (var i = 0; i < list.length; ++i) {
            var p = Number(list[i].power)
            newMax.push(max.length ? Math.max(max[i], p) : p)
            newMin.push(min.length ? Math.min(min[i], p) : p)
        }
        maxTrace = maxHold ? newMax : []
        minTrace = minHold ? newMin : []
        canvas.requestPaint()
    }

    onMaxHoldChanged: clearHolds()
    onMinHoldChanged: clearHolds()
    onCenterFrequencyChanged: canvas.requestPaint()
    onSpanChanged: canvas.requestPaint()
    onSelectedChanged: canvas.requestPaint()

    Rectangle {
        anchors.fill: parent
        color: Theme.frame
        border.color: Theme.grid
    }

    // The frequency under a point of the grid's width (0 its left edge, 1 its right): of the
    // span, or of the bar standing there.
    function frequencyAt(share) {
        if (!bars)
            return startFrequency + share * (stopFrequency - startFrequency)
        var n = barFrequencies.length
        return n === 0 ? NaN : barFrequencies[Math.min(n - 1, Math.floor(share * n))]
    }

    // Level labels on the left, in the user's unit; frequencies under the grid.
    Column {
        id: levelAxis
        objectName: "levelAxis"
        width: 44
        y: canvas.y - 7
        spacing: canvas.height / 8 - 14
        Repeater {
            model: 9
            Text {
                width: 40
                height: 14
                horizontalAlignment: Text.AlignRight
                text: Miscelanea.conversion_dBuV_To_current_units(spectrum.gridTop - index * spectrum.range / 8)
                      .toFixed(0)
                color: Theme.gridText
                font.pixelSize: Theme.fontTiny - 2
            }
        }
    }
    Row {
        objectName: "frequencyAxis"
        anchors.top: canvas.bottom
        anchors.topMargin: 2
        x: canvas.x
        Repeater {
            id: frequencyLabels
            // The bars are in plan order, not evenly in frequency: more labels read them.
            model: spectrum.bars ? 5 : 3
            Text {
                readonly property bool first: index === 0
                readonly property bool last: index === frequencyLabels.count - 1
                readonly property real hz: spectrum.frequencyAt(first ? 0 : (last ? 1 : (index + 0.5)
                                                                                    / frequencyLabels.count))
                width: canvas.width / frequencyLabels.count
                horizontalAlignment: first ? Text.AlignLeft : (last ? Text.AlignRight : Text.AlignHCenter)
                text: isNaN(hz) ? "" : (hz / 1e6).toFixed(2) + " MHz"
                color: Theme.gridText
                font.pixelSize: Theme.fontTiny - 2
            }
        }
    }

    Canvas {
        id: canvas
        objectName: "levelGrid"
        x: levelAxis.width + 4
        y: 10
        width: parent.width - x - 8
        height: parent.height - y - 20

        function toY(tenths) {
            var dB = tenths / 10
            return Math.max(0, Math.min(height, (spectrum.gridTop - dB) / spectrum.range * height))
        }
        function toX(hz) {
            var lo = spectrum.startFrequency, hi = spectrum.stopFrequency
            return hi > lo ? (hz - lo) / (hi - lo) * width : width / 2
        }
        function trace(ctx, values, colour) {
            if (values.length < 2)
                return
            ctx.strokeStyle = colour
            ctx.lineWidth = 1
            ctx.beginPath()
            for (var i = 0; i < values.length; ++i) {
                var x = toX(Number(spectrum.levels[i].frequency)), y = toY(values[i])
                if (i === 0)
                    ctx.moveTo(x, y)
                else
                    ctx.lineTo(x, y)
            }
            ctx.stroke()
        }

        onPaint: {
            var ctx = getContext("2d")
            ctx.reset()
            ctx.strokeStyle = Theme.grid
            ctx.lineWidth = 1
            for (var g = 0; g <= 10; ++g) {
                ctx.beginPath()
                ctx.moveTo(Math.round(g * width / 10) + 0.5, 0)
                ctx.lineTo(Math.round(g * width / 10) + 0.5, height)
                ctx.stroke()
            }
            for (var h = 0; h <= 8; ++h) {
                ctx.beginPath()
                ctx.moveTo(0, Math.round(h * height / 8) + 0.5)
                ctx.lineTo(width, Math.round(h * height / 8) + 0.5)
                ctx.stroke()
            }
            var levels = spectrum.levels
            if (spectrum.bars) {
                // One bar per channel, side by side in plan order.
                var slot = width / Math.max(1, levels.length)
                for (var b = 0; b < levels.length; ++b) {
                    var top = toY(Number(levels[b].power))
                    ctx.fillStyle = b === spectrum.selected ? Theme.marker : Theme.trace
                    ctx.fillRect(b * slot + 1, top, Math.max(1, slot - 2), height - top)
                }
                return
            }
            trace(ctx, spectrum.maxTrace, Theme.traceMax)
            trace(ctx, spectrum.minTrace, Theme.traceMin)
            var current = []
            for (var i = 0; i < levels.length; ++i)
                current.push(Number(levels[i].power))
            trace(ctx, current, Theme.trace)
            if (!spectrum.marker)
                return
            ctx.strokeStyle = Theme.marker
            ctx.beginPath()
            ctx.moveTo(toX(spectrum.centerFrequency), 0)
            ctx.lineTo(toX(spectrum.centerFrequency), height)
            ctx.stroke()
        }

        MouseArea {
            anchors.fill: parent
            enabled: spectrum.bars
            onClicked: {
                var n = spectrum.levels.length
                if (n > 0)
                    spectrum.pointSelected(Math.min(n - 1, Math.floor(mouse.x / (canvas.width / n))))
            }
        }
    }
}
