import QtQuick 2.15
import "qrc:///js/code/definitions.js" as Definitions

// The upstream generator's modulation.
DialogChoice {
    title: qsTr("Modulation")
    key: "up_test_modulation"
    options: Definitions.digital_modulations_up.map(function (m) {
        return { text: m.name, value: m.value }
    })
}
