import "../models/OsiChannel.js" as OsciChannel
import QtCharts 2.3
import QtQuick 2.12

// The oscilloscope plot: up to four channel quantities sampled from the
// item cache on a timer, drawn in divisions with per-channel or common
// scaling, with a legend per channel and a bar showing the time window.
// The channels and scales outlive the plot in main.osciSetup. Only current
// values are sampled; while a value is not current its trace has a gap.
// The common modes keep one scale index and one offset per quantity: "V"
// (voltage), "I" (current) and "IHP" (current in the low current range).
Item {
    id: root

    property var channels: []
    property var chColors: ["yellow", "cyan", "lightgreen", "magenta"]
    property int xDivs: 10
    property var xScales: [100, 1000, 2000, 5000, 10000]
    property int xScaleIndex: saved("xScaleIndex", 3)
    readonly property real xScale: xScales[xScaleIndex]
    readonly property real xAxisRange: xScale * xDivs
    property real xMax: 0
    readonly property real xMin: xMax - xAxisRange
    property real pointsPerPixel: 1
    readonly property real xTimerInterval: Math.max(main.cycleTimeOsc, xAxisRange / chartView.width * pointsPerPixel)
    // An index into the samples: whole, whatever the chart's width.
    readonly property int visiblePoints: Math.round(xAxisRange / xTimerInterval)
    property int bufferSize: 500
    property int yDivs: 10
    property var yScalesV: [0.01, 0.05, 0.1, 0.5, 1, 10, 20, 50, 100, 200, 500, 1000]
    property var yScalesI: [0.001, 0.01, 0.05, 0.1, 0.5, 1, 10, 20, 50, 100, 200, 500]
    property var yScalesIHP: [1e-05, 0.0001, 0.001, 0.01, 0.05, 0.1, 0.5, 1, 10, 20, 50, 100, 200, 500]
    property real minScaleForAutoModeV: 1
    property real minScaleForAutoModeI: 1e-05
    property real minScaleForAutoMode: minScaleForAutoModeV
    property var yScales: yScalesV
    property int yScaleIndex: 5
    readonly property real yAxisRange: chartView.height
    property var yOffsets: [1, 2, 3, 4, 5, 6, 7, 8, 9]
    property int selectedChannel: 0
    property real minSeries: 0
    property var scaleIndexAll: saved("scaleIndexAll", {
        "V": 0,
        "I": 0,
        "IHP": 0
    })
    property var offsetAll: saved("offsetAll", {
        "V": 0,
        "I": 0,
        "IHP": 0
    })
    property bool isRunning: false
    property real nowMs: 0
    // Series per channel path: {lines, marker}; one line per stretch of
    // samples between gaps.
    property var seriesOf: ({
    })
    // Channel path -> whether its current is plotted in the low range list.
    property var lowRanges: ({
    })
    // Visible share and position of the time window in the recorded span.
    property real windowShare: 1
    property real windowPosition: 1

    signal initialized()

    function saved(name, fallback) {
        const value = main.osciSetup[name];
        return value === undefined ? fallback : value;
    }

    function save(name, value) {
        main.osciSetup[name] = value;
    }

    // An empty list is never saved, so it never hides the saved channels.
    function saveChannels() {
        if (channels.length > 0)
            save("channels", channels);

    }

    function setupChannelsFromSettings() {
        const saved = main.osciSetup.channels;
        if (saved === undefined || saved.length === 0)
            return false;

        channels = main.osciSetup.channels;
        return true;
    }

    function addChannel(num, item, chId) {
        const ch = OsciChannel.getChannel();
        ch.init(num, chId, item, "autoSingle");
        ch.setScales(yScales, minScaleForAutoMode);
        ch.setScaleIndex(yScaleIndex);
        ch.setOffsets(yOffsets);
        ch.setOffsetIndex(9 - num - 4);
        ch.setBufferSize(bufferSize);
        ch.setDivRange(Math.trunc(yAxisRange / yDivs));
        channels.push(ch);
    }

    function loadChart() {
        isRunning = false;
        for (const ch of channels) loadSeries(ch)
        isRunning = true;
        initialized();
    }

    function selectChannel(num) {
        selectedChannel = num;
        return getSelectedChannel();
    }

    function getSelectedChannel() {
        return channels[selectedChannel];
    }

    function allInMode(mode) {
        return channels.length > 0 && channels.every(function(ch) {
            return ch.getMode() === mode;
        });
    }

    function setModeAll(mode) {
        for (const ch of channels) ch.setMode(mode)
        saveChannels();
    }

    // Leaving a common mode for one channel takes the others out of it too.
    function setModeSingle(ch, mode) {
        ch.setMode(mode);
        for (const other of channels) {
            if (other === ch)
                continue;

            if (other.getMode() === "autoAll")
                other.setMode("autoSingle");
            else if (other.getMode() === "manualAll")
                other.setMode("manualSingle");
        }
        saveChannels();
    }

    function autoAllChannelsOn() {
        setModeAll("autoAll");
        refreshAll();
        return getAutoAllChannelsOn();
    }

    function autoSingleChannelsOn() {
        setModeAll("autoSingle");
        refreshAll();
        return getAutoSingleChannelsOn();
    }

    function manualAllChannelsOn() {
        setModeAll("manualAll");
        return getManualAllChannelsOn();
    }

    function getAutoAllChannelsOn() {
        return allInMode("autoAll");
    }

    function getAutoSingleChannelsOn() {
        return allInMode("autoSingle");
    }

    function getManualAllChannelsOn() {
        return allInMode("manualAll");
    }

    function toggleRunStop() {
        isRunning = !isRunning;
        return isRunning;
    }

    function turnOnRun() {
        isRunning = true;
        controller.command("SetMenuDefault");
    }

    function turnOffRun() {
        isRunning = false;
        controller.command("SetMenuDefault");
    }

    function getRunState() {
        return isRunning;
    }

    function setXAxis(min, max) {
        osciSeries.setRange(xAxis, min, max);
    }

    function latestData() {
        isRunning = true;
        setXAxis(xMin, xMax);
    }

    // Another quantity starts on its own zero line: a value offset in volts
    // means nothing for a current. The old samples go with the old item.
    function setChannelItem(ch, item) {
        unloadSeries(ch);
        if (item !== ch.getItem())
            ch.setOffset(0);

        ch.setItem(item);
        loadSeries(ch);
    }

    function turnOnChannel(n) {
        const ch = channels[n];
        if (ch === undefined || ch.getItem() !== "off")
            return ;

        setChannelItem(ch, "Status.voltageMeasure");
    }

    function turnOffChannel(n) {
        const ch = channels[n];
        if (ch === undefined)
            return ;

        setChannelItem(ch, "off");
    }

    function toggleOnOffVI() {
        const ch = getSelectedChannel();
        if (ch === undefined)
            return ;

        const next = {
            "Status.voltageMeasure": "Status.currentMeasure",
            "Status.currentMeasure": "off"
        };
        setChannelItem(ch, next[ch.getItem()] || "Status.voltageMeasure");
        saveChannels();
    }

    function toggleVIAll() {
        const selected = getSelectedChannel();
        if (selected === undefined)
            return ;

        const item = selected.getItem() === "Status.voltageMeasure" ? "Status.currentMeasure" : "Status.voltageMeasure";
        for (const ch of channels) setChannelItem(ch, item)
        saveChannels();
    }

    // The channel's current moved to or from the low range: it takes the
    // other list, keeping its scale where that list has it.
    function changeCurrentRange(n) {
        const ch = channels[n];
        if (ch === undefined || ch.getItem() !== "Status.currentMeasure")
            return ;

        const path = ch.getId();
        const low = main.getItemValue(path, "Status.lowCurrentRange")[1] == 1;
        if (low === (lowRanges[path] === true))
            return ;

        lowRanges[path] = low;
        const scale = ch.getScale();
        const list = low ? yScalesIHP : yScalesI;
        ch.setScales(list, minScaleForAutoModeI);
        const index = list.findIndex(function(entry) {
            return entry >= scale * (1 - 1e-09);
        });
        ch.setScaleIndex(index === -1 ? list.length - 1 : index);
        saveChannels();
        refreshSeries(ch);
    }

    function changeXScale(steps) {
        if (steps > 0 && xScaleIndex < xScales.length - 1)
            xScaleIndex++;
        else if (steps < 0 && xScaleIndex > 1)
            xScaleIndex--;
        save("xScaleIndex", xScaleIndex);
        setXAxis(xMin, xMax);
    }

    function changeXOffset(steps) {
        isRunning = false;
        chartView.scrollLeft(steps * 50);
        for (const ch of channels) {
            if (ch.getItem() !== "off")
                drawMarker(ch);

        }
    }

    function changeYScale(steps) {
        const ch = getSelectedChannel();
        if (ch === undefined)
            return ;

        setModeSingle(ch, "manualSingle");
        if (steps > 0 && ch.getScaleIndex() < ch.scales.length - 1)
            ch.setScaleIndex(ch.getScaleIndex() + 1);
        else if (steps < 0)
            ch.setScaleIndex(ch.getScaleIndex() - 1);
        saveChannels();
        refreshSeries(ch);
    }

    function scalesOf(quantity) {
        return quantity === "V" ? yScalesV : (quantity === "IHP" ? yScalesIHP : yScalesI);
    }

    // "V", "I" or "IHP"; "" for an off channel.
    function quantityOf(ch) {
        const item = ch.getItem();
        if (item === "Status.voltageMeasure")
            return "V";

        if (item !== "Status.currentMeasure")
            return "";

        return lowRanges[ch.getId()] === true ? "IHP" : "I";
    }

    // Each quantity's index moves within its own list.
    function changeYScaleAll(steps) {
        for (const quantity of ["V", "I", "IHP"]) {
            const last = scalesOf(quantity).length - 1;
            if (steps > 0 && scaleIndexAll[quantity] < last)
                scaleIndexAll[quantity]++;
            else if (steps < 0 && scaleIndexAll[quantity] > 0)
                scaleIndexAll[quantity]--;
        }
        save("scaleIndexAll", scaleIndexAll);
        refreshAll();
    }

    function changeYOffset(steps) {
        const ch = getSelectedChannel();
        if (ch === undefined)
            return ;

        setModeSingle(ch, "manualSingle");
        const index = ch.getOffsetIndex();
        if (steps > 0 && index < 8)
            ch.setOffsetIndex(index + 1);
        else if (steps < 0 && index > 0)
            ch.setOffsetIndex(index - 1);
        else
            ch.increaseOffset(steps);
        saveChannels();
        refreshSeries(ch);
    }

    // One division of each quantity's common scale per step.
    function changeYOffsetAll(steps) {
        for (const quantity of ["V", "I", "IHP"]) {
            const division = scalesOf(quantity)[scaleIndexAll[quantity]];
            offsetAll[quantity] += steps > 0 ? division : -division;
        }
        save("offsetAll", offsetAll);
        refreshAll();
    }

    function takeSample(ch) {
        const unit = ch.getUnit();
        // An off channel has no item to read (the cache would ask the supply for it).
        if (unit === "")
            return ;

        // Read first: the cache asks the supply for a value it does not hold.
        const record = main.getItemValue(ch.getId(), ch.getItem());
        if (!main.isItemCurrent(ch.getId(), ch.getItem())) {
            ch.addGap(nowMs);
            return ;
        }
        const source = String(record[2]);
        const target = source.endsWith("A") ? "mA" : (source.endsWith("V") ? "V" : "");
        if (target !== "" && record[1] !== "" && isFinite(Number(record[1]))) {
            record[1] = main.getValueByUnit(Number(record[1]), source, target);
            record[2] = target;
        }
        ch.addPoint(record, nowMs);
    }

    // A stretch after a new gap gets a line of its own.
    function hand(ch) {
        const series = seriesOf[ch.getId()];
        if (series === undefined)
            return ;

        const points = ch.getNormalizedData();
        const runs = osciSeries.replace(series.lines, points.x, points.y);
        if (runs <= series.lines.length)
            return ;

        while (series.lines.length < runs)series.lines.push(makeLine(ch, series.lines.length))
        osciSeries.replace(series.lines, points.x, points.y);
    }

    // The only place samples are taken: a redraw between ticks adds none.
    function tick() {
        nowMs = Date.now();
        if (nowMs >= xMax) {
            // The present lands one division from the right edge.
            xMax = nowMs + xScale;
            setXAxis(xMin, xMax);
            for (const ch of channels) takeSample(ch)
            refreshAll();
            return ;
        }
        for (const ch of channels) {
            takeSample(ch);
            hand(ch);
            drawLegend(ch);
        }
    }

    function applyCommonScale(ch) {
        const mode = ch.getMode();
        const quantity = quantityOf(ch);
        if (quantity === "")
            return ;

        if (mode === "autoAll") {
            ch.setScaleIndex(scaleIndexAll[quantity]);
        } else if (mode === "manualAll") {
            ch.setScaleIndex(scaleIndexAll[quantity]);
            ch.setOffset(offsetAll[quantity]);
        }
    }

    function redraw(ch) {
        applyCommonScale(ch);
        ch.refresh();
        drawLegend(ch);
        drawMarker(ch);
        hand(ch);
    }

    function autoScale(ch) {
        const mode = ch.getMode();
        if (mode !== "autoAll" && mode !== "autoSingle")
            return ;

        const index = ch.calcScaleAndOffset(visiblePoints);
        const quantity = quantityOf(ch);
        if (index !== false && quantity !== "" && index > scaleIndexAll[quantity])
            scaleIndexAll[quantity] = index;

    }

    function refreshSeries(trigger) {
        autoScale(trigger);
        for (const ch of channels) redraw(ch)
    }

    // Same result as refreshing with each channel as the trigger in turn,
    // with one redraw and one sample per channel instead of one per trigger.
    function refreshAll() {
        if (channels.length === 0)
            return ;

        if (channels[0].getMode() === "autoAll") {
            for (const quantity of ["V", "I", "IHP"]) scaleIndexAll[quantity] = 0
        }
        for (const ch of channels) autoScale(ch)
        for (const ch of channels) redraw(ch)
        // From the first channel that has samples; 0 while none has.
        let oldest = 0;
        for (const ch of channels) {
            const first = ch.getFirstPoint();
            if (first !== undefined && (oldest === 0 || first.x < oldest))
                oldest = first.x;

        }
        minSeries = oldest;
        updateTimeWindow();
    }

    function loadSeries(ch) {
        const path = ch.getId();
        removeSeries(path);
        if (ch.getItem() !== "Status.voltageMeasure")
            lowRanges[path] = main.getItemValue(path, "Status.lowCurrentRange")[1] == 1;

        if (ch.getItem() === "Status.voltageMeasure")
            ch.setScales(yScalesV, minScaleForAutoModeV);
        else if (lowRanges[path])
            ch.setScales(yScalesIHP, minScaleForAutoModeI);
        else
            ch.setScales(yScalesI, minScaleForAutoModeI);
        // The same position in the new list, or its end when that is shorter.
        if (!ch.setScaleIndex(ch.getScaleIndex()))
            ch.setScaleIndex(ch.scales.length - 1);

        const line = makeLine(ch, 0);
        const colour = chColors[ch.getNumber()];
        const marker = chartView.createSeries(ChartView.SeriesTypeScatter, path + "_offset", xAxis, yAxis);
        marker.markerShape = ScatterSeries.MarkerShapeCircle;
        marker.markerSize = 5;
        marker.borderWidth = 0;
        marker.borderColor = colour;
        marker.color = colour;
        seriesOf[path] = {
            "lines": [line],
            "marker": marker
        };
        drawLegend(ch);
    }

    // Line k of a channel; the first one is named by its path.
    function makeLine(ch, k) {
        const path = ch.getId();
        const line = chartView.createSeries(ChartView.SeriesTypeLine, k === 0 ? path : path + "_" + k, xAxis, yAxis);
        line.opacity = 0.8;
        line.width = 1;
        line.color = chColors[ch.getNumber()];
        line.useOpenGL = false;
        return line;
    }

    function removeSeries(path) {
        const series = seriesOf[path];
        if (series === undefined)
            return ;

        for (const line of series.lines) chartView.removeSeries(line)
        chartView.removeSeries(series.marker);
        delete seriesOf[path];
    }

    function unloadSeries(ch) {
        removeSeries(ch.getId());
        ch.clear();
        drawLegend(ch);
    }

    function drawMarker(ch) {
        const series = seriesOf[ch.getId()];
        if (series !== undefined)
            osciSeries.update(series.marker, [Qt.point(xAxis.max - 5, yOffsets[ch.getOffsetIndex()])]);

    }

    function drawLegend(ch) {
        const legend = legends.itemAt(ch.getNumber());
        if (legend === null)
            return ;

        if (ch.getItem() === "off") {
            legend.shown = false;
            return ;
        }
        const last = ch.getLastPoint();
        legend.setValue(last === undefined || last.y === null ? "-" : last.y, ch.getScale(), ch.getOffset(), ch.getUnit());
        legend.shown = true;
    }

    function updateTimeWindow() {
        const recorded = xMax - minSeries;
        if (minSeries === 0 || xAxis.max <= xAxis.min || recorded <= 0)
            return ;

        windowShare = Math.min(1, (xAxis.max - xAxis.min) / recorded);
        windowPosition = Math.min(1, (xAxis.max - minSeries) / recorded);
    }

    Timer {
        objectName: "sampler"
        interval: root.xTimerInterval
        repeat: true
        running: root.isRunning
        onTriggered: root.tick()
    }

    ChartView {
        id: chartView

        objectName: "chartView"
        x: main.appMode === "Zandor" ? -62 : -75
        y: main.appMode === "Zandor" ? 29 : 26
        width: main.appMode === "Zandor" ? 535 : 555
        height: main.appMode === "Zandor" ? 245 : 250
        theme: ChartView.ChartThemeDark
        animationOptions: ChartView.NoAnimation
        backgroundColor: "transparent"
        antialiasing: true
        clip: true
        legend.visible: false
        // The lowest division stays above the time-window bar.
        margins.bottom: 35

        ValueAxis {
            id: xAxis

            objectName: "xAxis"
            min: 0
            max: 0
            tickCount: 11
            gridLineColor: "#333"
            labelsVisible: false
            labelsFont.pointSize: 8
            onMinChanged: root.updateTimeWindow()
            onMaxChanged: root.updateTimeWindow()
        }

        ValueAxis {
            id: yAxis

            objectName: "yAxis"
            min: 0
            max: root.yDivs
            tickCount: 11
            gridLineColor: "#333"
            labelsVisible: false
            labelsColor: "#00d4f3"
        }

    }

    Item {
        objectName: "legendRow"
        x: 2
        y: 21
        width: 400
        height: 40

        Repeater {
            id: legends

            model: 4

            delegate: Osci_Channel_Legend {
                property bool shown: false

                objectName: "legend" + index
                x: index * 101
                color: root.chColors[index]
                labelText: "CH" + index
                opacity: index === root.selectedChannel ? 1 : (index === 0 || index === 3 ? 0.6 : 0.4)
                visible: shown && main.numberOfChannels > index
                onClicked: controller.command("osc_channel_select_" + index)
            }

        }

    }

    Item {
        id: timeBar

        property real pressX: 0

        objectName: "timeBar"
        x: 2
        y: root.height - 15 - height
        width: 400
        height: 20

        Rectangle {
            y: (parent.height - height) / 2
            width: parent.width
            height: 2
            color: "white"
        }

        Rectangle {
            id: windowBox

            objectName: "windowBox"
            // Whole pixels: renderers round a box edge between pixels differently.
            width: Math.round(Math.max(100, timeBar.width * root.windowShare))
            height: 15
            x: Math.round(Math.max(0, (timeBar.width - width) * root.windowPosition))
            y: Math.floor((parent.height - height) / 2)
            color: "white"

            Text {
                objectName: "windowText"
                anchors.centerIn: parent
                text: "x: " + root.xScale / 1000 + "s/div"
                color: "#333"
                font.pixelSize: 11
            }

            MouseArea {
                anchors.fill: parent
                onPressed: {
                    timeBar.pressX = mapToItem(timeBar, mouse.x, 0).x;
                    root.turnOffRun();
                }
                onPositionChanged: {
                    const x = mapToItem(timeBar, mouse.x, 0).x;
                    if (x === timeBar.pressX)
                        return ;

                    // Dragging to the left shows earlier data.
                    chartView.scrollLeft(2 * (timeBar.pressX - x));
                    timeBar.pressX = x;
                }
                onReleased: root.refreshAll()
            }

        }

    }

}
