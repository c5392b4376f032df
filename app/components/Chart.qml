import QtCharts 2.3
import QtQuick 2.12

// Trend of one channel's measured voltage and current over the last 30 s.
// Only current values are drawn: while one is not, its trace has a gap and
// the time axis runs on.
Item {
    id: root

    property string cID
    property string voltageUnit: "V"
    property string currentUnit: "mA"
    property bool lowCurrentRange: false
    readonly property string rangeIdentifier: cID + "_Status.lowCurrentRange"
    // Samples {t, v} per type, oldest first, v null for a gap; currents are
    // kept in mA so that the whole series can be shown in one unit.
    property var samples: ({
        "voltage": [],
        "current": []
    })
    // Lines per type, one per stretch between gaps.
    property var lines: ({
        "voltage": [voltageSeries],
        "current": [currentSeries]
    })
    readonly property var items: ({
        "voltage": "Status.voltageMeasure",
        "current": "Status.currentMeasure"
    })
    readonly property int windowMs: 30000
    readonly property int minSamples: 5
    // Below 1 µA the current is shown in µA, and in mA again only from
    // 1.2 µA on, so that noise around 1 µA does not flip the unit.
    readonly property real microampsBelow: 0.001
    readonly property real milliampsFrom: 0.0012
    // Plotting starts a second after creation.
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
            const size = Math.abs(milliamperes);
            if (size < microampsBelow)
                currentUnit = "µA";
            else if (size >= milliampsFrom)
                currentUnit = "mA";
        }
        draw(type, now);
    }

    // One mark per outage.
    function addGap(type, time) {
        const kept = samples[type];
        if (kept.length === 0 || kept[kept.length - 1].v === null)
            return ;

        kept.push({
            "t": time,
            "v": null
        });
        draw(type, time);
    }

    function draw(type, now) {
        const kept = samples[type];
        const start = now - windowMs;
        osciSeries.setRange(timeAxis, new Date(start), new Date(now));
        while (kept.length > minSamples && kept[0].t < start)kept.shift()
        const factor = type === "current" && currentUnit === "µA" ? 1000 : 1;
        let min = null;
        let max = null;
        const xs = new Array(kept.length);
        const ys = new Array(kept.length);
        for (let i = 0; i < kept.length; ++i) {
            xs[i] = kept[i].t;
            if (kept[i].v === null) {
                ys[i] = NaN;
                continue;
            }
            const v = kept[i].v * factor;
            ys[i] = v;
            min = min === null ? v : Math.min(min, v);
            max = max === null ? v : Math.max(max, v);
        }
        const pool = lines[type];
        let runs = osciSeries.replace(pool, xs, ys);
        if (runs > pool.length) {
            while (pool.length < runs)pool.push(makeLine(type, pool.length))
            osciSeries.replace(pool, xs, ys);
        }
        // Only gaps left: the axis stays where it was.
        if (min === null)
            return ;

        const mid = (max + min) / 2;
        const span = max - min;
        if (type === "voltage") {
            osciSeries.setRange(voltageAxis, span > 0.8 ? mid - 0.6 * span : mid - 0.6, span > 0.8 ? mid + 0.6 * span : mid + 0.4);
        } else {
            const scale = (currentUnit === "µA" ? 1 : 0.001) * (lowCurrentRange ? 0.01 : 1);
            osciSeries.setRange(currentAxis, span > 0.8 * scale ? mid - 0.6 * span : mid - 0.4 * scale, span > 0.8 * scale ? mid + 0.6 * span : mid + 0.6 * scale);
        }
    }

    // A further line of a type, drawn like its first one.
    function makeLine(type, k) {
        const first = lines[type][0];
        const line = chartView.createSeries(ChartView.SeriesTypeLine, type + "_" + k, timeAxis, type === "voltage" ? voltageAxis : currentAxis);
        line.color = first.color;
        line.width = first.width;
        line.pointsVisible = false;
        line.useOpenGL = false;
        return line;
    }

    // A sample of each item, or a gap where the value is not current.
    function sample(now) {
        for (const type of ["voltage", "current"]) {
            // Read first: the cache asks the supply for a value it does not hold.
            const record = main.getItemValue(cID, items[type]);
            if (main.isItemCurrent(cID, items[type]))
                addPoint(type, record, now);
            else
                addGap(type, now);
        }
        osciSeries.setRange(timeAxis, new Date(now - windowMs), new Date(now));
    }

    // The stored records of the channel's current values, at their
    // distances from the newest, which is put at now (the supply's clock
    // need not be the panel's).
    function initFromCache() {
        const now = Date.now();
        for (const type of ["voltage", "current"]) {
            // Only what the supply sent since the link last came back: a
            // stored stretch before an outage would be joined across it.
            const records = main.getCurrentItemValues(cID, items[type]);
            if (records.length === 0)
                continue;

            const newest = Number(records[records.length - 1][0]);
            for (const record of records) {
                const time = Number(record[0]);
                if (record[0] !== "" && isFinite(time) && isFinite(newest) && (newest - time) * 1000 < windowMs)
                    addPoint(type, record, now - (newest - time) * 1000);

            }
        }
    }

    // Another channel: nothing of the last one stays.
    function restart() {
        for (const type of ["voltage", "current"]) {
            samples[type] = [];
            osciSeries.replace(lines[type], [], []);
        }
        voltageUnit = "V";
        currentUnit = "mA";
        if (started)
            initFromCache();

    }

    function update(identifier) {
        if (cID === "" || !main.checkIdentifier(identifier, rangeIdentifier))
            return ;

        lowCurrentRange = main.getItemValue(cID, "Status.lowCurrentRange")[1] == 1;
    }

    onRangeIdentifierChanged: {
        main.subscribe(root, rangeIdentifier, update);
        update(rangeIdentifier);
        restart();
    }
    Component.onCompleted: main.subscribe(root, rangeIdentifier, update)
    Component.onDestruction: main.unsubscribe(root)

    Timer {
        interval: 1000
        running: true
        onTriggered: {
            root.started = true;
            root.initFromCache();
        }
    }

    Timer {
        id: sampler

        interval: 500
        repeat: true
        running: root.started
        onTriggered: root.sample(Date.now())
    }

    ChartView {
        id: chartView

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
