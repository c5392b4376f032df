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

    function test_noPlottingWithoutLink() {
        cache.addItem("3.0.1", "Status.voltageMeasure", "12.5", "V", "1");
        main.connected = false;
        const chart = makeChart();
        // The link is down here: cached values are not drawn as fresh ones.
        wait(1700);
        compare(series(chart, "voltage").count, 0);
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
