import QtQuick 2.12

// The ramp and limit table of the channel view: three labelled values
// between dividers.
Item {
    id: root

    property var labels: ["", "", ""]
    property var values: ["", "", ""]

    width: 120
    height: 50

    // Not "font": inside the rows that name is the texts' own font.
    FontLoader {
        id: regularFont

        source: "../" + main.fontDefault
    }

    Repeater {
        model: root.labels

        Item {
            y: index * 15
            width: root.width
            height: 15

            Image {
                width: 120
                height: 1
                source: "../assets/Channel/bg_divider.png"
            }

            Text {
                y: 1
                text: modelData
                color: "#EEEEEE"
                font.family: regularFont.name
                font.pixelSize: main.fontDefaultSize - 1
            }

            Text {
                objectName: "value" + index
                x: 55
                y: 1
                text: root.values[index]
                color: "#EEEEEE"
                font.family: regularFont.name
                font.pixelSize: main.fontDefaultSize - 1
            }

        }

    }

    Image {
        y: 45
        width: 120
        height: 1
        source: "../assets/Channel/bg_divider.png"
    }

}
