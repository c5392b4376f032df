import QtQuick 2.12
import QtTest 1.12
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views
import "qrc:/components"

// The oscilloscope plot against the real cache: channels, scales, modes,
// sampling, series and legends.
TestCase {
    id: testCase

    property var cache: null
    property var holder: null
    property var osci: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
        cache = Children.find(main, "addItem");
        verify(cache !== null);
        main.numberOfChannels = 4;
    }

    function init() {
        main.osciSetup = {
        };
        holder = createTemporaryObject(plotComponent, testCase.parent);
        osci = holder.plot;
    }

    // Channels 0..n-1 showing voltage, loaded, with the sampler stopped so
    // that the test takes the ticks.
    function load(n, items) {
        for (let i = 0; i < n; ++i) osci.addChannel(i, items === undefined ? "Status.voltageMeasure" : items[i], "0.0." + i)
        osci.loadChart();
        osci.isRunning = false;
    }

    function feed(path, item, values, unit) {
        for (const value of values) cache.addItem(path, item, String(value), unit, "t")
    }

    // Every line of a channel's trace, one per stretch between gaps.
    function drawn(path) {
        const points = [];
        for (let i = 0; i < view().count; ++i) {
            const series = view().series(i);
            const line = series.name === path || (series.name.startsWith(path + "_") && /^[0-9]+$/.test(series.name.substring(path.length + 1)));
            if (!line)
                continue;

            for (let k = 0; k < series.count; ++k) points.push(series.at(k))
        }
        return points;
    }

    // The sampler stays still: the window's right end is far ahead.
    function holdWindow() {
        osci.xMax = Date.now() + 3.6e+06;
    }

    function view() {
        return findChild(osci, "chartView");
    }

    // The chart owns its axes once it has series.
    function xAxis() {
        return view().axisX(view().series(0));
    }

    function legend(n) {
        return findChild(osci, "legend" + n);
    }

    function legendTexts(n) {
        return ["divLine", "valueLine", "offsetLine"].map(function(name) {
            return findChild(legend(n), name).text;
        });
    }

    function ys(series) {
        const result = [];
        for (let i = 0; i < series.count; ++i) result.push(series.at(i).y)
        return result;
    }

    function test_changeXScale_data() {
        return [{
            "tag": "down at 1 stays (100 ms/div is not reached)",
            "index": 1,
            "steps": -1,
            "result": 1
        }, {
            "tag": "down",
            "index": 3,
            "steps": -1,
            "result": 2
        }, {
            "tag": "up",
            "index": 3,
            "steps": 1,
            "result": 4
        }, {
            "tag": "up at the end stays",
            "index": 4,
            "steps": 5,
            "result": 4
        }];
    }

    function test_changeXScale(data) {
        load(1);
        osci.xMax = 1e+06;
        osci.xScaleIndex = data.index;
        osci.changeXScale(data.steps);
        compare(osci.xScaleIndex, data.result);
        compare(main.osciSetup.xScaleIndex, data.result);
        compare(osci.xAxisRange, osci.xScales[data.result] * 10);
        const axis = xAxis();
        compare([axis.min, axis.max], [1e+06 - osci.xAxisRange, 1e+06]);
        compare(findChild(osci, "windowText").text, "x: " + osci.xScales[data.result] / 1000 + "s/div");
    }

    function test_samplingPeriod() {
        compare(osci.xScaleIndex, 3);
        compare(osci.xAxisRange, 50000);
        view().width = 535;
        fuzzyCompare(osci.xTimerInterval, 93.46, 0.01);
        compare(osci.visiblePoints, 535);
        compare(findChild(osci, "sampler").interval, 93);
        // Short windows are limited by the supply's fast cycle.
        osci.xScaleIndex = 1;
        compare(osci.xTimerInterval, main.cycleTimeOsc);
    }

    // A width that does not divide the window still gives a whole count,
    // and a refresh over more samples than that works.
    function test_visiblePointsAreWhole() {
        load(1);
        view().width = 533.3;
        verify(Number.isInteger(osci.visiblePoints), osci.visiblePoints);
        const ch = osci.channels[0];
        for (let i = 0; i < 550; ++i) ch.addPoint(["t", String(i % 7), "V"], 1000 + i)
        osci.refreshAll();
        compare(ch.getData().length, 500);
        compare(drawn("0.0.0").length, 500);
    }

    function test_addChannel() {
        load(4);
        compare(osci.channels.length, 4);
        compare(osci.channels.map(function(ch) {
            return ch.getOffsetIndex();
        }), [5, 4, 3, 2]);
        const ch = osci.channels[2];
        compare([ch.getId(), ch.getNumber(), ch.getItem(), ch.getMode(), ch.getScaleIndex(), ch.getScale()], ["0.0.2", 2, "Status.voltageMeasure", "autoSingle", 5, 10]);
        compare(ch.bufferSize, 500);
        compare(ch.divRange, Math.trunc(view().height / 10));
    }

    function test_modeQueries() {
        verify(!osci.getAutoAllChannelsOn());
        verify(!osci.getAutoSingleChannelsOn());
        verify(!osci.getManualAllChannelsOn());
        load(3);
        verify(osci.getAutoSingleChannelsOn());
        verify(osci.manualAllChannelsOn());
        verify(!osci.getAutoSingleChannelsOn());
        verify(osci.autoAllChannelsOn());
        compare(main.osciSetup.channels, osci.channels);
        // One channel changed by hand takes the others out of the common mode.
        osci.selectChannel(1);
        osci.changeYScale(1);
        compare(osci.channels.map(function(ch) {
            return ch.getMode();
        }), ["autoSingle", "manualSingle", "autoSingle"]);
        verify(!osci.getAutoAllChannelsOn());
    }

    function test_changeYOffset_data() {
        return [{
            "tag": "up",
            "index": 5,
            "steps": 1,
            "newIndex": 6,
            "offset": 0
        }, {
            "tag": "down",
            "index": 5,
            "steps": -3,
            "newIndex": 4,
            "offset": 0
        }, {
            "tag": "up at 8 shifts the value instead",
            "index": 8,
            "steps": 1,
            "newIndex": 8,
            "offset": 10
        }, {
            "tag": "down at 0 shifts the value instead",
            "index": 0,
            "steps": -2,
            "newIndex": 0,
            "offset": -20
        }];
    }

    function test_changeYOffset(data) {
        load(1);
        const ch = osci.channels[0];
        ch.setOffset(0);
        ch.setOffsetIndex(data.index);
        osci.changeYOffset(data.steps);
        compare(ch.getOffsetIndex(), data.newIndex);
        compare(ch.getOffset(), data.offset);
        compare(ch.getMode(), "manualSingle");
        // The zero-line marker follows the offset index.
        const marker = view().series("0.0.0_offset");
        compare(marker.count, 1);
        compare(marker.at(0).y, osci.yOffsets[data.newIndex]);
    }

    function test_changeYScale() {
        load(2);
        const ch = osci.selectChannel(1);
        compare(ch.getScaleIndex(), 5);
        osci.changeYScale(1);
        compare([ch.getScaleIndex(), ch.getMode()], [6, "manualSingle"]);
        ch.setScaleIndex(0);
        osci.changeYScale(-1);
        compare(ch.getScaleIndex(), 0);
        ch.setScaleIndex(11);
        osci.changeYScale(1);
        compare(ch.getScaleIndex(), 11);
        // The other channel keeps its automatic mode.
        compare(osci.channels[0].getMode(), "autoSingle");
    }

    function test_commonScaleAndOffset() {
        load(2);
        osci.manualAllChannelsOn();
        osci.changeYScaleAll(1);
        osci.changeYScaleAll(1);
        compare([osci.scaleIndexAll.V, main.osciSetup.scaleIndexAll.V], [2, 2]);
        osci.changeYOffsetAll(1);
        osci.changeYOffsetAll(1);
        osci.changeYOffsetAll(-1);
        fuzzyCompare(osci.offsetAll.V, 0.1, 1e-12);
        fuzzyCompare(main.osciSetup.offsetAll.V, 0.1, 1e-12);
        for (const ch of osci.channels) {
            compare(ch.getScaleIndex(), 2);
            fuzzyCompare(ch.getOffset(), 0.1, 1e-12);
        }
        osci.scaleIndexAll.V = 0;
        osci.changeYScaleAll(-1);
        compare(osci.scaleIndexAll.V, 0);
    }

    // One index and one offset per quantity: a voltage, a current and a
    // low-range current each on their own list, every list wholly reachable.
    function test_commonModesPerQuantity() {
        cache.addItem("0.0.1", "Status.lowCurrentRange", "0", "", "t");
        cache.addItem("0.0.2", "Status.lowCurrentRange", "1", "", "t");
        load(3, ["Status.voltageMeasure", "Status.currentMeasure", "Status.currentMeasure"]);
        feed("0.0.0", "Status.voltageMeasure", [500], "V");
        feed("0.0.1", "Status.currentMeasure", [0.002], "mA");
        feed("0.0.2", "Status.currentMeasure", [0.002], "mA");
        holdWindow();
        osci.tick();
        osci.manualAllChannelsOn();
        for (let i = 0; i < 20; ++i) osci.changeYScaleAll(1)
        compare(osci.channels.map(function(ch) {
            return ch.getScale();
        }), [1000, 500, 500]);
        compare(osci.channels[2].getScaleIndex(), osci.yScalesIHP.length - 1);
        for (let i = 0; i < 20; ++i) osci.changeYScaleAll(-1)
        compare(osci.channels.map(function(ch) {
            return ch.getScale();
        }), [0.01, 0.001, 1e-05]);
        // OFFSET ALL: one division per step on every trace.
        const before = osci.channels.map(function(ch) {
            return ch.getNormalizedData().y[0];
        });
        osci.changeYOffsetAll(1);
        for (let i = 0; i < 3; ++i) fuzzyCompare(osci.channels[i].getNormalizedData().y[0] - before[i], 1, 1e-09)
        osci.changeYOffsetAll(-1);
        osci.changeYOffsetAll(-1);
        for (let i = 0; i < 3; ++i) fuzzyCompare(osci.channels[i].getNormalizedData().y[0] - before[i], -1, 1e-09)
    }

    // AUTO ALL with a voltage and a µA current: the current is not drawn on
    // a scale meant for the voltage.
    function test_autoAllMixedQuantities() {
        cache.addItem("0.0.1", "Status.lowCurrentRange", "0", "", "t");
        load(2, ["Status.voltageMeasure", "Status.currentMeasure"]);
        holdWindow();
        for (let i = 0; i < 5; ++i) {
            feed("0.0.0", "Status.voltageMeasure", [500 + i], "V");
            feed("0.0.1", "Status.currentMeasure", [0.001 + 0.001 * i], "mA");
            osci.tick();
        }
        verify(osci.autoAllChannelsOn());
        const current = osci.channels[1];
        const ys = current.getNormalizedData().y;
        const span = Math.max.apply(null, ys) - Math.min.apply(null, ys);
        verify(span > 2 && span <= 10, "current spans " + span + " divisions at " + current.getScale() + " mA/DIV");
        const voltage = osci.channels[0].getNormalizedData().y;
        for (const y of voltage.concat(ys)) verify(y >= 0 && y <= 10, y)
        compare(osci.channels[0].getScale(), 1);
    }

    // V -> I on a manually shifted channel: the current starts on the zero
    // line, not at the voltage's offset.
    function test_quantitySwitchResetsOffset() {
        cache.addItem("0.0.0", "Status.lowCurrentRange", "0", "", "t");
        load(1);
        feed("0.0.0", "Status.voltageMeasure", [500], "V");
        feed("0.0.0", "Status.currentMeasure", [0.5], "mA");
        holdWindow();
        osci.tick();
        const ch = osci.selectChannel(0);
        ch.setOffsetIndex(8);
        for (let i = 0; i < 5; ++i) osci.changeYOffset(-1)
        ch.setOffsetIndex(0);
        osci.changeYOffset(-50);
        compare(ch.getMode(), "manualSingle");
        verify(ch.getOffset() < -100, ch.getOffset());
        osci.toggleOnOffVI();
        compare(ch.getItem(), "Status.currentMeasure");
        compare(ch.getOffset(), 0);
        osci.tick();
        const y = ch.getNormalizedData().y[0];
        verify(y >= 0 && y <= 10, y);
    }

    // A redraw between ticks (wheel steps while stopped, the time bar let go)
    // takes no sample.
    function test_noSampleOutsideATick() {
        load(1);
        feed("0.0.0", "Status.voltageMeasure", [5], "V");
        holdWindow();
        osci.tick();
        const ch = osci.selectChannel(0);
        compare(ch.getData().length, 1);
        for (let i = 0; i < 10; ++i) osci.changeYScale(i < 5 ? 1 : -1)
        for (let i = 0; i < 10; ++i) osci.changeYOffset(1)
        osci.changeYScaleAll(1);
        osci.autoSingleChannelsOn();
        const box = findChild(osci, "windowBox");
        mousePress(box, 50, 7);
        mouseRelease(box, 50, 7);
        compare(ch.getData().length, 1);
        compare(drawn("0.0.0").length, 1);
    }

    // The supply's value not current for 3 s: no samples then, a break in
    // the buffer and in the drawn trace; the time axis runs on.
    function test_outageLeavesAGap() {
        load(1);
        feed("0.0.0", "Status.voltageMeasure", [5], "V");
        holdWindow();
        osci.isRunning = true;
        wait(1000);
        const lost = Date.now();
        cache.markStale();
        wait(3000);
        feed("0.0.0", "Status.voltageMeasure", [6], "V");
        const back = Date.now();
        wait(1000);
        osci.isRunning = false;
        const data = osci.channels[0].getData();
        const gaps = data.filter(function(p) {
            return p.y === null;
        });
        compare(gaps.length, 1);
        const before = data.filter(function(p) {
            return p.y === 5;
        });
        const after = data.filter(function(p) {
            return p.y === 6;
        });
        verify(before.length >= 5 && after.length >= 5, before.length + " " + after.length);
        // The hole is the outage, give or take a tick or two of a busy machine.
        const hole = after[0].x - before[before.length - 1].x;
        verify(back - lost >= 3000 && hole >= back - lost && hole <= back - lost + 600, hole + " " + (back - lost));
        verify(before[before.length - 1].x <= lost && after[0].x >= back);
        // Drawn: the same points on two lines, none in the hole.
        const points = drawn("0.0.0");
        compare(points.length, before.length + after.length);
        for (const p of points) verify(p.x <= lost || p.x >= back, p.x)
        compare(view().series("0.0.0").count, before.length);
        compare(view().series("0.0.0_1").count, after.length);
        // The legend shows no value while there is none.
        cache.markStale();
        osci.tick();
        compare(legendTexts(0)[1], "- V");
    }

    // With channel 0 cleared the window box still follows the recording.
    function test_timeWindowFollowsFirstChannelWithSamples() {
        load(2);
        holdWindow();
        feed("0.0.0", "Status.voltageMeasure", [1], "V");
        osci.tick();
        wait(20);
        feed("0.0.1", "Status.voltageMeasure", [2], "V");
        osci.tick();
        osci.refreshAll();
        compare(osci.minSeries, osci.channels[0].getFirstPoint().x);
        osci.turnOffChannel(0);
        osci.refreshAll();
        compare(osci.minSeries, osci.channels[1].getFirstPoint().x);
        osci.turnOffChannel(1);
        osci.refreshAll();
        compare(osci.minSeries, 0);
    }

    function test_initializedOnLoad() {
        let count = 0;
        osci.initialized.connect(function() {
            ++count;
        });
        load(2);
        compare(count, 1);
    }

    function test_refreshRaisesCommonScale() {
        load(2);
        feed("0.0.0", "Status.voltageMeasure", [0], "V");
        // The first tick moves the window and takes a sample.
        osci.tick();
        verify(osci.xMax > Date.now());
        compare(osci.channels[0].getData().length, 1);
        compare(view().series("0.0.0").count, 1);
        feed("0.0.0", "Status.voltageMeasure", [300], "V");
        osci.tick();
        compare(osci.channels[0].getData().length, 2);
        osci.scaleIndexAll.V = 0;
        osci.refreshSeries(osci.channels[0]);
        // 0 .. 300 V needs 50 V/div: index 7 in the voltage scales.
        compare(osci.channels[0].getScaleIndex(), 7);
        compare(osci.scaleIndexAll.V, 7);
        // All channels automatic and common: the common index restarts and
        // every channel takes the largest needed.
        feed("0.0.1", "Status.voltageMeasure", [1], "V");
        osci.tick();
        osci.autoAllChannelsOn();
        compare(osci.scaleIndexAll.V, 7);
        compare(osci.channels[1].getScaleIndex(), 7);
        compare(osci.channels[1].getScale(), 50);
    }

    function test_tickSamplesConvertedValues() {
        cache.addItem("0.0.1", "Status.lowCurrentRange", "0", "", "t");
        load(2, ["Status.voltageMeasure", "Status.currentMeasure"]);
        feed("0.0.0", "Status.voltageMeasure", ["1500"], "mV");
        feed("0.0.1", "Status.currentMeasure", ["0.000002"], "A");
        osci.xMax = Date.now() + 60000;
        osci.tick();
        osci.tick();
        compare(osci.channels[0].getData().map(function(p) {
            return p.y;
        }), [1.5, 1.5]);
        fuzzyCompare(osci.channels[1].getLastPoint().y, 0.002, 1e-12);
        // The series hold the normalised points: (1.5 + 0) / 10 + 6.
        const line = view().series("0.0.0");
        compare(line.count, 2);
        fuzzyCompare(line.at(1).y, 6.15, 1e-09);
        compare(line.at(1).x, osci.nowMs);
        compare(legendTexts(0), ["10.000 V/DIV", "1.500 V", "offset 0 mV"]);
        compare(legendTexts(1), ["1.000 mA/DIV", "2.000 µA", "offset 0 nA"]);
    }

    function test_offChannels() {
        load(2, ["off", "Status.voltageMeasure"]);
        verify(!legend(0).visible);
        verify(legend(1).visible);
        verify(!legend(2).visible);
        const link = Children.find(main, "appendQueue");
        link.queue = [];
        osci.xMax = Date.now() + 60000;
        osci.tick();
        // Nothing is asked of the supply for an off channel.
        compare(link.queue.filter(function(packet) {
            return packet.p.i === "off";
        }).length, 0);
        osci.turnOnChannel(0);
        compare(osci.channels[0].getItem(), "Status.voltageMeasure");
        verify(legend(0).visible);
        feed("0.0.0", "Status.voltageMeasure", [5], "V");
        osci.tick();
        compare(osci.channels[0].getData().length, 1);
        osci.turnOffChannel(0);
        compare(osci.channels[0].getData().length, 0);
        compare(view().series("0.0.0").count, 0);
        verify(!legend(0).visible);
    }

    function test_seriesPerChannel() {
        cache.addItem("0.0.1", "Status.lowCurrentRange", "1", "", "t");
        cache.addItem("0.0.2", "Status.lowCurrentRange", "0", "", "t");
        load(3, ["Status.voltageMeasure", "Status.currentMeasure", "Status.currentMeasure"]);
        compare(view().count, 6);
        for (const name of ["0.0.0", "0.0.0_offset", "0.0.1", "0.0.1_offset", "0.0.2", "0.0.2_offset"]) verify(view().series(name) !== null, name)
        verify(Qt.colorEqual(view().series("0.0.1").color, "cyan"));
        compare(osci.channels[0].scales, osci.yScalesV);
        compare(osci.channels[1].scales, osci.yScalesIHP);
        compare(osci.channels[1].minAutoScale, 1e-05);
        compare(osci.channels[2].scales, osci.yScalesI);
        // V -> I -> off -> V on the selected channel, series rebuilt each time.
        osci.selectChannel(0);
        const steps = [];
        for (let i = 0; i < 3; ++i) {
            osci.toggleOnOffVI();
            steps.push(osci.channels[0].getItem());
            compare(view().count, 6);
        }
        compare(steps, ["Status.currentMeasure", "off", "Status.voltageMeasure"]);
        osci.selectChannel(1);
        osci.toggleVIAll();
        compare(osci.channels.map(function(ch) {
            return ch.getItem();
        }), ["Status.voltageMeasure", "Status.voltageMeasure", "Status.voltageMeasure"]);
        compare(view().count, 6);
    }

    function test_legendUnits_data() {
        return [{
            "tag": "nA",
            "args": [5e-06, 1e-06, 0, "mA"],
            "texts": ["1.000 nA/DIV", "5.000 nA", "offset 0 nA"]
        }, {
            "tag": "µA",
            "args": [0.005, 0.001, -0.002, "mA"],
            "texts": ["1.000 µA/DIV", "5.000 µA", "offset 2 µA"]
        }, {
            "tag": "mA",
            "args": [1.25, 0.5, 1.2346, "mA"],
            "texts": ["0.500 mA/DIV", "1.250 mA", "offset -1.235 mA"]
        }, {
            "tag": "mV",
            "args": [0.05, 0.01, 0, "V"],
            "texts": ["10.000 mV/DIV", "50.000 mV", "offset 0 mV"]
        }, {
            "tag": "V",
            "args": [-250.5, 100, -12, "V"],
            "texts": ["100.000 V/DIV", "-250.500 V", "offset 12 V"]
        }, {
            "tag": "widest",
            "args": ["-5999.999", 1000, "5999.999", "V"],
            "texts": ["1000.000 V/DIV", "-5999.999 V", "offset -5999.999 V"]
        }, {
            "tag": "no sample",
            "args": ["-", 10, 0, "V"],
            "texts": ["10.000 V/DIV", "- V", "offset 0 mV"]
        }];
    }

    function test_legendUnits(data) {
        const box = legend(0);
        box.setValue(data.args[0], data.args[1], data.args[2], data.args[3]);
        compare(legendTexts(0), data.texts);
        // Every line fits beside the channel label.
        for (const name of ["divLine", "valueLine", "offsetLine"]) {
            const line = findChild(box, name);
            verify(line.contentWidth <= line.width + 0.5, name + " " + line.contentWidth);
        }
    }

    function test_legendRow() {
        load(4);
        compare([0, 1, 2, 3].map(function(n) {
            return legend(n).opacity;
        }), [1, 0.4, 0.4, 0.6]);
        osci.selectChannel(2);
        compare(legend(2).opacity, 1);
        compare(legend(0).opacity, 0.6);
        compare(findChild(legend(3), "label").text, "CH3");
        main.numberOfChannels = 2;
        verify(legend(1).visible);
        verify(!legend(2).visible);
        main.numberOfChannels = 4;
        holder.commands = [];
        mouseClick(legend(3));
        compare(holder.commands, ["osc_channel_select_3"]);
    }

    function test_runControl() {
        load(1);
        compare(osci.getRunState(), false);
        compare(osci.toggleRunStop(), true);
        holder.commands = [];
        osci.turnOffRun();
        verify(!osci.getRunState());
        osci.turnOnRun();
        verify(osci.getRunState());
        compare(holder.commands, ["SetMenuDefault", "SetMenuDefault"]);
        // Scrolling stops sampling; the latest data brings the window back.
        osci.xMax = 5e+06;
        osci.latestData();
        osci.changeXOffset(2);
        verify(!osci.getRunState());
        const axis = xAxis();
        verify(axis.max < 5e+06);
        osci.latestData();
        verify(osci.getRunState());
        compare([axis.min, axis.max], [osci.xMin, osci.xMax]);
    }

    function test_timeWindowBar() {
        load(1);
        const box = findChild(osci, "windowBox");
        compare([box.x, box.width], [0, 400]);
        osci.minSeries = 0;
        osci.xMax = 200000;
        // 50 s shown of 100 s recorded, ending at the present.
        osci.minSeries = 100000;
        xAxis().min = 150000;
        xAxis().max = 200000;
        compare([box.width, box.x], [200, 200]);
        // Scrolled back to the start of the record.
        xAxis().min = 100000;
        xAxis().max = 150000;
        compare([box.width, box.x], [200, 100]);
    }

    // Dragging the box to the left stops sampling and shows earlier data;
    // letting go redraws.
    function test_dragTimeWindow() {
        load(1);
        osci.xMax = 5e+06;
        osci.latestData();
        holder.commands = [];
        const box = findChild(osci, "windowBox");
        const max = xAxis().max;
        mousePress(box, 200, 7);
        verify(!osci.getRunState());
        compare(holder.commands, ["SetMenuDefault"]);
        mouseMove(box, 170, 7);
        const moved = xAxis().max;
        verify(moved < max, moved + " " + max);
        mouseMove(box, 170, 7);
        compare(xAxis().max, moved);
        mouseMove(box, 190, 7);
        verify(xAxis().max > moved);
        const marker = view().series("0.0.0_offset");
        compare(marker.count, 0);
        mouseRelease(box, 190, 7);
        compare(marker.count, 1);
    }

    function test_savedSetup() {
        load(2);
        osci.changeXScale(1);
        osci.manualAllChannelsOn();
        osci.changeYScaleAll(1);
        const channels = osci.channels;
        const again = createTemporaryObject(plotComponent, testCase.parent).plot;
        compare([again.xScaleIndex, again.scaleIndexAll.V], [4, 1]);
        verify(again.setupChannelsFromSettings());
        compare(again.channels, channels);
        again.loadChart();
        compare(findChild(again, "chartView").count, 4);
    }

    when: windowShown
    name: "Osci"

    Component {
        id: plotComponent

        Item {
            id: controller

            property alias plot: plot
            property var commands: []

            function command(action) {
                commands.push(action);
            }

            width: 420
            height: 248

            Osci {
                id: plot

                anchors.fill: parent
            }

        }

    }

}
