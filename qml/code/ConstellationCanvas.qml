import QtQuick 2.15

// The constellation of a demodulated channel: its points (each axis 0 to 255) over a grid
// of quadres x quadres squares; points gather until reset.
Canvas {
    id: canvas

    property int quadres: 16
    property var llistaI: []
    property var llistaQ: []
    readonly property int maxPoints: 4000

    function reset() {
        llistaI = []
        llistaQ = []
        requestPaint()
    }

    function addPoints(i, q) {
        var n = Math.min(i.length, q.length)
        var allI = llistaI.concat(i.slice(0, n)), allQ = llistaQ.concat(q.slice(0, n))
        llistaI = allI.slice(Math.max(0, allI.length - maxPoints))
        llistaQ = allQ.slice(Math.max(0, allQ.length - maxPoints))
        requestPaint()
    }

    onQuadresChanged: requestPaint()

    onPaint: {
        var ctx = getContext("2d")
        ctx.reset()
        ctx.fillStyle = Theme.frame
        ctx.fillRect(0, 0, width, height)
        ctx.strokeStyle = Theme.grid
        ctx.lineWidth = 1
        var n = Math.max(1, quadres)
        for (var g = 0; g <= n; ++g) {
            var x = Math.round(g * width / n) + 0.5, y = Math.round(g * height / n) + 0.5
            ctx.beginPath()
            ctx.moveTo(x, 0)
            ctx.lineTo(x, height)
            ctx.moveTo(0, y)
            ctx.lineTo(width, y)
            ctx.stroke()
        }
        ctx.fillStyle = Theme.constellation
        for (var p = 0; p < llistaI.length; ++p)
            ctx.fillRect(llistaI[p] / 255 * (width - 2), (1 - llistaQ[p] / 255) * (height - 2), 2, 2)
    }
}
