import QtQuick 2.15

// The bar across the bottom of a measurement screen: its keys from the left, and further
// keys (home last) from the right.
Rectangle {
    id: bar

    default property alias leftKeys: leftRow.data
    property alias rightKeys: rightRow.data

    anchors.bottom: parent ? parent.bottom : undefined
    width: parent ? parent.width : Theme.screenWidth
    height: Theme.toolbarHeight
    color: Theme.bar
    z: 30

    Row {
        id: leftRow
        x: 6
        anchors.verticalCenter: parent.verticalCenter
        spacing: 6
    }
    Row {
        id: rightRow
        anchors.right: parent.right
        anchors.rightMargin: 6
        anchors.verticalCenter: parent.verticalCenter
        spacing: 6
    }
}
