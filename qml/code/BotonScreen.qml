import QtQuick 2.15
import "qrc:///js/code/pantalles.js" as Pantalles

// A toolbar key that stops the measurement and leads to another screen; dimmed while the
// instrument has no such screen.
Boton {
    id: button
    property string screen: ""
    signal leaving()

    enabled: Pantalles.design(screen) !== ""
    onClicked: {
        leaving()
        frame.stop_mesura()
        frame.loadScreen(screen)
    }
}
