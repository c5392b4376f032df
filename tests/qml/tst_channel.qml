import QtQuick 2.12
import QtTest 1.12
import "fixtures"
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views

// The channel view inside the real root screen, fed by the real cache.
TestCase {
    id: testCase

    property var view: null
    property var cache: null
    property var link: null
    property var commands: null

    // Logged in to the test's supply; no switch of an earlier case pending.
    function goOnline() {
        commands.cancelAll();
        supply.online();
        tryVerify(supply.isOnline, 5000);
    }

    function initTestCase() {
        Views.waitForStart(testCase, main);
        main.parent = testCase.parent;
        main.numberOfChannels = 4;
        cache = Children.find(main, "addItem");
        link = Children.find(main, "appendQueue");
        supply.link = link;
        commands = Children.find(main, "confirmedWrites");
        verify(cache !== null && link !== null);
    }

    function open(channel) {
        goOnline();
        main.setSelectedChannel({
            "cID": "0.0." + channel,
            "chIndex": String(channel),
            "chLabel": "CHANNEL " + channel
        });
        main.command("selectChannel");
        view = Children.find(main, "params").item;
        compare(main.currentView, "Channel");
        supply.packets = [];
    }

    function feed(path, values) {
        for (const item in values) {
            const value = values[item];
            cache.addItem(path, item, Array.isArray(value) ? value[0] : value, Array.isArray(value) ? value[1] : "", "1");
        }
    }

    function text(name) {
        return findChild(view, name).text;
    }

    function turn(steps) {
        main.triggerComponent("wh1", {
            "action": "turned",
            "steps": steps
        });
    }

    function press(cID) {
        main.triggerComponent(cID, {
            "action": "pressed"
        });
        main.triggerComponent(cID, {
            "action": "released"
        });
    }

    function keyTexts() {
        const bar = findChild(view, "buttonBar");
        return ["bb_bt1", "bb_bt2", "bb_bt3", "bb_bt4"].map(function(cID) {
            return findChild(findChild(bar, cID), "label").text;
        });
    }

    function writes() {
        // What the supply received by now.
        wait(150);
        return supply.packets.filter(function(packet) {
            return packet.c === "setItem";
        }).map(function(packet) {
            return [packet.p.p.l, packet.p.p.a, packet.p.p.c, packet.p.i, packet.p.v].join(" ");
        });
    }

    function sameColor(actual, expected) {
        verify(Qt.colorEqual(actual, expected), actual + " is not " + expected);
    }

    function test_values() {
        feed("0.0.1", {
            "Status.voltageMeasure": ["-250.012", "V"],
            "Control.voltageSet": ["250", "V"],
            "Status.currentMeasure": ["0.000120", "mA"],
            "Control.currentSet": ["1", "mA"],
            "Control.voltageRampspeedUp": ["100", "V/s"],
            "Control.voltageRampspeedDown": ["50", "V/s"],
            "Status.voltageLimit": ["6000", "V"],
            "Control.currentRampspeedUp": ["0.1", "mA/s"],
            "Control.currentRampspeedDown": ["0.2", "mA/s"],
            "Status.currentLimit": ["1", "mA"]
        });
        open(1);
        compare(text("chTitle"), "CHANNEL 1");
        compare(text("pathText"), "CHANNEL-DETAILS");
        compare([text("vmeas"), text("vset"), text("imeas"), text("iset")], ["-250.012 V", "250 V", "0.000120 mA", "1 mA"]);
        const table = function table(name) {
            const t = findChild(view, name);
            return [0, 1, 2].map(function(i) {
                return findChild(t, "value" + i).text;
            });
        };
        compare(table("vsettings"), ["100  V/s", "50  V/s", "6000  V"]);
        compare(table("isettings"), ["0.1  mA/s", "0.2  mA/s", "1  mA"]);
        // A channel nothing was reported for: single and double blanks.
        open(3);
        compare([text("vmeas"), text("iset")], [" ", " "]);
        compare(table("vsettings"), ["  ", "  ", "  "]);
        compare(keyTexts(), ["SETUP", "VOLTAGE", "CURRENT", "BACK"]);
    }

    function test_outputMode_data() {
        return [{
            "tag": "-3000",
            "values": ["-3000"],
            "text": "-3kV"
        }, {
            "tag": "2500",
            "values": ["2500"],
            "text": "2.5kV"
        }, {
            "tag": "6000",
            "values": ["6000"],
            "text": "6kV"
        }, {
            "tag": "500",
            "values": ["500"],
            "text": "500V"
        }, {
            "tag": "empty keeps the previous text",
            "values": ["2500", ""],
            "text": "2.5kV"
        }];
    }

    function test_outputMode(data) {
        open(2);
        for (const value of data.values) feed("0.0.2", {
            "Status.voltageMode": value
        })
        compare(text("chOutModeText"), data.text);
        // Shown as written: kilovolts are "kV", not "KV".
        compare(findChild(view, "chOutModeText").font.capitalization, Font.MixedCase);
        sameColor(findChild(view, "chOutMode").color, "#666666");
    }

    function test_polarity_data() {
        return [{
            "tag": "negative",
            "value": "n",
            "text": "NEG",
            "color": "#0000FF"
        }, {
            "tag": "positive",
            "value": "p",
            "text": "POS",
            "color": "#FF0000"
        }, {
            "tag": "other",
            "value": "x",
            "text": "",
            "color": "transparent"
        }];
    }

    function test_polarity(data) {
        open(2);
        feed("0.0.2", {
            "Setup.outputPolarity": data.value
        });
        compare(text("chPolText"), data.text);
        sameColor(findChild(view, "chPol").color, data.color);
    }

    function test_runningState_data() {
        return [{
            "tag": "off but switched on",
            "state": "off",
            "on": "1",
            "text": "ON",
            "box": main.status_color_off,
            "color": "#333333"
        }, {
            "tag": "ramping",
            "state": "info",
            "on": "1",
            "text": "RAMPING",
            "box": main.status_color_warning,
            "color": "#333333"
        }, {
            "tag": "ok",
            "state": "ok",
            "on": "1",
            "text": "OK",
            "box": main.status_color_on,
            "color": "#FFFFFF"
        }];
    }

    function test_runningState(data) {
        open(0);
        feed("0.0.0", {
            "Control.on": data.on,
            "Status.runningState": data.state
        });
        compare(text("chStatusText"), data.text);
        sameColor(findChild(view, "chStatus").color, data.box);
        sameColor(findChild(view, "chStatusText").color, data.color);
        mouseClick(findChild(view, "maOnOff"));
        compare(writes(), ["0 0 0 Control.on 0"]);
    }

    function test_conditionBadges() {
        open(2);
        const badges = findChild(view, "infoBadges");
        const labels = [];
        for (let i = 0; i < badges.count; ++i) labels.push(findChild(badges.itemAtIndex(i), "label").text)
        compare(labels, ["LC", "INH", "TRIP", "VLIM", "ILIM", "EMGCY"]);
        feed("0.0.2", {
            "Status.lowCurrentRange": "1",
            "Status.externalInhibitActive": "1",
            "Control.emergency": "1"
        });
        sameColor(findChild(badges.itemAtIndex(0), "bg").color, main.status_color_ok);
        sameColor(findChild(badges.itemAtIndex(1), "bg").color, main.status_color_error);
        sameColor(findChild(badges.itemAtIndex(2), "bg").color, main.status_color_disabled);
        sameColor(findChild(badges.itemAtIndex(5), "bg").color, main.status_color_error);
        const alert = findChild(view, "alert");
        compare(findChild(alert, "message").text, "Emergency is on. Hold all channels off button to clear.");
        feed("0.0.2", {
            "Control.emergency": "0"
        });
        tryCompare(alert, "opacity", 0, 1000);
    }

    function test_messagesWheelAndClearAll() {
        feed("0.0.1", {
            "Event.currentTrip": "1",
            "Event.externalInhibitActive": "1",
            "Status.eventCounter": "2"
        });
        open(1);
        const list = findChild(findChild(view, "messages"), "list");
        compare(list.currentIndex, -1);
        // No message list open: the wheel does nothing here.
        turn(-1);
        compare(keyTexts(), ["SETUP", "VOLTAGE", "CURRENT", "BACK"]);
        compare(main.currentView, "Channel");
        mouseClick(findChild(view, "eventBadge"));
        compare(keyTexts(), ["", "CLEAR ONE", "CLEAR ALL", "BACK"]);
        compare(list.count, 2);
        compare(list.currentIndex, 0);
        turn(-1);
        compare(list.currentIndex, 1);
        // Keys whose action just changed wait a moment before they act.
        wait(550);
        press("bb_bt3");
        // This channel only, not the whole device.
        compare(writes(), ["0 0 1 Control.clearAll 1"]);
        press("bb_bt4");
        compare(keyTexts(), ["SETUP", "VOLTAGE", "CURRENT", "BACK"]);
        tryCompare(findChild(view, "messages"), "y", -250, 1500);
        wait(550);
        press("bb_bt4");
        compare(main.currentView, "Channellist");
    }

    function test_oneSubscriptionHoweverOftenInitialised() {
        open(1);
        view.initView();
        view.initView();
        const settings = findChild(view, "vsettings");
        valuesSpy.target = settings;
        valuesSpy.clear();
        feed("0.0.1", {
            "Status.voltageLimit": ["1", "V"]
        });
        compare(valuesSpy.count, 1);
    }

    name: "Channel"
    when: windowShown
    width: 480
    height: 272

    SignalSpy {
        id: valuesSpy

        signalName: "valuesChanged"
    }

    FakeSupply {
        id: supply
    }

}
