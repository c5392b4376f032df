import QtQuick 2.12

// One key of the on-screen keyboard: a caption that reports its action when
// clicked, with hover and press feedback.
Item {
    id: root

    property string cID: "undefined key"
    property string clickAction: ""
    property alias label: caption.text
    property color text_color: "#FFFFFF"
    property color text_color_on: "#FFFFFF"
    property color text_color_off: "#333333"
    property color text_color_set: "#FF6600"
    property color bg_color: main.ch_bg_color
    property color bg_color_over: main.ch_bg_color_over
    property color bg_color_pressed: main.ch_bg_color_pressed

    signal pressed(string clickAction)

    width: 35
    height: 30

    Rectangle {
        id: bg

        // Colour to return to after the press feedback.
        property color prevColor: "transparent"

        objectName: "bg"
        anchors.fill: parent
        color: "transparent"
    }

    FontLoader {
        id: font

        source: "../" + main.fontDefault
    }

    Text {
        id: caption

        objectName: "label"
        anchors.fill: parent
        leftPadding: 3
        rightPadding: 3
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        text: "xx"
        color: root.text_color
        font.family: font.name
        font.bold: true
        font.pixelSize: Math.trunc(root.width / 2)
        // Captions wider than the key ("DEL") shrink instead of spilling over.
        fontSizeMode: Text.HorizontalFit
        minimumPixelSize: 8
    }

    MouseArea {
        id: maSelect

        objectName: "maSelect"
        anchors.fill: parent
        hoverEnabled: true
        onPressed: {
            bg.prevColor = bg.color;
            bg.color = root.bg_color_pressed;
        }
        onReleased: bg.color = bg.prevColor
        onCanceled: bg.color = bg.prevColor
        onClicked: root.pressed(root.clickAction)
    }

}
