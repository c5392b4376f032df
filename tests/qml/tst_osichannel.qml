import QtQuick 2.12
import QtTest 1.12
import "qrc:/models/OsiChannel.js" as OsciChannel

// The oscilloscope's channel objects: samples, auto-scaling, trimming and
// the conversion into screen divisions.
TestCase {
    id: testCase

    readonly property var scales12: [0.01, 0.05, 0.1, 0.5, 1, 10, 20, 50, 100, 200, 500, 1000]

    function channel(scales, minAutoScale) {
        const ch = OsciChannel.getChannel();
        ch.init(1, "0.0.1", "Status.voltageMeasure", "autoSingle");
        ch.setScales(scales === undefined ? scales12 : scales, minAutoScale === undefined ? 0 : minAutoScale);
        ch.setScaleIndex(4);
        ch.setOffsets([1, 2, 3, 4, 5, 6, 7, 8, 9]);
        ch.setOffsetIndex(4);
        ch.setBufferSize(500);
        return ch;
    }

    function feed(ch, values) {
        for (let i = 0; i < values.length; ++i) ch.addPoint([String(i), String(values[i]), "V"], 1000 + i)
    }

    function ys(points) {
        return points.map(function(p) {
            return p.y;
        });
    }

    function test_freshChannelsAreIndependent() {
        const a = OsciChannel.getChannel();
        const b = OsciChannel.getChannel();
        compare([a.id, a.number, a.item, a.mode, a.scaleIndex, a.offset, a.bufferSize], [null, null, null, null, null, 0, null]);
        a.setScales([1, 2], 1);
        a.setOffsets([5]);
        a.setOffsetIndex(0);
        a.setScaleIndex(0);
        a.addPoint(["t", "3", "V"], 1);
        compare(a.getData().length, 1);
        compare(b.getData().length, 0);
        compare(b.getNormalizedData().x.length, 0);
        compare(b.scales, []);
        compare(OsciChannel.getChannel().getData().length, 0);
        a.init(2, "0.0.2", "Status.currentMeasure", "manualAll");
        compare([a.getNumber(), a.getId(), a.getItem(), a.getMode(), a.getUnit()], [2, "0.0.2", "Status.currentMeasure", "manualAll", "mA"]);
        a.setItem("off");
        compare(a.getUnit(), "");
    }

    function test_clone() {
        const date = new Date("2026-01-02T03:04:05.678Z");
        const source = {
            "list": [1, {
                "deep": "x"
            }],
            "when": date,
            "f": Math.max,
            "none": null
        };
        const copy = OsciChannel.clone(source);
        verify(copy !== source && copy.list !== source.list && copy.list[1] !== source.list[1]);
        compare(copy.list[1].deep, "x");
        verify(copy.when !== date);
        compare(copy.when.toISOString(), "2026-01-02T03:04:05.678Z");
        verify(copy.f === Math.max);
        compare(copy.none, null);
        compare(OsciChannel.clone(7), 7);
        compare(OsciChannel.clone(undefined), undefined);
        const bare = Object.create(null);
        compare(OsciChannel.clone(bare), undefined);
    }

    function test_addPoint_data() {
        return [{
            "tag": "value",
            "record": ["12:00", "250.5", "V"],
            "added": true
        }, {
            "tag": "negative",
            "record": ["12:00", "-0.25", "V"],
            "added": true
        }, {
            "tag": "empty value",
            "record": ["12:00", "", "V"],
            "added": false
        }, {
            "tag": "nothing cached",
            "record": ["", "", ""],
            "added": false
        }, {
            "tag": "no time",
            "record": [],
            "added": false
        }, {
            "tag": "not a number",
            "record": ["12:00", "12a", "V"],
            "added": false,
            "warning": "OsiChannel: ignoring the sample 12a of 0.0.1"
        }];
    }

    function test_addPoint(data) {
        const ch = channel();
        if (data.warning)
            ignoreWarning(data.warning);

        compare(ch.addPoint(data.record, 5000), data.added);
        compare(ch.getData().length, data.added ? 1 : 0);
        compare(ch.getNormalizedData().x.length, data.added ? 1 : 0);
        if (!data.added) {
            compare(ch.getLastPoint(), undefined);
            return ;
        }
        const v = Number(data.record[1]);
        compare(ch.getFirstPoint().x, 5000);
        compare(ch.getLastPoint().y, v);
        compare(ch.getNormalizedData().x[0], 5000);
        // scale 1 (index 4), zero line at 5 divisions
        fuzzyCompare(ch.getNormalizedData().y[0], v + 5, 1e-09);
    }

    function test_autoScale() {
        const ch = channel([0.01, 0.05, 0.1, 0.5, 1, 10], 1);
        compare(ch.calcScaleAndOffset(100), false);
        feed(ch, [10, 14, 12]);
        compare(ch.calcScaleAndOffset(100), 4);
        compare([ch.getMin(), ch.getMax(), ch.getOffset(), ch.getScaleIndex(), ch.getScale()], [10, 14, -12, 4, 1]);
        // Only the newest visible samples count.
        feed(ch, [100, 20, 22]);
        compare(ch.calcScaleAndOffset(2), 4);
        compare([ch.getMin(), ch.getMax(), ch.getOffset()], [20, 22, -21]);
    }

    // Every one of twelve scales can be the answer: the smallest that holds
    // the span in six divisions, never below the automatic minimum.
    function test_autoScaleConsidersEveryScale_data() {
        const rows = [];
        for (let i = 0; i < 12; ++i) {
            rows.push({
                "tag": "span for index " + i,
                "span": scales12[i] * 5.9,
                "minAuto": 0,
                "index": i
            });
        }
        rows.push({
            "tag": "just above a scale",
            "span": 0.5 * 6 + 0.001,
            "minAuto": 0,
            "index": 4
        });
        rows.push({
            "tag": "flat trace at the minimum",
            "span": 0,
            "minAuto": 1,
            "index": 4
        });
        rows.push({
            "tag": "flat trace, no minimum",
            "span": 0,
            "minAuto": 0,
            "index": 0
        });
        rows.push({
            "tag": "beyond the largest",
            "span": 7000,
            "minAuto": 0,
            "index": 11
        });
        return rows;
    }

    function test_autoScaleConsidersEveryScale(data) {
        const ch = channel(scales12, data.minAuto);
        feed(ch, [0, data.span, data.span / 2]);
        compare(ch.calcScaleAndOffset(3), data.index);
        compare(ch.getScale(), scales12[data.index]);
    }

    function test_setScaleIndex_data() {
        return [{
            "tag": "below",
            "index": -1,
            "ok": false
        }, {
            "tag": "past the end",
            "index": 12,
            "ok": false
        }, {
            "tag": "not a number",
            "index": "x",
            "ok": false
        }, {
            "tag": "first",
            "index": 0,
            "ok": true
        }, {
            "tag": "last",
            "index": 11,
            "ok": true
        }];
    }

    function test_setScaleIndex(data) {
        const ch = channel();
        compare(ch.setScaleIndex(data.index), data.ok);
        compare(ch.getScaleIndex(), data.ok ? data.index : 4);
        compare(ch.getScale(), data.ok ? scales12[data.index] : 1);
    }

    function test_clearPoints_data() {
        return [{
            "tag": "499",
            "count": 499,
            "kept": 499,
            "normKept": 499
        }, {
            "tag": "500",
            "count": 500,
            "kept": 500,
            "normKept": 0
        }, {
            "tag": "501",
            "count": 501,
            "kept": 500,
            "normKept": 0
        }];
    }

    function test_clearPoints(data) {
        const ch = channel();
        const values = [];
        for (let i = 0; i < data.count; ++i) values.push(i)
        feed(ch, values);
        ch.clearPoints();
        compare(ch.getData().length, data.kept);
        compare(ch.getNormalizedData().x.length, data.normKept);
        // The newest are kept, oldest first.
        compare(ch.getLastPoint().y, data.count - 1);
        compare(ch.getFirstPoint().y, data.count - data.kept);
        ch.calcNormalizedValues();
        compare(ch.getNormalizedData().x.length, data.kept);
        compare(ch.getNormalizedData().x[0], ch.getFirstPoint().x);
        fuzzyCompare(ch.getNormalizedData().y[0], ch.getFirstPoint().y + 5, 1e-09);
    }

    function test_conversions_data() {
        return [{
            "tag": "scale 1, zero line 5",
            "scaleIndex": 4,
            "offsetIndex": 4,
            "offset": 0,
            "value": 3,
            "norm": 8
        }, {
            "tag": "scale 10 with offset",
            "scaleIndex": 5,
            "offsetIndex": 0,
            "offset": -12,
            "value": 32,
            "norm": 3
        }, {
            "tag": "small scale, negative",
            "scaleIndex": 0,
            "offsetIndex": 8,
            "offset": 0.02,
            "value": -0.05,
            "norm": 6
        }];
    }

    function test_conversions(data) {
        const ch = channel();
        ch.setScaleIndex(data.scaleIndex);
        ch.setOffsetIndex(data.offsetIndex);
        ch.setOffset(data.offset);
        fuzzyCompare(ch.getNormalizedValue(data.value), data.norm, 1e-09);
        fuzzyCompare(ch.getRealValue(data.norm), data.value, 1e-09);
        fuzzyCompare(ch.getRealValue(ch.getNormalizedValue(1234.5)), 1234.5, 1e-09);
    }

    function test_increaseOffset() {
        const ch = channel();
        ch.setScaleIndex(5);
        compare(ch.increaseOffset(2), 20);
        compare(ch.increaseOffset(-3), -10);
        compare(ch.getOffset(), -10);
    }

    // A gap is one null sample however long the outage; it is drawn as a
    // break (NaN), counts for no scale and is trimmed like any sample.
    function test_gaps() {
        const ch = channel([0.01, 0.05, 0.1, 0.5, 1, 10], 1);
        verify(!ch.addGap(900));
        feed(ch, [10, 14]);
        verify(ch.addGap(2000));
        verify(!ch.addGap(2100));
        ch.addPoint(["t", "12", "V"], 3000);
        compare(ch.getData().map(function(p) {
            return p.y;
        }), [10, 14, null, 12]);
        compare(ch.getNormalizedData().x, [1000, 1001, 2000, 3000]);
        verify(isNaN(ch.getNormalizedData().y[2]));
        compare(ch.calcScaleAndOffset(100), 4);
        compare([ch.getMin(), ch.getMax()], [10, 14]);
        ch.calcNormalizedValues();
        const norm = ch.getNormalizedData();
        compare(norm.x, [1000, 1001, 2000, 3000]);
        verify(isNaN(norm.y[2]));
        fuzzyCompare(norm.y[3], 12 - 12 + 5, 1e-09);
        // Nothing but a gap in view: the scale stays.
        ch.addGap(4000);
        compare(ch.calcScaleAndOffset(1), false);
        compare(ch.getScaleIndex(), 4);
        // A fractional count of visible samples is no index.
        compare(ch.calcScaleAndOffset(2.5), 4);
        compare([ch.getMin(), ch.getMax()], [12, 12]);
    }

    function test_refresh() {
        const ch = channel();
        ch.setBufferSize(3);
        feed(ch, [1, 2, 3, 4, 5]);
        ch.setScaleIndex(5);
        ch.refresh();
        compare(ys(ch.getData()), [3, 4, 5]);
        compare(ch.getNormalizedData().x, [1002, 1003, 1004]);
        // Drawn with the new scale: 10 per division, zero line at 5.
        fuzzyCompare(ch.getNormalizedData().y[2], 5.5, 1e-09);
    }

    name: "OsiChannel"
}
