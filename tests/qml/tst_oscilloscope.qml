import QtQuick 2.12
import QtTest 1.12
import "fixtures"
import "fixtures/children.js" as Children
import "fixtures/softkeys.js" as SoftKeys
import "fixtures/views.js" as Views

// The oscilloscope view inside the real root screen: channels from the
// supply's switches, the soft-key tree, wheel modes and the update cycle.
TestCase {
    id: testCase

    property var view: null
    property var cache: null
    property var link: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
        main.parent = testCase.parent;
        cache = Children.find(main, "addItem");
        link = Children.find(main, "appendQueue");
        verify(cache !== null && link !== null);
    }

    function init() {
        main.numberOfChannels = 4;
        main.osciSetup = {
        };
        switchOn([]);
    }

    function cleanup() {
        main.command("openHomescreen");
    }

    // Control.on as the supply reports it: the listed channels on.
    function switchOn(channels) {
        for (let i = 0; i < 4; ++i) cache.addItem("0.0." + i, "Control.on", channels.indexOf(i) === -1 ? "0" : "1", "", "t")
    }

    function open() {
        main.command("openOsci");
        compare(main.currentView, "Oscilloscope");
        view = Children.find(main, "params").item;
        link.queue = [];
    }

    function osci() {
        return findChild(view, "osci");
    }

    function items() {
        return osci().channels.map(function(ch) {
            return ch.getItem();
        });
    }

    function turn(steps) {
        main.triggerComponent("wh1", {
            "action": "turned",
            "steps": steps
        });
    }

    function press(cID) {
        SoftKeys.press(testCase, main, cID);
    }

    function key(cID) {
        return findChild(findChild(view, "buttonBar"), cID);
    }

    function keyTexts() {
        return ["bb_bt1", "bb_bt2", "bb_bt3", "bb_bt4"].map(function(cID) {
            return findChild(key(cID), "label").text;
        });
    }

    function keyStates() {
        return ["bb_bt1", "bb_bt2", "bb_bt3", "bb_bt4"].map(function(cID) {
            return key(cID).state;
        });
    }

    function test_channelsFromTheSupply_data() {
        return [{
            "tag": "all off: all shown as voltage",
            "on": [],
            "count": 4,
            "items": ["Status.voltageMeasure", "Status.voltageMeasure", "Status.voltageMeasure", "Status.voltageMeasure"]
        }, {
            "tag": "one on",
            "on": [2],
            "count": 4,
            "items": ["off", "off", "Status.voltageMeasure", "off"]
        }, {
            "tag": "two channels",
            "on": [0, 1],
            "count": 2,
            "items": ["Status.voltageMeasure", "Status.voltageMeasure"]
        }];
    }

    function test_channelsFromTheSupply(data) {
        main.numberOfChannels = data.count;
        switchOn(data.on);
        open();
        compare(items(), data.items);
        compare(findChild(view, "pathText").text, "GRAPH MODE");
        verify(osci().getRunState());
        // Switched on at the supply: drawn; switched off: kept.
        if (data.on.length === 1) {
            cache.addItem("0.0.0", "Control.on", "1", "", "t");
            compare(items()[0], "Status.voltageMeasure");
            cache.addItem("0.0.2", "Control.on", "0", "", "t");
            compare(items()[2], "Status.voltageMeasure");
        }
        // After a mode change a second opening takes the saved channels.
        command("osc_auto_all_channels");
        const channels = osci().channels;
        main.command("openHomescreen");
        switchOn([]);
        open();
        compare(osci().channels, channels);
    }

    // OFF is the operator's: neither a reconnection (stale marking, then
    // the values read again) nor a later opening turns the trace back on.
    function test_offSurvivesAReconnection() {
        switchOn([1]);
        open();
        cache.addItem("0.0.1", "Control.on", "1", "", "t");
        compare(items()[1], "Status.voltageMeasure");
        command("osc_channel_select_1");
        command("osc_channel_toggle");
        command("osc_channel_toggle");
        compare(items()[1], "off");
        cache.markStale();
        switchOn([0, 1, 2, 3]);
        compare(items()[1], "off");
        // Reports on the first opening still turn on what the operator left.
        compare(items()[0], "Status.voltageMeasure");
        main.command("openHomescreen");
        open();
        compare(items()[1], "off");
        switchOn([]);
        switchOn([0, 1, 2, 3]);
        compare(items()[1], "off");
        // A later opening takes the saved channels as they are.
        command("osc_channel_select_2");
        command("osc_channel_toggle");
        command("osc_channel_toggle");
        main.command("openHomescreen");
        switchOn([]);
        open();
        switchOn([2]);
        compare(items()[2], "off");
    }

    // Opened before the configuration: the channels come with it, and no
    // empty list is saved meanwhile.
    function test_openedBeforeTheConfiguration() {
        main.numberOfChannels = -1;
        open();
        compare(osci().channels.length, 0);
        command("osc_v-settings");
        command("osc_auto_all_channels");
        verify(main.osciSetup.channels === undefined || main.osciSetup.channels.length === 0);
        switchOn([3]);
        main.numberOfChannels = 4;
        compare(items(), ["off", "off", "off", "Status.voltageMeasure"]);
        compare(findChild(view, "chartView").count, 8);
        command("osc_auto_all_channels");
        main.command("openHomescreen");
        open();
        compare(osci().channels.length, 4);
    }

    // The low current range follows the supply: the channel's list switches
    // both ways and keeps its scale where the other list has it.
    function test_currentRangeSwitchesLists() {
        cache.addItem("0.0.1", "Status.lowCurrentRange", "0", "", "t");
        open();
        command("osc_channel_select_1");
        command("osc_channel_toggle");
        const ch = osci().channels[1];
        compare(ch.getItem(), "Status.currentMeasure");
        compare(ch.scales, osci().yScalesI);
        ch.setScaleIndex(3);
        cache.addItem("0.0.1", "Status.lowCurrentRange", "1", "", "t");
        compare(ch.scales, osci().yScalesIHP);
        compare(ch.minAutoScale, 1e-05);
        compare(ch.getScale(), 0.1);
        ch.setScaleIndex(0);
        cache.addItem("0.0.1", "Status.lowCurrentRange", "0", "", "t");
        compare(ch.scales, osci().yScalesI);
        compare(ch.getScale(), 0.001);
    }

    // The wheel's key pressed and let go, as the panel reports it.
    function pressWheel() {
        main.panelKeyPressed("rt_bt");
        main.panelKeyReleased("rt_bt");
    }

    // Pressing the wheel does nothing here (RUN/STOP is the soft key's).
    function test_wheelPressDoesNothing() {
        // Logged in: behind the veil the panel's keys do nothing anyway.
        supply.link = link;
        supply.online();
        tryVerify(supply.isOnline, 5000);
        open();
        verify(osci().getRunState());
        const mode = view.mode;
        pressWheel();
        verify(osci().getRunState());
        compare(view.mode, mode);
        command("osc_channels");
        pressWheel();
        compare(view.selectedChannel, 0);
        compare(keyTexts(), ["CH0", "CH1", "CH2", "CH3"]);
        supply.offline();
    }

    function test_wheelLock() {
        open();
        command("osc_h-settings");
        press("bb_bt1");
        compare(view.mode, "osc_horizontal_scale_mode");
        compare(key("bb_bt1").state, "active");
        compare(osci().xScaleIndex, 3);
        turn(-1);
        wait(100);
        turn(-3);
        compare(osci().xScaleIndex, 2);
        wait(150);
        turn(-3);
        compare(osci().xScaleIndex, 1);
    }

    function command(action) {
        view.command(action);
    }

    function test_channelKeys_data() {
        return [{
            "tag": "two",
            "count": 2,
            "keys": ["CH0", "CH1", "", ""]
        }, {
            "tag": "three",
            "count": 3,
            "keys": ["CH0", "CH1", "CH2", ""]
        }, {
            "tag": "four",
            "count": 4,
            "keys": ["CH0", "CH1", "CH2", "CH3"]
        }];
    }

    function test_channelKeys(data) {
        main.numberOfChannels = data.count;
        open();
        press("bb_bt4");
        compare(keyTexts(), data.keys);
        const actions = ["bb_bt1", "bb_bt2", "bb_bt3", "bb_bt4"].map(function(cID) {
            return key(cID).clickAction;
        });
        compare(actions, data.keys.map(function(text) {
            return text === "" ? "" : "osc_channel_select_" + text.charAt(2);
        }));
        press("bb_bt" + data.count);
        compare(view.selectedChannel, data.count - 1);
        compare(osci().selectedChannel, data.count - 1);
        compare(keyTexts(), ["SCALE", "OFFSET", "V / I / OFF", "BACK"]);
    }

    function test_softKeyTree() {
        open();
        compare(keyTexts(), ["RUN/STOP", "H-SETTINGS", "V-SETTINGS", "CHANNELS"]);
        compare(keyStates()[0], "ok");
        press("bb_bt1");
        verify(!osci().getRunState());
        compare(keyStates()[0], "active");
        press("bb_bt1");
        verify(osci().getRunState());
        compare(keyStates()[0], "ok");
        // Horizontal: shift scrolls and stops, latest data runs again.
        press("bb_bt2");
        compare(keyTexts(), ["SCALE", "SHIFT", "LATEST DATA", "BACK"]);
        press("bb_bt2");
        compare(view.mode, "osc_horizontal_shift_mode");
        compare(keyStates(), ["", "active", "", ""]);
        turn(-2);
        verify(!osci().getRunState());
        press("bb_bt3");
        verify(osci().getRunState());
        press("bb_bt4");
        compare(view.mode, "default");
        // Vertical: the keys show the mode every channel is in.
        press("bb_bt3");
        compare(keyTexts(), ["AUTO ALL", "AUTO SINGLE", "MANUAL ALL", "BACK"]);
        compare(keyStates(), ["", "active", "", ""]);
        press("bb_bt1");
        compare(keyStates(), ["active", "", "", ""]);
        verify(osci().getAutoAllChannelsOn());
        press("bb_bt2");
        compare(keyStates(), ["", "active", "", ""]);
        verify(osci().getAutoSingleChannelsOn());
        press("bb_bt3");
        compare(keyTexts(), ["SCALE ALL", "OFFSET ALL", "V / I", "BACK"]);
        verify(osci().getManualAllChannelsOn());
        wait(250);
        press("bb_bt1");
        compare(view.mode, "osc_channel_scale_all");
        turn(1);
        compare(osci().scaleIndexAll.V, 1);
        wait(250);
        press("bb_bt2");
        compare(view.mode, "osc_channel_offset_all");
        turn(-1);
        compare(osci().offsetAll.V, -0.05);
        press("bb_bt3");
        compare(items(), ["Status.currentMeasure", "Status.currentMeasure", "Status.currentMeasure", "Status.currentMeasure"]);
        press("bb_bt4");
        compare(keyTexts(), ["RUN/STOP", "H-SETTINGS", "V-SETTINGS", "CHANNELS"]);
        // One channel: scale, offset, V / I / OFF.
        press("bb_bt4");
        press("bb_bt2");
        const ch = osci().getSelectedChannel();
        compare(ch.getNumber(), 1);
        press("bb_bt1");
        compare(view.mode, "osc_channel_scale");
        const scale = ch.getScaleIndex();
        wait(250);
        turn(3);
        compare(ch.getScaleIndex(), scale + 1);
        compare(ch.getMode(), "manualSingle");
        press("bb_bt2");
        compare(view.mode, "osc_channel_offset");
        wait(250);
        turn(-1);
        compare(ch.getOffsetIndex(), 3);
        press("bb_bt3");
        compare(ch.getItem(), "off");
        press("bb_bt4");
        compare(view.mode, "default");
        wait(250);
        turn(1);
        compare(ch.getOffsetIndex(), 3);
    }

    // The cycle time the screen needs is the panel's state on the supply,
    // set now when logged in and again at every login.
    function test_cycleTime() {
        open();
        compare(main.requiredCycleTime, 250);
        tryCompare(main, "requiredCycleTime", 50, 1500);
        main.command("openHomescreen");
        compare(main.requiredCycleTime, 250);
    }

    function test_leavingEarlySendsNoFastCycle() {
        open();
        main.command("openHomescreen");
        compare(main.requiredCycleTime, 250);
        wait(1200);
        compare(main.requiredCycleTime, 250);
    }

    function test_veil() {
        open();
        const veil = findChild(view, "veil");
        main.connected = false;
        verify(veil.visible);
        verify(!findChild(view, "buttonBar").visible);
        main.connected = true;
        verify(!veil.visible);
        verify(findChild(view, "buttonBar").visible);
        main.connected = false;
    }

    name: "Oscilloscope"

    FakeSupply {
        id: supply
    }

}
