import QtQuick 2.12
import QtTest 1.12
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views
import "qrc:/components"

// The channel chart's points, units and axis ranges, fed record by record.
TestCase {
    id: testCase

    property var cache: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
        cache = Children.find(main, "addItem");
        verify(cache !== null);
    }

    function makeChart() {
        return createTemporaryObject(chartComponent, testCase.parent);
    }

    // Series and axes live in the chart view, not among its children.
    function series(chart, name) {
        return findChild(chart, "chartView").series(name === "voltage" ? 0 : 1);
    }

    function axis(chart, name) {
        const view = findChild(chart, "chartView");
        if (name === "time")
            return view.axisX(view.series(0));

        return view.axisY(series(chart, name));
    }

    function ys(chart, name) {
        const s = series(chart, name);
        const result = [];
        for (let i = 0; i < s.count; ++i) result.push(s.at(i).y)
        return result;
    }

    function range(chart, name) {
        const a = axis(chart, name);
        return [a.min, a.max];
    }

    function near(actual, expected) {
        compare(actual.length, expected.length);
        for (let i = 0; i < expected.length; ++i) fuzzyCompare(actual[i], expected[i], 1e-09)
    }

    function test_axisRanges_data() {
        return [{
            "tag": "voltage, small span",
            "type": "voltage",
            "records": [["1", "100.0", "V"], ["2", "100.5", "V"]],
            "points": [100, 100.5],
            "range": [99.65, 100.65]
        }, {
            "tag": "voltage, wide span",
            "type": "voltage",
            "records": [["1", "10", "V"], ["2", "20", "V"]],
            "points": [10, 20],
            "range": [9, 21]
        }, {
            "tag": "voltage converted from mV",
            "type": "voltage",
            "records": [["1", "1500", "mV"]],
            "points": [1.5],
            "range": [0.9, 1.9]
        }, {
            "tag": "current in mA, small span",
            "type": "current",
            "records": [["1", "0.5", "mA"], ["2", "0.5", "mA"]],
            "points": [0.5, 0.5],
            "range": [0.4996, 0.5006]
        }, {
            "tag": "current in mA, wide span",
            "type": "current",
            "records": [["1", "1", "mA"], ["2", "3", "mA"]],
            "points": [1, 3],
            "range": [0.8, 3.2]
        }, {
            "tag": "small current in µA",
            "type": "current",
            "records": [["1", "0.0005", "mA"]],
            "points": [0.5],
            "range": [0.1, 1.1],
            "unit": "µA"
        }];
    }

    function test_axisRanges(data) {
        const chart = makeChart();
        for (const record of data.records) chart.addPoint(data.type, record)
        near(ys(chart, data.type), data.points);
        near(range(chart, data.type), data.range);
        if (data.unit)
            compare(findChild(chart, "currentUnit").text, data.unit);

    }

    function test_lowCurrentRangeNarrowsTheMinimumSpan() {
        const chart = makeChart();
        cache.addItem(chart.cID, "Status.lowCurrentRange", "1", "", "1");
        chart.addPoint("current", ["1", "0.5", "mA"]);
        near(range(chart, "current"), [0.499996, 0.500006]);
        cache.addItem(chart.cID, "Status.lowCurrentRange", "0", "", "2");
        chart.addPoint("current", ["2", "0.5", "mA"]);
        near(range(chart, "current"), [0.4996, 0.5006]);
    }

    // The channel view's chart moves with the selected channel: the new
    // channel's range is read at once and its later changes still arrive.
    function test_lowCurrentRangeFollowsTheChannel() {
        const chart = makeChart();
        cache.addItem("3.0.2", "Status.lowCurrentRange", "1", "", "1");
        chart.cID = "3.0.2";
        verify(chart.lowCurrentRange);
        cache.addItem("3.0.2", "Status.lowCurrentRange", "0", "", "2");
        verify(!chart.lowCurrentRange);
        cache.addItem("3.0.2", "Status.lowCurrentRange", "1", "", "3");
        verify(chart.lowCurrentRange);
    }

    function test_unitFollowsNewestCurrent() {
        const chart = makeChart();
        chart.addPoint("current", ["1", "0.0005", "mA"]);
        compare(findChild(chart, "currentUnit").text, "µA");
        // One unit for the whole trace: the older point is shown in mA again.
        chart.addPoint("current", ["2", "2", "mA"]);
        compare(findChild(chart, "currentUnit").text, "mA");
        near(ys(chart, "current"), [0.0005, 2]);
        // A negative current of some mA is no small current.
        chart.addPoint("current", ["3", "-2", "mA"]);
        compare(findChild(chart, "currentUnit").text, "mA");
    }

    function test_incompleteRecordAddsNothing_data() {
        return [{
            "tag": "empty value",
            "record": ["2", "", "V"]
        }, {
            "tag": "empty time",
            "record": ["", "7", "V"]
        }, {
            "tag": "uncached item",
            "record": ["", "", ""]
        }];
    }

    function test_incompleteRecordAddsNothing(data) {
        const chart = makeChart();
        chart.addPoint("voltage", ["1", "100", "V"]);
        const before = range(chart, "voltage");
        const timeBefore = range(chart, "time");
        chart.addPoint("voltage", data.record);
        near(ys(chart, "voltage"), [100]);
        compare(range(chart, "voltage"), before);
        compare(range(chart, "time"), timeBefore);
    }

    function test_oldPointsLeaveButFiveStay_data() {
        return [{
            "tag": "three old points stay",
            "old": 3,
            "kept": 4
        }, {
            "tag": "seven old points shrink to five",
            "old": 7,
            "kept": 5
        }];
    }

    function test_oldPointsLeaveButFiveStay(data) {
        const chart = makeChart();
        for (let i = 0; i < data.old; ++i) chart.addPoint("voltage", [String(i), String(i), "V"])
        // Age the stored points beyond the 30 s window.
        for (const sample of chart.samples.voltage) sample.t -= 60000
        chart.addPoint("voltage", ["99", "99", "V"]);
        const kept = ys(chart, "voltage");
        compare(kept.length, data.kept);
        compare(kept[kept.length - 1], 99);
        const time = axis(chart, "time");
        verify(Math.abs(time.max.getTime() - time.min.getTime() - 30000) < 1);
    }

    // Every line of a type's trace, in order.
    function drawn(chart, type) {
        const view = findChild(chart, "chartView");
        const points = [];
        for (let i = 0; i < view.count; ++i) {
            const s = view.series(i);
            const own = type === "voltage" ? (i === 0 || s.name.startsWith("voltage_")) : (i === 1 || s.name.startsWith("current_"));
            if (own) {
                for (let k = 0; k < s.count; ++k) points.push(s.at(k))
            }
        }
        return points;
    }

    function test_noPlottingOfLastKnownValues() {
        cache.addItem("3.0.1", "Status.voltageMeasure", "12.5", "V", "1");
        cache.markStale();
        const chart = makeChart();
        // Not read since the link was lost: not drawn as fresh.
        wait(1700);
        compare(series(chart, "voltage").count, 0);
        // The time axis runs on all the same.
        const time = axis(chart, "time");
        verify(Math.abs(time.max.getTime() - Date.now()) < 1000, time.max);
    }

    // An outage between samples: one gap, before and after on lines of
    // their own, none in the hole, for both quantities.
    function test_outageLeavesAGap() {
        const chart = makeChart();
        const start = Date.now();
        cache.addItem("3.0.1", "Status.voltageMeasure", "100", "V", "1");
        cache.addItem("3.0.1", "Status.currentMeasure", "0.5", "mA", "1");
        for (let i = 0; i < 4; ++i) chart.sample(start + i * 500)
        cache.markStale();
        for (let i = 4; i < 10; ++i) chart.sample(start + i * 500)
        cache.addItem("3.0.1", "Status.voltageMeasure", "101", "V", "2");
        cache.addItem("3.0.1", "Status.currentMeasure", "0.6", "mA", "2");
        for (let i = 10; i < 13; ++i) chart.sample(start + i * 500)
        for (const type of ["voltage", "current"]) {
            compare(chart.samples[type].filter(function(p) {
                return p.v === null;
            }).length, 1, type);
            const points = drawn(chart, type);
            compare(points.map(function(p) {
                return p.x - start;
            }), [0, 500, 1000, 1500, 5000, 5500, 6000], type);
            compare(series(chart, type).count, 4, type);
        }
        near(ys(chart, "voltage"), [100, 100, 100, 100]);
        // The range over both stretches: 100 .. 101 V, span 1.
        near(range(chart, "voltage"), [99.9, 101.1]);
    }

    // Noise around 1 µA does not flip the unit and the scale of the trace.
    function test_unitHasAMargin() {
        const chart = makeChart();
        const unit = findChild(chart, "currentUnit");
        const shown = [];
        for (const value of ["0.00099", "0.00101", "0.00098", "0.00115", "0.00099"]) {
            chart.addPoint("current", ["1", value, "mA"]);
            shown.push(unit.text);
        }
        compare(shown, ["µA", "µA", "µA", "µA", "µA"]);
        near(ys(chart, "current"), [0.99, 1.01, 0.98, 1.15, 0.99]);
        chart.addPoint("current", ["2", "0.0013", "mA"]);
        compare(unit.text, "mA");
        chart.addPoint("current", ["3", "0.00101", "mA"]);
        compare(unit.text, "mA");
    }

    // Moved to another channel: the last one's samples go at once, the new
    // one's stored values are drawn at their distances in time.
    function test_anotherChannelStartsAfresh() {
        const chart = makeChart();
        chart.started = true;
        chart.addPoint("voltage", ["1", "100", "V"]);
        chart.addPoint("current", ["1", "0.0005", "mA"]);
        compare(findChild(chart, "currentUnit").text, "µA");
        for (let i = 0; i < 3; ++i) {
            cache.addItem("3.0.3", "Status.voltageMeasure", String(20 + i), "V", String(1000 + i * 0.5));
            cache.addItem("3.0.3", "Status.currentMeasure", "2", "mA", String(1000 + i * 0.5));
        }
        chart.cID = "3.0.3";
        compare(findChild(chart, "currentUnit").text, "mA");
        near(ys(chart, "voltage").slice(-3), [20, 21, 22]);
        compare(ys(chart, "voltage").length, 3);
        const v = series(chart, "voltage");
        compare(v.at(2).x - v.at(0).x, 1000);
        verify(Math.abs(v.at(2).x - Date.now()) < 1000);
        compare(ys(chart, "current"), [2, 2, 2]);
        // Nothing stored for a channel: nothing drawn.
        chart.cID = "3.0.2";
        compare(series(chart, "voltage").count, 0);
        compare(series(chart, "current").count, 0);
    }

    // Stored values from before an outage are not joined to the ones the
    // supply sent since; a quantity not sent again is not drawn at all.
    function test_storedOutageIsNotJoined() {
        const chart = makeChart();
        chart.started = true;
        for (let i = 0; i < 3; ++i) cache.addItem("3.0.2", "Status.voltageMeasure", String(10 + i), "V", String(2000 + i * 0.5))
        cache.addItem("3.0.2", "Status.currentMeasure", "1", "mA", "2000");
        cache.markStale();
        for (let i = 0; i < 2; ++i) cache.addItem("3.0.2", "Status.voltageMeasure", String(30 + i), "V", String(2010 + i * 0.5))
        chart.cID = "3.0.2";
        near(ys(chart, "voltage"), [30, 31]);
        compare(series(chart, "current").count, 0);
    }

    name: "Chart"

    Component {
        id: chartComponent

        Chart {
            cID: "3.0.1"
            width: 400
            height: 87
        }

    }

}
