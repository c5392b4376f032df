import QtQuick 2.12

// A dark surface that moves a marker to every tapped point, so that an
// offset between finger and reported position shows at once.
Item {
    id: root

    property real clickX: 0
    property real clickY: 0

    anchors.fill: parent

    Rectangle {
        width: 480
        height: 272
        color: "#333333"
    }

    Rectangle {
        objectName: "marker"
        x: root.clickX - 5
        y: root.clickY - 5
        width: 10
        height: 10
        color: "#ff6600"
    }

    MouseArea {
        anchors.fill: parent
        onClicked: {
            console.log("x", mouse.x);
            console.log("Y", mouse.y);
            root.clickX = mouse.x;
            root.clickY = mouse.y;
        }
    }

}
