import QtQuick 2.12

// One channel's box above the oscilloscope plot: its scale per division,
// newest value and offset, each in a unit that keeps the number readable.
Rectangle {
    id: root

    property string labelText: "-"
    readonly property color textColor: color.a === 0 ? "#AAAAAA" : "#000000"

    signal clicked()

    // The display unit of one number given in "V" or "mA".
    function displayUnit(number, unit) {
        const magnitude = Math.abs(number);
        if (unit === "mA") {
            if (magnitude < 1e-05)
                return "nA";

            if (magnitude < 0.01)
                return "µA";

        } else if (unit === "V" && magnitude < 0.1) {
            return "mV";
        }
        return unit;
    }

    function inUnit(number, unit) {
        const shown = displayUnit(number, unit);
        return {
            "number": main.getValueByUnit(number, unit, shown),
            "unit": shown
        };
    }

    function setValue(value, divs, offset, unit) {
        const d = inUnit(Number(divs), unit);
        divLine.text = d.number.toFixed(3) + " " + d.unit + "/DIV";
        const number = Number(value);
        if (value === "-" || !isFinite(number)) {
            valueLine.text = "- " + unit;
        } else {
            const v = inUnit(number, unit);
            valueLine.text = v.number.toFixed(3) + " " + v.unit;
        }
        const o = inUnit(Number(offset), unit);
        // Rounded to what is shown, then written without trailing zeros.
        offsetLine.text = "offset " + (-Math.round(o.number * 1000) / 1000 + 0) + " " + o.unit;
    }

    width: 100
    height: 40

    FontLoader {
        id: regularFont

        source: "../" + main.fontDefault
    }

    FontLoader {
        id: boldFont

        source: "../" + main.fontDefaultBold
    }

    Item {
        anchors.fill: parent
        anchors.margins: 2

        Text {
            objectName: "label"
            x: -7
            y: 5
            rotation: 270
            text: root.labelText
            color: root.textColor
            font.family: boldFont.name
            font.bold: true
            font.pixelSize: 12
        }

        Text {
            id: divLine

            objectName: "divLine"
            y: 0
            x: 14
            width: parent.width - x
            horizontalAlignment: Text.AlignRight
            // Long values shrink rather than run over the label.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 8
            color: root.textColor
            font.family: regularFont.name
            font.pixelSize: 11
        }

        Text {
            id: valueLine

            objectName: "valueLine"
            y: 12
            x: 14
            width: parent.width - x
            horizontalAlignment: Text.AlignRight
            // Long values shrink rather than run over the label.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 8
            color: root.textColor
            font.family: regularFont.name
            font.pixelSize: 11
        }

        Text {
            id: offsetLine

            objectName: "offsetLine"
            y: 24
            x: 14
            width: parent.width - x
            horizontalAlignment: Text.AlignRight
            // Long values shrink rather than run over the label.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 8
            color: root.textColor
            font.family: regularFont.name
            font.pixelSize: 11
        }

    }

    MouseArea {
        anchors.fill: parent
        onClicked: root.clicked()
    }

}
