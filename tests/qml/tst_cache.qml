import QtQuick 2.12
import QtTest 1.12
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views
import "qrc:/models"

TestCase {
    id: testCase

    property var link: null

    function initTestCase() {
        link = Children.find(main, "appendQueue");
        Views.waitForStart(testCase, main);
        verify(link !== null);
    }

    function init() {
        // The root screen's link is down: its requests pile up in its queue.
        link.queue = [];
    }

    function freshCache() {
        return createTemporaryObject(cacheComponent, testCase);
    }

    function queuedRequests() {
        return link.queue.map(function(packet) {
            return [packet.c, packet.p.p.l, packet.p.p.a, packet.p.p.c, packet.p.i].join(" ");
        });
    }

    function test_historyIsBounded() {
        const cache = freshCache();
        for (let i = 1; i <= 101; ++i) cache.addItem("0.0.1", "Status.voltageMeasure", String(i), "V", String(1000 + i))
        const history = cache.getItem("0.0.1", "Status.voltageMeasure", true);
        compare(history.length, 100);
        compare(history[0], ["1002", "2", "V"]);
        compare(history[99], ["1101", "101", "V"]);
        compare(cache.getItem("0.0.1", "Status.voltageMeasure"), ["1101", "101", "V"]);
    }

    function test_everyReportIsStoredAndAnnounced() {
        const cache = freshCache();
        updatedSpy.target = cache;
        updatedSpy.clear();
        cache.addItem("0.0.2", "Control.on", "1", "", "10");
        cache.addItem("0.0.2", "Control.on", "1", "", "11");
        compare(updatedSpy.count, 2);
        compare(updatedSpy.signalArguments[1][0], "0.0.2_Control.on");
        compare(cache.getItem("0.0.2", "Control.on", true).length, 2);
    }

    function test_missingItemIsRequestedOnce() {
        const cache = freshCache();
        compare(cache.getItem("0.0.1", "Status.on"), ["", "", ""]);
        compare(queuedRequests(), ["getItem 0 0 1 Status.on"]);
        compare(cache.getItem("0.0.1", "Status.on"), ["", "", ""]);
        compare(cache.getItem("0.0.1", "Status.on", true), [["", "", ""]]);
        compare(queuedRequests().length, 1);
        verify(cache.isInWaitlist(cache.keyOf("0.0.1", "Status.on")));
        cache.addItem("0.0.1", "Status.on", "1", "", "99");
        verify(!cache.isInWaitlist(cache.keyOf("0.0.1", "Status.on")));
        compare(cache.getItem("0.0.1", "Status.on"), ["99", "1", ""]);
        compare(queuedRequests().length, 1);
    }

    function test_serviceItemRequestHasNoLevels() {
        const cache = freshCache();
        cache.getItem("", "Setup.cycleTime");
        compare(queuedRequests(), ["getItem    Setup.cycleTime"]);
    }

    function test_emptyItemNameAsksNothing() {
        const cache = freshCache();
        compare(cache.getItem("0.0.1", ""), ["", "", ""]);
        compare(cache.getItem("0.0.1", "", true), ["", "", ""]);
        compare(queuedRequests(), []);
    }

    function test_waitList() {
        const cache = freshCache();
        verify(cache.addToWaitlist("a"));
        verify(cache.addToWaitlist("b"));
        verify(cache.addToWaitlist("a"));
        compare(cache.waitList, ["b", "a"]);
        verify(cache.deleteInWaitlist("a"));
        verify(cache.deleteInWaitlist("never there"));
        verify(!cache.isInWaitlist("a"));
        verify(cache.isInWaitlist("b"));
    }

    function fillForSearch(cache) {
        cache.addItem("0.0.1", "Error.voltageLimit", "0", "", "1");
        cache.addItem("0.0.1", "Error.voltageLimit", "1", "", "2");
        cache.addItem("0.0.1", "Status.on", "1", "", "3");
        cache.addItem("0.0", "Error.temperature", "1", "", "4");
        cache.addItem("0", "Status.on", "1", "", "5");
        cache.addItem("0.0.2", "Status.on", "0", "", "6");
        cache.addItem("0.0.2", "Status.on", "1", "", "7");
        cache.addItem("", "Status.on", "1", "", "8");
        cache.addItem("0.0.3", "Error.currentLimit", "1", "", "9");
    }

    function test_getItemsByPath_data() {
        return [{
            "tag": "newest error of device and channels",
            "path": "0.0",
            "type": "Error.",
            "value": undefined,
            "latestOnly": true,
            "expected": ["0.0.1 Error.voltageLimit 1 2", "0.0 Error.temperature 1 4", "0.0.3 Error.currentLimit 1 9"]
        }, {
            "tag": "every report with a value, integer path first",
            "path": "",
            "type": "Status.on",
            "value": "1",
            "latestOnly": false,
            "expected": ["0 Status.on 1 5", "0.0.1 Status.on 1 3", "0.0.2 Status.on 1 7", " Status.on 1 8"]
        }, {
            "tag": "loose value equality",
            "path": "0.0.2",
            "type": "Status.on",
            "value": 1,
            "latestOnly": false,
            "expected": ["0.0.2 Status.on 1 7"]
        }, {
            "tag": "value filter after newest",
            "path": "0.0.1",
            "type": "Error.voltageLimit",
            "value": "0",
            "latestOnly": true,
            "expected": []
        }, {
            "tag": "no match",
            "path": "0.0.9",
            "type": "",
            "value": undefined,
            "latestOnly": false,
            "expected": []
        }];
    }

    function test_getItemsByPath(data) {
        const cache = freshCache();
        fillForSearch(cache);
        const records = cache.getItemsByPath(data.path, data.type, data.value, data.latestOnly);
        compare(records.map(function(r) {
            return [r.path, r.item, r.value, r.time].join(" ");
        }), data.expected);
    }

    function test_staleUntilReadAgain() {
        const cache = freshCache();
        cache.addItem("0.0.1", "Control.on", "1", "", "1");
        cache.addItem("", "Setup.cycleTime", "250", "ms", "1");
        cache.getItem("0.0.2", "Status.on");
        verify(cache.isCurrent("0.0.1", "Control.on"));
        verify(!cache.isCurrent("0.0.2", "Status.on"));
        updatedSpy.target = cache;
        updatedSpy.clear();
        cache.markStale();
        compare(updatedSpy.signalArguments.map(function(a) {
            return a[0];
        }).sort(), ["0.0.1_Control.on", "_Setup.cycleTime"]);
        verify(!cache.isCurrent("0.0.1", "Control.on"));
        verify(!cache.isCurrent("", "Setup.cycleTime"));
        // The last known value stays readable, and is not asked for again here.
        link.queue = [];
        compare(cache.getItem("0.0.1", "Control.on"), ["1", "1", ""]);
        compare(queuedRequests(), []);
        compare(cache.refreshList().sort(), [["", "Setup.cycleTime"], ["0.0.1", "Control.on"], ["0.0.2", "Status.on"]]);
        cache.addItem("0.0.1", "Control.on", "0", "", "2");
        verify(cache.isCurrent("0.0.1", "Control.on"));
        cache.addItem("0.0.2", "Status.on", "0", "", "2");
        compare(cache.refreshList(), [["", "Setup.cycleTime"]]);
        // The current history starts after the outage; none while stale.
        compare(cache.currentHistory("0.0.1", "Control.on"), [["2", "0", ""]]);
        compare(cache.currentHistory("", "Setup.cycleTime"), []);
        compare(cache.getItem("0.0.1", "Control.on", true).length, 2);
    }

    // Pairs whose joined names are alike stay apart in every table: one
    // report never makes another's last known value current, nor answers
    // another's request.
    function test_namesWithUnderscoresDoNotCollide_data() {
        return [{
            "tag": "underscore in the path",
            "stale": ["0.0", "a_b"],
            "reported": ["0.0_a", "b"]
        }, {
            "tag": "underscore in the item",
            "stale": ["0.0_a", "b"],
            "reported": ["0.0", "a_b"]
        }, {
            "tag": "no separator",
            "stale": ["0.0.1", "Status.on"],
            "reported": ["0.0.1S", "tatus.on"]
        }];
    }

    function test_namesWithUnderscoresDoNotCollide(data) {
        const cache = freshCache();
        cache.addItem(data.stale[0], data.stale[1], "1", "", "1");
        cache.markStale();
        cache.getItem("9", "x");
        link.queue = [];
        cache.addItem(data.reported[0], data.reported[1], "2", "", "2");
        verify(!cache.isCurrent(data.stale[0], data.stale[1]));
        verify(cache.isCurrent(data.reported[0], data.reported[1]));
        compare(cache.refreshList(), [data.stale, ["9", "x"]]);
        // A request of the one is not taken as asked for the other.
        cache.getItem("5" + data.stale[0], data.stale[1]);
        cache.getItem("5" + data.reported[0], data.reported[1]);
        compare(queuedRequests().length, 2);
    }

    // Beyond the cap new names are refused, logged once however many;
    // known ones still update.
    function test_boundedNumberOfItems() {
        const cache = freshCache();
        for (let i = 0; i < cache.maxItems; ++i) cache.addItem("0.0.1", "Status.n" + i, "1", "", "1")
        ignoreWarning(/Cache: holding 10000 items already, refused 1 new one\(s\), the last "0.0.1" "Status.new0"/);
        for (let i = 0; i < 5; ++i) cache.addItem("0.0.1", "Status.new" + i, "1", "", "1")
        compare(cache.itemCount, 10000);
        compare(cache.getItemsByPath("0.0.1", "Status.new", undefined, false), []);
        cache.addItem("0.0.1", "Status.n7", "2", "", "2");
        compare(cache.getItem("0.0.1", "Status.n7"), ["2", "2", ""]);
    }

    name: "Cache"

    SignalSpy {
        id: updatedSpy

        signalName: "updated"
    }

    Component {
        id: cacheComponent

        Cache {
        }

    }

}
