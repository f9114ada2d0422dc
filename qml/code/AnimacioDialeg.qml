import QtQuick 2.15

// How a dialog appears: it grows from the centre while it fades in.
ParallelAnimation {
    id: animation
    property Item target

    NumberAnimation {
        target: animation.target
        property: "scale"
        from: 0.85
        to: 1
        duration: 150
        easing.type: Easing.OutQuad
    }
    NumberAnimation {
        target: animation.target
        property: "opacity"
        from: 0
        to: 1
        duration: 150
    }
}
