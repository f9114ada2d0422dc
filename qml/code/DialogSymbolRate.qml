import QtQuick 2.15
import "qrc:///js/code/definitions.js" as Definitions

// The upstream generator's symbol rate, stored as its index.
DialogChoice {
    title: qsTr("Symbol rate")
    key: "up_test_symbolrate"
    options: Definitions.model_symbol_rate_UP.map(function (rate, index) {
        return { text: rate + " ksym/s", value: index }
    })
}
