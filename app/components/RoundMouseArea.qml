import QtQuick 2.12

// A mouse area that reacts only inside the circle inscribed in its rectangle;
// presses and wheel turns outside it reach the items below.
Item {
    id: roundMouseArea

    property alias mouseX: mouseArea.mouseX
    property alias mouseY: mouseArea.mouseY
    readonly property bool containsMouse: mouseArea.containsMouse && inCircle(mouseArea.mouseX, mouseArea.mouseY)
    readonly property bool containsPress: containsMouse && mouseArea.pressed
    readonly property bool _pressed: containsPress

    signal clicked()
    signal wheel(var wheel)
    signal pressed()
    signal released()
    signal excited()
    signal entered()

    function inCircle(x, y) {
        const radius = Math.min(width, height) / 2;
        return Math.pow(width / 2 - x, 2) + Math.pow(height / 2 - y, 2) < radius * radius;
    }

    MouseArea {
        id: mouseArea

        anchors.fill: parent
        hoverEnabled: true
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onClicked: {
            if (roundMouseArea.inCircle(mouse.x, mouse.y))
                roundMouseArea.clicked();

        }
        onWheel: {
            wheel.accepted = roundMouseArea.inCircle(wheel.x, wheel.y);
            if (wheel.accepted)
                roundMouseArea.wheel(wheel);

        }
        onPressed: {
            mouse.accepted = roundMouseArea.inCircle(mouse.x, mouse.y);
            if (mouse.accepted)
                roundMouseArea.pressed();

        }
        onReleased: roundMouseArea.released()
        onExited: roundMouseArea.excited()
        onEntered: roundMouseArea.entered()
    }

}
