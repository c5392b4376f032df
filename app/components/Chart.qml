import QtCharts 2.3
import QtQuick 2.12

// Trend of one channel's measured voltage and current over the last 30 s.
Item {
    id: root

    property string cID
    property string voltageUnit: "V"
    property string currentUnit: "mA"
    property bool lowCurrentRange: false
    readonly property string rangeIdentifier: cID + "_Status.lowCurrentRange"
    // Samples {t, v} per type, oldest first; currents are kept in mA so
    // that the whole series can be shown in the unit of its newest point.
    property var samples: ({
        "voltage": [],
        "current": []
    })
    readonly property int windowMs: 30000
    readonly property int minSamples: 5
    // Plotting starts a second after creation, and only while the supply
    // answers: cached values would otherwise be drawn as fresh ones.
    property bool started: false

    // One sampling tick passes one time for both points, so the time axis
    // moves once per tick.
    function addPoint(type, value, time) {
        const kept = samples[type];
        if (kept === undefined) {
            console.warn("Chart: unknown point type", type);
            return ;
        }
        if (!value || !value[0] || value[1] === undefined || value[1] === "")
            return ;

        const number = Number(value[1]);
        if (!isFinite(number)) {
            console.warn("Chart: ignoring the value", String(value[1]).substring(0, 40), "of", cID, type);
            return ;
        }
        const now = time === undefined ? Date.now() : time;
        const start = now - windowMs;
        osciSeries.setRange(timeAxis, new Date(start), new Date(now));
        let factor = 1;
        if (type === "voltage") {
            kept.push({
                "t": now,
                "v": main.getValueByUnit(number, value[2], "V")
            });
            voltageUnit = "V";
        } else {
            const milliamperes = main.getValueByUnit(number, value[2], "mA");
            kept.push({
                "t": now,
                "v": milliamperes
            });
            currentUnit = Math.abs(milliamperes) < 0.001 ? "µA" : "mA";
            if (currentUnit === "µA")
                factor = 1000;

        }
        while (kept.length > minSamples && kept[0].t < start)kept.shift()
        const newest = kept[kept.length - 1].v * factor;
        let min = newest;
        let max = newest;
        const points = [];
        for (const sample of kept) {
            const v = sample.v * factor;
            min = Math.min(min, v);
            max = Math.max(max, v);
            points.push(Qt.point(sample.t, v));
        }
        const mid = (max + min) / 2;
        const span = max - min;
        if (type === "voltage") {
            osciSeries.setRange(voltageAxis, span > 0.8 ? mid - 0.6 * span : mid - 0.6, span > 0.8 ? mid + 0.6 * span : mid + 0.4);
            osciSeries.update(voltageSeries, points);
        } else {
            const scale = (currentUnit === "µA" ? 1 : 0.001) * (lowCurrentRange ? 0.01 : 1);
            osciSeries.setRange(currentAxis, span > 0.8 * scale ? mid - 0.6 * span : mid - 0.4 * scale, span > 0.8 * scale ? mid + 0.6 * span : mid + 0.6 * scale);
            osciSeries.update(currentSeries, points);
        }
    }

    function update(identifier) {
        if (cID === "" || !main.checkIdentifier(identifier, rangeIdentifier))
            return ;

        lowCurrentRange = main.getItemValue(cID, "Status.lowCurrentRange")[1] == 1;
    }

    onRangeIdentifierChanged: {
        main.subscribe(root, rangeIdentifier, update);
        update(rangeIdentifier);
    }
    Component.onCompleted: main.subscribe(root, rangeIdentifier, update)
    Component.onDestruction: main.unsubscribe(root)

    Timer {
        interval: 1000
        running: true
        onTriggered: root.started = true
    }

    Timer {
        id: sampler

        interval: 500
        repeat: true
        running: root.started && main.connected
        onTriggered: {
            const now = Date.now();
            root.addPoint("voltage", main.getItemValue(root.cID, "Status.voltageMeasure"), now);
            root.addPoint("current", main.getItemValue(root.cID, "Status.currentMeasure"), now);
        }
    }

    ChartView {
        objectName: "chartView"
        anchors.fill: parent
        theme: ChartView.ChartThemeDark
        antialiasing: true
        backgroundColor: "transparent"
        dropShadowEnabled: false
        margins.top: 0
        margins.bottom: 0
        margins.left: 0
        margins.right: 0
        legend.visible: false

        DateTimeAxis {
            id: timeAxis

            objectName: "timeAxis"
            format: "HH:mm:ss"
            tickCount: 3
            gridLineColor: "#333"
            labelsColor: "#999"
            labelsFont.pointSize: 8
        }

        ValueAxis {
            id: voltageAxis

            objectName: "voltageAxis"
            min: 0
            max: 0
            tickCount: 3
            gridLineColor: "#333"
            labelsColor: "#00d4f3"
            labelsFont.pointSize: 8
        }

        ValueAxis {
            id: currentAxis

            objectName: "currentAxis"
            min: 0
            max: 0
            tickCount: 3
            gridLineColor: "#333"
            labelsColor: "#e00bcf"
            color: "#6302c5"
            labelsFont.pointSize: 8
        }

        LineSeries {
            id: voltageSeries

            objectName: "voltageSeries"
            axisX: timeAxis
            axisY: voltageAxis
            pointsVisible: false
            useOpenGL: false
            color: "#00d4f3"
            width: 1
        }

        LineSeries {
            id: currentSeries

            objectName: "currentSeries"
            axisX: timeAxis
            axisYRight: currentAxis
            pointsVisible: false
            useOpenGL: false
            color: "#e00bcf"
            width: 1
        }

    }

    Text {
        objectName: "voltageUnit"
        x: 112
        y: 63
        text: root.voltageUnit
        color: "#00d4f3"
        font.bold: true
        font.pixelSize: 12
    }

    Text {
        objectName: "currentUnit"
        // Between the middle and the last time label.
        x: 240
        y: 63
        text: root.currentUnit
        color: "#e00bcf"
        font.bold: true
        font.pixelSize: 12
    }

}
