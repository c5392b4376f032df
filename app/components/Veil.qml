import QtQuick 2.12

// Covers a screen while the link is down: takes every touch and says that
// the values shown are only the last ones the supply reported.
Item {
    id: root

    width: 480
    height: 282
    visible: !main.connected

    FontLoader {
        id: boldFont

        source: "../" + main.fontDefaultBold
    }

    Rectangle {
        anchors.fill: parent
        color: "#000000"
        opacity: 0.6
    }

    MouseArea {
        anchors.fill: parent
    }

    Rectangle {
        // Left of the wheel, which stays above the veil.
        x: 10
        y: 96
        width: 340
        height: 50
        radius: 3
        color: "#cc000000"
        border.color: main.status_color_warning

        Column {
            anchors.centerIn: parent
            spacing: 2

            Text {
                objectName: "veilTitle"
                anchors.horizontalCenter: parent.horizontalCenter
                text: "DISCONNECTED FROM THE SUPPLY"
                color: main.status_color_warning
                font.family: boldFont.name
                font.bold: true
                font.pixelSize: main.fontDefaultSize + 2
            }

            Text {
                objectName: "veilText"
                anchors.horizontalCenter: parent.horizontalCenter
                text: "VALUES SHOWN ARE THE LAST KNOWN ONES"
                color: main.text_color
                font.family: boldFont.name
                font.bold: true
                font.pixelSize: main.fontDefaultSize
            }

        }

    }

}
