import QtQuick 2.12
import QtTest 1.12
import "fixtures/views.js" as Views

// The root screen's own operations, on the real compiled `main`.
TestCase {
    id: testCase

    function initTestCase() {
        Views.waitForStart(testCase, main);
    }

    // The root screen outlives the cases and keeps updating as it closes.
    function cleanupTestCase() {
        stateSpy.target = null;
        viewSpy.target = null;
    }

    function test_checkIdentifier_data() {
        return [{
            "tag": "channel item, own channel",
            "identifier": "0.0.1_Status.voltageMeasure",
            "cID": "0.0.1",
            "expected": true
        }, {
            "tag": "channel item, other channel",
            "identifier": "0.0.1_Status.voltageMeasure",
            "cID": "0.0.2",
            "expected": false
        }, {
            "tag": "device scope matches channel item",
            "identifier": "0.0.3_Control.on",
            "cID": "0.0",
            "expected": true
        }, {
            "tag": "item name matches on any path",
            "identifier": "0.0.2_Status.runningState",
            "cID": "Status.runningState",
            "expected": true
        }, {
            "tag": "service item, empty cID",
            "identifier": "_Setup.cycleTime",
            "cID": "",
            "expected": true
        }, {
            "tag": "both empty",
            "identifier": "",
            "cID": "",
            "expected": true
        }, {
            "tag": "channel item, empty cID",
            "identifier": "0.0.1_Status.on",
            "cID": "",
            "expected": false
        }, {
            "tag": "empty identifier, cID set",
            "identifier": "",
            "cID": "0.0",
            "expected": false
        }, {
            "tag": "absent identifier, empty cID",
            "identifier": undefined,
            "cID": "",
            "expected": false
        }];
    }

    function test_checkIdentifier(data) {
        compare(main.checkIdentifier(data.identifier, data.cID), data.expected);
    }

    function test_checkIdentifierBothAbsent() {
        verify(main.checkIdentifier());
    }

    function owner() {
        return Qt.createQmlObject("import QtQml 2.12; QtObject {}", testCase);
    }

    // An update reaches a subscriber whenever its handler would accept it.
    function test_subscriptionReachesWhatTheKeyAccepts_data() {
        return test_checkIdentifier_data().filter(function(row) {
            return typeof row.identifier === "string";
        });
    }

    function test_subscriptionReachesWhatTheKeyAccepts(data) {
        const subscriber = owner();
        let reached = false;
        main.subscribe(subscriber, data.cID, function(identifier) {
            reached = identifier === data.identifier;
        });
        main.stateUpdated(data.identifier);
        main.unsubscribe(subscriber);
        if (data.expected)
            verify(reached);

        // Keys that do not occur in an identifier are never handed it.
        if (!data.identifier.includes(data.cID))
            verify(!reached);

    }

    function test_subscriptionOrderAndChangesWhileHandingOut() {
        const calls = [];
        const a = owner(), b = owner(), c = owner(), d = owner();
        main.subscribe(a, "0.0.1", function() {
            calls.push("a");
            main.unsubscribe(c);
            main.subscribe(d, "0.0", function() {
                calls.push("d");
            });
        });
        main.subscribe(b, "0.0.2", function() {
            calls.push("b");
        });
        main.subscribe(c, "0.0", function() {
            calls.push("c");
        });
        // Subscribing again changes the key and keeps the place.
        main.subscribe(b, "0.0");
        main.stateUpdated("0.0.1_Status.on");
        // As with a signal: one removed meanwhile is not called, one added
        // meanwhile waits for the next update.
        compare(calls, ["a", "b"]);
        calls.length = 0;
        main.stateUpdated("0.0.1_Status.on");
        compare(calls, ["a", "b", "d"]);
        for (const subscriber of [a, b, d]) main.unsubscribe(subscriber)
        calls.length = 0;
        main.stateUpdated("0.0.1_Status.on");
        compare(calls, []);
    }

    // One failing subscriber is logged with its owner and the identifier;
    // the others are served all the same.
    function test_failingSubscriberLeavesTheOthersServed() {
        const calls = [];
        const a = owner(), b = owner(), c = owner();
        b.objectName = "thrower";
        main.subscribe(a, "0.0.1", function() {
            calls.push("a");
        });
        main.subscribe(b, "0.0.1", function() {
            calls.push("b");
            throw new Error("broken handler");
        });
        main.subscribe(c, "0.0", function() {
            calls.push("c");
        });
        ignoreWarning(/Subscriptions: the subscriber .*"thrower".* failed on "0\.0\.1_Status\.on": Error: broken handler/);
        main.stateUpdated("0.0.1_Status.on");
        compare(calls, ["a", "b", "c"]);
        // Subscribing again replaces key and handler.
        calls.length = 0;
        main.subscribe(b, "0.0.2", function() {
            calls.push("b2");
        });
        main.stateUpdated("0.0.1_Status.on");
        main.stateUpdated("0.0.2_Status.on");
        compare(calls, ["a", "c", "b2", "c"]);
        for (const subscriber of [a, b, c]) main.unsubscribe(subscriber)
    }

    function test_destroyedComponentLeavesTheSubscriptions() {
        const before = main.subscriptions.length;
        const badge = createTemporaryQmlObject("import \"qrc:/components\"; Badge { cID: \"3.0.1\"; itemId: \"Status.eventCounter\" }", testCase);
        compare(main.subscriptions.length, before + 1);
        badge.destroy();
        wait(0);
        compare(main.subscriptions.length, before);
        main.stateUpdated("3.0.1_Status.eventCounter");
    }

    function test_getValueByUnit_data() {
        return [{
            "tag": "mV to V",
            "value": 1500,
            "source": "mV",
            "target": "V",
            "expected": 1.5
        }, {
            "tag": "kV to V",
            "value": 2,
            "source": "kV",
            "target": "V",
            "expected": 2000
        }, {
            "tag": "A to mA",
            "value": 0.5,
            "source": "A",
            "target": "mA",
            "expected": 500
        }, {
            "tag": "mA to nA",
            "value": 5,
            "source": "mA",
            "target": "nA",
            "expected": 5e+06
        }, {
            "tag": "numeric string",
            "value": "250",
            "source": "mA",
            "target": "A",
            "expected": 0.25
        }, {
            "tag": "µA to A",
            "value": 3,
            "source": "µA",
            "target": "A",
            "expected": 3e-06
        }, {
            "tag": "rate by its quantity",
            "value": 2,
            "source": "mA/s",
            "target": "µA/s",
            "expected": 2000
        }, {
            "tag": "same unit, unknown to the table",
            "value": "45",
            "source": "°C",
            "target": "°C",
            "expected": 45
        }, {
            "tag": "unlisted ampere unit counts as micro",
            "value": 7,
            "source": "pA",
            "target": "A",
            "expected": 7e-06
        }];
    }

    function test_getValueByUnit(data) {
        fuzzyCompare(main.getValueByUnit(data.value, data.source, data.target), data.expected, Math.abs(data.expected) * 1e-09);
    }

    function test_getValueByUnitPassesThrough_data() {
        return [{
            "tag": "empty source",
            "value": 3,
            "source": "",
            "target": "V"
        }, {
            "tag": "empty target",
            "value": 3,
            "source": "V",
            "target": ""
        }, {
            "tag": "absent units",
            "value": 3,
            "source": undefined,
            "target": undefined
        }, {
            "tag": "empty value of an uncached item",
            "value": "",
            "source": "",
            "target": "A"
        }];
    }

    function test_getValueByUnitPassesThrough(data) {
        compare(main.getValueByUnit(data.value, data.source, data.target), data.value);
    }

    function test_getValueByUnitLogsUnknownUnits() {
        ignoreWarning("!! unknown source unit: furlong value: 4");
        compare(main.getValueByUnit(4, "furlong", "V"), 4);
        ignoreWarning("!! unknown target unit: furlong");
        compare(main.getValueByUnit(4, "V", "furlong"), 4);
    }

    function test_registry() {
        stateSpy.clear();
        compare(main.getObjectState("x"), "");
        main.setObjectState("x", "active");
        compare(main.getObjectState("x"), "active");
        compare(stateSpy.count, 1);
        compare(stateSpy.signalArguments[0][0], "x");
        main.setObjectInfo("x", "some text");
        compare(main.getObjectInfo("x"), "some text");
        compare(stateSpy.count, 2);
        compare(main.getObjectInfo("never written"), "");
    }

    function test_delayRunsOnce() {
        let calls = 0;
        main.delay(function() {
            calls++;
        }, 20);
        tryVerify(function() {
            return calls === 1;
        }, 1000);
        wait(100);
        compare(calls, 1);
    }

    function test_delayReplacesPendingCall() {
        let first = 0;
        let second = 0;
        let handle = main.delay(function() {
            first++;
        }, 100);
        handle = main.delay(function() {
            second++;
        }, 50, handle);
        tryVerify(function() {
            return second === 1;
        }, 1000);
        wait(200);
        compare(first, 0);
        // A handle whose call already ran may be passed back safely.
        main.delay(function() {
            second++;
        }, 10, handle);
        tryVerify(function() {
            return second === 2;
        }, 1000);
    }

    function test_selectedChannel() {
        main.setSelectedChannel("0.0.2");
        compare(main.getSelectedChannel(), {
            "cID": "0.0.2",
            "chIndex": "2",
            "chLabel": "Channel 0.0.2"
        });
        main.setSelectedChannel({
            "cID": "0.0.1",
            "chIndex": 1,
            "chLabel": "CHANNEL 1"
        });
        compare(main.selectedChannel, {
            "cID": "0.0.1",
            "chIndex": "1",
            "chLabel": "CHANNEL 1"
        });
    }

    name: "Controller"

    SignalSpy {
        id: stateSpy

        target: main
        signalName: "stateUpdated"
    }

    SignalSpy {
        id: viewSpy

        target: main
        signalName: "viewChanged"
    }

}
