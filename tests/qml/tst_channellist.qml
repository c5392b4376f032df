import QtQuick 2.12
import QtTest 1.12
import "fixtures"
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views

// The channel list inside the real root screen, fed by the real cache; what
// it sends reaches the test's supply, to which the root screen's link is
// logged in.
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
        // Shown in the test's window, so that pointer input reaches it.
        main.parent = testCase.parent;
        main.numberOfChannels = 4;
        cache = Children.find(main, "addItem");
        link = Children.find(main, "appendQueue");
        supply.link = link;
        commands = Children.find(main, "confirmedWrites");
        verify(cache !== null && link !== null);
    }

    function open(selection) {
        // The veil of a lost link would swallow every touch.
        goOnline();
        main.selectedChannel = selection;
        main.command("openChannelList");
        view = Children.find(main, "params").item;
        compare(main.currentView, "Channellist");
        supply.packets = [];
    }

    function list() {
        return findChild(view, "channelList");
    }

    function row(index) {
        return list().itemAtIndex(index);
    }

    function selecting(index) {
        return {
            "cID": "0.0." + index,
            "chIndex": String(index),
            "chLabel": "CHANNEL " + index
        };
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

    function test_rows() {
        open(selecting(0));
        compare(list().count, 4);
        const labels = [];
        const ids = [];
        for (let i = 0; i < 4; ++i) {
            labels.push(findChild(row(i), "chLabel").text);
            ids.push(row(i).cID);
        }
        compare(labels, ["CHANNEL 0", "CHANNEL 1", "CHANNEL 2", "CHANNEL 3"]);
        compare(ids, ["0.0.0", "0.0.1", "0.0.2", "0.0.3"]);
        compare(findChild(view, "pathText").text, "CHANNEL-LIST");
        compare(keyTexts(), ["SELECT", "VOLTAGE", "CURRENT", "CLEAR"]);
    }

    function test_initialRow_data() {
        return [{
            "tag": "none selected",
            "selection": {
            },
            "row": 0
        }, {
            "tag": "all channels",
            "selection": {
                "cID": "0.0.*",
                "chIndex": "*",
                "chLabel": "ALL"
            },
            "row": 0
        }, {
            "tag": "channel 2",
            "selection": selecting(2),
            "row": 2
        }, {
            "tag": "channel beyond the list",
            "selection": selecting(9),
            "row": 0
        }];
    }

    function test_initialRow(data) {
        open(data.selection);
        compare(list().currentIndex, data.row);
        tryCompare(list().highlightItem, "y", row(data.row).y, 3000);
        compare(main.selectedChannel, selecting(data.row));
        tryCompare(findChild(findChild(view, "wh1"), "outer"), "rotation", -Math.trunc(data.row / 4 * 80), 1000);
    }

    function test_wheelMovesOneRowWithoutWrap() {
        open(selecting(3));
        turn(-1);
        compare(list().currentIndex, 3);
        turn(5);
        compare(list().currentIndex, 2);
        compare(main.selectedChannel, selecting(2));
        turn(1);
        turn(1);
        turn(1);
        compare(list().currentIndex, 0);
        turn(-3);
        compare(list().currentIndex, 1);
        compare(main.selectedChannel.chLabel, "CHANNEL 1");
    }

    function test_errorsFromRowBadge() {
        cache.addItem("0.0.1", "Error.currentTrip", "1", "", "1700000000.000");
        cache.addItem("0.0.1", "Status.errorCounter", "1", "", "1700000000.000");
        open(selecting(0));
        const badge = findChild(row(1), "errorBadge");
        verify(badge.visible);
        mouseClick(badge);
        const messages = findChild(view, "messages");
        tryCompare(messages, "y", 20, 1500);
        compare(findChild(messages, "title").text.toUpperCase(), "1 ERROR FOR CHANNEL 1");
        compare(keyTexts(), ["CLEAR ALL", "", "", "BACK"]);
        // The wheel now scrolls the messages, not the rows.
        turn(-1);
        compare(list().currentIndex, 0);
        press("bb_bt1");
        compare(writes(), ["0 0  Control.clearAll 1"]);
        press("bb_bt4");
        compare(keyTexts(), ["SELECT", "VOLTAGE", "CURRENT", "CLEAR"]);
        tryCompare(messages, "y", -250, 1500);
        turn(-1);
        compare(list().currentIndex, 1);
    }

    function test_wheelPressSelects() {
        open(selecting(3));
        main.triggerComponent("wh1", {
            "action": "pressed"
        });
        main.triggerComponent("wh1", {
            "action": "released"
        });
        compare(main.currentView, "Channel");
        compare(findChild(Children.find(main, "params").item, "chTitle").text, "CHANNEL 3");
    }

    function test_doubleClickOpensChannel() {
        open(selecting(0));
        mouseDoubleClickSequence(findChild(row(1), "maSelect"), 50, 20);
        compare(main.currentView, "Channel");
        compare(main.selectedChannel, selecting(1));
        compare(findChild(Children.find(main, "params").item, "chTitle").text, "CHANNEL 1");
    }

    function test_runningStateBoxTogglesChannel() {
        cache.addItem("0.0.2", "Control.on", "0", "", "1");
        open(selecting(0));
        mouseClick(findChild(row(2), "maOnOff"));
        compare(list().currentIndex, 2);
        compare(writes(), ["0 0 2 Control.on 1"]);
        // The selection area only selects.
        mouseClick(findChild(row(3), "maSelect"));
        compare(list().currentIndex, 3);
        compare(writes(), ["0 0 2 Control.on 1"]);
    }

    function test_highlightFollowsViewState_data() {
        return [{
            "tag": "none",
            "state": "",
            "image": "grey"
        }, {
            "tag": "ok",
            "state": "ok",
            "image": "green"
        }, {
            "tag": "warning",
            "state": "warning",
            "image": "yellow"
        }, {
            "tag": "error",
            "state": "error",
            "image": "red"
        }];
    }

    function test_highlightFollowsViewState(data) {
        open(selecting(1));
        main.setObjectState("0.0", data.state);
        const image = findChild(list().highlightItem, "bgImg");
        compare(String(image.source), "qrc:/assets/Channel/bg_channellist_channel_" + data.image + ".png");
        compare(image.status, Image.Ready);
        main.setObjectState("0.0", "");
    }

    function test_deviceBadges_data() {
        return [{
            "tag": "no events",
            "item": "Status.eventCounter",
            "badge": "eventBadge",
            "value": "0",
            "label": "0 EVENTS",
            "color": main.status_color_disabled
        }, {
            "tag": "five events",
            "item": "Status.eventCounter",
            "badge": "eventBadge",
            "value": "5",
            "label": "5 EVENTS",
            "color": main.status_color_warning2
        }, {
            "tag": "no errors",
            "item": "Status.errorCounter",
            "badge": "errorBadge",
            "value": "0",
            "label": "0 ERRORS",
            "color": main.status_color_disabled
        }, {
            "tag": "four errors",
            "item": "Status.errorCounter",
            "badge": "errorBadge",
            "value": "4",
            "label": "4 ERRORS",
            "color": main.status_color_error
        }];
    }

    function test_deviceBadges(data) {
        open(selecting(0));
        cache.addItem("0.0", data.item, data.value, "", "1");
        const badge = findChild(findChild(view, "badges"), data.badge);
        verify(badge.visible);
        compare(findChild(badge, "label").text, data.label);
        sameColor(findChild(badge, "bg").color, data.color);
    }

    function test_veilAndKeysFollowConnection() {
        open(selecting(0));
        main.connected = true;
        verify(!findChild(view, "blur").visible);
        verify(findChild(view, "buttonBar").visible);
        main.connected = false;
        verify(findChild(view, "blur").visible);
        verify(!findChild(view, "buttonBar").visible);
    }

    function test_emergencyAlert() {
        open(selecting(0));
        cache.addItem("0.0.2", "Control.emergency", "1", "", "1");
        const alert = findChild(view, "alert");
        compare(findChild(alert, "message").text, "Emergency on channel 2. Hold all channels off button to clear.");
        sameColor(findChild(alert, "background").color, main.status_color_error);
        findChild(row(2), "chInfoTimer").triggered();
        compare(findChild(row(2), "chInfoText").text, "EMGCY");
        mouseClick(findChild(row(2), "maInfo"));
        compare(writes(), ["0 0 2 Control.emergency 0"]);
        cache.addItem("0.0.2", "Control.emergency", "0", "", "2");
        tryCompare(alert, "opacity", 0, 1000);
    }

    name: "Channellist"
    when: windowShown
    width: 480
    height: 272

    FakeSupply {
        id: supply
    }

}
