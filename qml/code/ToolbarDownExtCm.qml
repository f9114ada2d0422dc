import QtQuick 2.15

// The external modem's upstream toolbar: the upstream one without home and speed.
ToolbarDownUpStream {
    withHomeAndSpeed: false
}
