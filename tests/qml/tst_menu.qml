import QtQuick 2.12
import QtTest 1.12
import "fixtures"
import "fixtures/children.js" as Children
import "fixtures/softkeys.js" as SoftKeys
import "fixtures/views.js" as Views

// The settings menus inside the real root screen, with the real menu model,
// cache and configuration store. The link is logged in to the test's
// supply, which records what it receives.
TestCase {
    id: testCase

    property var view: null
    property var cache: null
    property var link: null
    property var commands: null
    property var config: null

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
        main.numberOfChannels = 2;
        cache = Children.find(main, "addItem");
        link = Children.find(main, "appendQueue");
        supply.link = link;
        commands = Children.find(main, "confirmedWrites");
        config = Children.find(main, "getNumberOfChildren");
        verify(cache !== null && link !== null && config !== null);
        // Each retry of the link reports it disconnected, which turns every
        // menu into the remote set-up: the tests say when it is connected.
        link.retry = 1000;
        tryVerify(function() {
            return link.comState === "error" || link.comState === "closed";
        }, 3000);
        verify(config.setConfiguration("<lumaConfig>" + "<hardwareConfig><device id=\"0-0\" displayStandby=\"10\" adcSampleRate=\"50\">" + "<channel id=\"0\" polarity=\"p\" voltageMode=\"6000\"/><channel id=\"1\" polarity=\"p\" voltageMode=\"6000\"/>" + "</device></hardwareConfig>" + "<hardwareDetect><device id=\"0-0\" adcSampleRate=\"50\">" + "<channel id=\"0\" voltageModeList=\"6000,3000\" currentModeList=\"0.004,0.008\"/>" + "<channel id=\"1\" voltageModeList=\"6000,3000\" currentModeList=\"0.004,0.008\"/>" + "</device></hardwareDetect>" + "<ethernet><ip>192.168.0.1</ip></ethernet>" + "</lumaConfig>"));
    }

    function cleanupTestCase() {
        link.retry = 1;
    }

    function init() {
        goOnline();
        main.setSelectedChannel("0.0.1");
        main.setObjectState("wh1", "");
        main.setObjectState("keyboard", "");
        // All channels reported off: nothing is blocked.
        cache.addItem("0.0", "Status.on", "0", "", "1");
        for (const path of ["0.0.0", "0.0.1"]) {
            cache.addItem(path, "Status.on", "0", "", "1");
            cache.addItem(path, "Control.on", "0", "", "1");
        }
    }

    function currentView() {
        return Children.find(main, "params").item;
    }

    function open(menuId, backMode) {
        const params = {
            "modelToLoad": menuId
        };
        if (backMode !== undefined)
            params.backMode = backMode;

        main.changeView("Menu", params);
        view = currentView();
        compare(main.currentView, "Menu");
        supply.packets = [];
    }

    function list() {
        return findChild(view, "menuList");
    }

    function row(index) {
        return list().itemAtIndex(index);
    }

    function labels() {
        const texts = [];
        for (let i = 0; i < view.menu.count; ++i) texts.push(view.menu.get(i)._itemName)
        return texts;
    }

    function selectLabel(label) {
        const index = labels().indexOf(label);
        verify(index >= 0, label + " in " + labels());
        list().currentIndex = index;
        return list().currentItem;
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

    function key(name) {
        findChild(view, "keyboard").keyPressed(name);
    }

    function keyTexts() {
        const bar = findChild(view, "buttonBar");
        return ["bb_bt1", "bb_bt2", "bb_bt3", "bb_bt4"].map(function(cID) {
            return findChild(findChild(bar, cID), "label").text;
        });
    }

    function sent(command) {
        // What the supply received by now.
        wait(150);
        return supply.packets.filter(function(packet) {
            return packet.c === command;
        }).map(function(packet) {
            return [packet.p.p.l, packet.p.p.a, packet.p.p.c, packet.p.i, packet.p.v, packet.p.u].join(" ").trim();
        });
    }

    function test_titleAndPath() {
        open("configHardware_channelSetup");
        compare(findChild(view, "title").text, "Channel setup | Channel 0.0.1");
        compare(findChild(view, "pathText").text, "Channel setup | 0.0.1");
        compare(labels(), ["Polarity", "Output-Mode", "Voltage Ramp Up", "Voltage Ramp Down", "Current Ramp Up", "Current Ramp Down"]);
        compare(row(1).itemValueLabel, "6 kV / 4 mA");
    }

    function test_notConnectedShowsRemoteSetup() {
        main.connected = false;
        open("configHardware");
        compare(findChild(view, "title").text, "Remote Setup Menu");
        compare(labels(), ["Remote host", "Remote port", "User", "Password"]);
        const alert = findChild(view, "alert");
        compare(findChild(alert, "message").text, "Not connected. Please enter the IP settings of the device.");
        compare(alert.state, "warning");
        verify(findChild(view, "buttonBar").visible);
        // Going up would land here again: back leaves the menus.
        press("bb_bt4");
        compare(main.currentView, "Home");
        main.connected = true;
        open("configHardware");
        compare(findChild(view, "title").text, "Hardware configuration");
        compare(findChild(findChild(view, "alert"), "message").text, "");
    }

    function test_back_data() {
        return [{
            "tag": "settings to home",
            "menu": "configMain",
            "view": "Home",
            "model": undefined
        }, {
            "tag": "to the parent menu",
            "menu": "configHardware_deviceSetup_display",
            "view": "Menu",
            "model": "configHardware_deviceSetup"
        }, {
            "tag": "voltage menu to the previous view",
            "menu": "channelSetup_voltageMenu",
            "view": "Channellist",
            "model": undefined
        }, {
            "tag": "current menu to the previous view",
            "menu": "channelSetup_currentMenu",
            "view": "Channellist",
            "model": undefined
        }];
    }

    function test_back(data) {
        main.command("openChannelList");
        open(data.menu);
        compare(main.previousView, "Channellist");
        press("bb_bt4");
        compare(main.currentView, data.view);
        if (data.model !== undefined) {
            compare(main.currentViewParams.modelToLoad, data.model);
            // The way back from there still leads to the channel list.
            compare(main.previousView, "Channellist");
        }
    }

    function test_cancelKeyAlwaysGoesBack() {
        main.command("openChannelList");
        main.command("openChannelSetup");
        view = currentView();
        compare(keyTexts()[3], "BACK");
        key("cancel");
        compare(main.currentView, "Menu");
        compare(main.currentViewParams.modelToLoad, "configHardware_channelList");
        // The soft key follows the back mode instead.
        main.command("openChannelSetup");
        view = currentView();
        press("bb_bt4");
        compare(main.currentView, "Menu");
        compare(main.currentViewParams.modelToLoad, "configHardware_channelList");
        main.command("openChannelList");
        main.command("openChannelSetup");
        view = currentView();
        press("bb_bt4");
        compare(main.currentView, "Channellist");
    }

    function test_returnOnCommandOrReadonly_data() {
        return [{
            "tag": "command",
            "menu": "configReset",
            "label": "Clear all events and errors"
        }, {
            "tag": "readonly",
            "menu": "configInfo",
            "label": "Device model number"
        }];
    }

    function test_returnOnCommandOrReadonly(data) {
        open(data.menu);
        selectLabel(data.label);
        key("return");
        compare(view.mode, "select");
        compare(currentView(), view);
        compare(sent("setItem"), []);
        mouseDoubleClickSequence(list().currentItem, 20, 17);
        compare(view.mode, "select");
        compare(sent("setItem"), []);
    }

    function test_desktopKeys() {
        open("configMain");
        keyClick(Qt.Key_Down);
        keyClick(Qt.Key_Down);
        compare(list().currentIndex, 2);
        keyClick(Qt.Key_Up);
        keyClick(Qt.Key_Return);
        compare(main.currentViewParams.modelToLoad, "configSoftware");
        view = currentView();
        keyClick(Qt.Key_Escape);
        compare(main.currentViewParams.modelToLoad, "configMain");
    }

    function test_returnOpensAndEdits() {
        open("configMain");
        key("down");
        key("return");
        compare(main.currentViewParams.modelToLoad, "configSoftware");
        open("configHardware_deviceSetup_display");
        key("return");
        compare(view.mode, "edit");
        compare(view.itemInEdit, row(0));
    }

    function test_wheelMovesOneEntryWithoutWrap() {
        open("configMain");
        const last = list().count - 1;
        compare(last, 4);
        turn(-5);
        compare(list().currentIndex, 1);
        turn(3);
        compare(list().currentIndex, 0);
        turn(1);
        compare(list().currentIndex, 0);
        for (let i = 0; i < 8; ++i) turn(-1)
        compare(list().currentIndex, last);
        compare(view.currentItem._itemName, "REMOTE");
        compare(findChild(view, "tooltip").text, "Remote control app - Host IP settings");
        verify(findChild(view, "tooltipBar").visible);
    }

    function test_softKeysBySelection_data() {
        return [{
            "tag": "menu",
            "menu": "configMain",
            "label": "HARDWARE-SETUP",
            "keys": ["SELECT", "", "", "BACK"]
        }, {
            "tag": "edit",
            "menu": "configHardware_deviceSetup_display",
            "label": "Display Standby time",
            "keys": ["EDIT", "", "", "BACK"]
        }, {
            "tag": "readonly",
            "menu": "configInfo",
            "label": "Device temperature",
            "keys": ["", "", "", "BACK"]
        }, {
            "tag": "command",
            "menu": "configReset",
            "label": "Set values reset",
            "keys": ["SET / DO", "", "", "BACK"]
        }, {
            "tag": "blocked command",
            "menu": "configReset",
            "label": "Factory reset",
            "on": "1",
            "keys": ["BLOCKED", "", "", "BACK"]
        }, {
            "tag": "unreported state blocks",
            "menu": "configReset",
            "label": "Factory reset",
            "on": "",
            "keys": ["BLOCKED", "", "", "BACK"]
        }, {
            "tag": "unblocked command",
            "menu": "configReset",
            "label": "Factory reset",
            "on": "0",
            "keys": ["SET / DO", "", "", "BACK"]
        }];
    }

    function test_softKeysBySelection(data) {
        if (data.on !== undefined)
            cache.addItem("0.0", "Status.on", data.on, "", "2");

        open(data.menu);
        selectLabel(data.label);
        compare(keyTexts(), data.keys);
        const bt1 = findChild(findChild(view, "buttonBar"), "bb_bt1");
        compare(bt1.clickAction, {
            "SELECT": "openSubMenu",
            "EDIT": "editItem",
            "SET / DO": view.currentItem._command,
            "BLOCKED": "",
            "": ""
        }[data.keys[0]]);
    }

    function test_blockedKeyFollowsTheCondition() {
        open("configReset");
        selectLabel("Factory reset");
        compare(keyTexts()[0], "SET / DO");
        cache.addItem("0.0", "Status.on", "1", "", "3");
        tryCompare(findChild(findChild(findChild(view, "buttonBar"), "bb_bt1"), "label"), "text", "BLOCKED", 1500);
    }

    function test_softKeysInEdit_data() {
        return [{
            "tag": "select with default",
            "menu": "configHardware_deviceSetup_display",
            "label": "Display Standby time",
            "keyboard": "",
            "keys": ["APPLY", "CANCEL", "DEFAULT", ""]
        }, {
            "tag": "select without default",
            "menu": "configHardware_channelSetup",
            "label": "Output-Mode",
            "keyboard": "",
            "keys": ["APPLY", "CANCEL", "", ""]
        }, {
            "tag": "numeric",
            "menu": "channelSetup_voltageMenu",
            "label": "Voltage Set",
            "keyboard": "numeric",
            "keys": ["APPLY", "AUTO-APPLY", "DIGIT", "CANCEL"]
        }, {
            "tag": "ip",
            "menu": "configHardware_interfaces_ethernet",
            "label": "IP-Address",
            "keyboard": "numeric",
            "keys": ["APPLY", "CANCEL", "DEFAULT", ""]
        }, {
            "tag": "text",
            "menu": "configRemote",
            "label": "User",
            "keyboard": "alpha",
            "keys": ["APPLY", "CANCEL", "DEFAULT", ""]
        }, {
            "tag": "date",
            "menu": "configHardware_deviceSetup_datetime",
            "label": "System date",
            "keyboard": "date",
            "keys": ["APPLY", "CANCEL", "DEFAULT", ""]
        }];
    }

    function test_softKeysInEdit(data) {
        open(data.menu);
        selectLabel(data.label);
        press("bb_bt1");
        compare(view.mode, "edit");
        compare(keyTexts(), data.keys);
        compare(main.getObjectState("wh1"), "active");
        const keyboard = findChild(view, "keyboard");
        compare(keyboard.visible, data.keyboard !== "");
        if (data.keyboard !== "")
            compare(keyboard.mode, data.keyboard);

        press(data.keys[3] === "CANCEL" ? "bb_bt4" : "bb_bt2");
        compare(view.mode, "select");
        compare(main.getObjectState("wh1"), "");
        verify(!keyboard.visible);
        compare(keyTexts()[0], "EDIT");
    }

    function test_applyWritesConfiguration() {
        open("configHardware_deviceSetup_display");
        const standby = selectLabel("Display Standby time");
        compare(standby.itemValueLabel, "10 minutes");
        press("bb_bt1");
        turn(-1);
        turn(-1);
        compare(standby.itemValueLabel, "2 minutes");
        // Nothing is written before APPLY.
        compare(main.getConfigValue("hardwareConfig/device@id=0-0/@displayStandby"), "10");
        press("bb_bt1");
        compare(main.getConfigValue("hardwareConfig/device@id=0-0/@displayStandby"), "2");
        compare(sent("setItem"), ["Control.configurationChanged 1"]);
        compare(view.mode, "select");
        compare(keyTexts(), ["EDIT", "", "", "BACK"]);
        compare(main.getObjectState("wh1"), "ok");
        tryCompare(main.objectStates, "wh1", "", 1000);
    }

    function test_applyWritesDeviceItem() {
        cache.addItem("0.0.1", "Control.voltageSet", "100", "V", "1");
        cache.addItem("0.0.1", "Status.voltageLimit", "3", "kV", "1");
        open("channelSetup_voltageMenu");
        const voltage = selectLabel("Voltage Set");
        press("bb_bt1");
        compare(findChild(voltage, "valueField").text, "0100.000");
        turn(23);
        compare(findChild(voltage, "valueField").text, "0123.000");
        press("bb_bt3");
        press("bb_bt3");
        turn(-1);
        compare(findChild(voltage, "valueField").text, "0023.000");
        key("return");
        compare(sent("setItem"), ["0 0 1 Control.voltageSet 0023.000 V"]);
        compare(view.mode, "select");
        // Typing replaces the shown value; a cursor move appends instead.
        press("bb_bt1");
        key("4");
        key("5");
        key("left");
        key("0");
        key("return");
        compare(sent("setItem")[1], "0 0 1 Control.voltageSet 450 V");
        // The new value is asked for half a second later.
        cache.addItem("0.0.1", "Control.voltageSet", "20.5", "V", "2");
        supply.packets = [];
        tryVerify(function() {
            return sent("getItem").includes("0 0 1 Control.voltageSet");
        }, 1500);
    }

    // The request for the written value outlives the view.
    function test_requestAfterLeaving() {
        cache.addItem("0.0.1", "Setup.delayedTripTime", "5", "s", "1");
        open("channelSetup_currentMenu");
        selectLabel("Delayed Trip Time");
        press("bb_bt1");
        turn(1);
        press("bb_bt1");
        compare(sent("setItem"), ["0 0 1 Setup.delayedTripTime 6 s"]);
        cache.addItem("0.0.1", "Setup.delayedTripTime", "6", "s", "2");
        main.command("openHomescreen");
        supply.packets = [];
        tryVerify(function() {
            return sent("getItem").includes("0 0 1 Setup.delayedTripTime");
        }, 1500);
    }

    function test_autoApply() {
        cache.addItem("0.0.1", "Control.currentSet", "1", "mA", "1");
        open("channelSetup_currentMenu");
        const current = selectLabel("Current Set");
        press("bb_bt1");
        press("bb_bt2");
        verify(view.autoApply);
        compare(main.getObjectState("bb_bt2"), "active");
        compare(keyTexts()[3], "EXIT");
        compare(findChild(view, "keyboard").opacity, 0);
        turn(1);
        turn(1);
        compare(sent("setItem"), ["0 0 1 Control.currentSet 2.0000 mA", "0 0 1 Control.currentSet 3.0000 mA"]);
        compare(view.mode, "edit");
        compare(view.itemInEdit, current);
        tryCompare(main.objectStates, "wh1", "active", 1000);
        // EXIT leaves the edit and shows the stored value again.
        press("bb_bt4");
        compare(view.mode, "select");
        compare(current.itemValueLabel, "1");
        turn(-1);
        compare(sent("setItem").length, 2);
        compare(list().currentIndex, 1);
        // A new edit starts without auto-apply.
        turn(1);
        press("bb_bt1");
        compare(view.mode, "edit");
        verify(!view.autoApply);
        compare(findChild(view, "keyboard").opacity, 1);
    }

    function test_saveConfigurationName_data() {
        return [{
            "tag": "blanks and forbidden characters",
            "typed": "my cfg;1.xml",
            "saved": "my_cfg1.xml"
        }, {
            "tag": "no extension",
            "typed": "bench 1",
            "saved": "bench_1.xml"
        }, {
            "tag": "no way out of the stick",
            "typed": "../etc/x#*",
            "saved": "..etcx.xml"
        }];
    }

    function test_saveConfigurationName(data) {
        open("configReset");
        const save = selectLabel("Save configuration");
        press("bb_bt1");
        compare(findChild(view, "keyboard").mode, "alpha");
        compare(save.itemValueLabel, "LUMAconfig.xml");
        // The edited row sits at the top, clear of the keyboard.
        const listArea = findChild(view, "listArea");
        compare(listArea.y, 24 + list().contentY - save.y);
        verify(listArea.y < 25);
        for (const character of data.typed) key(character)
        compare(save.itemValueLabel, data.typed);
        press("bb_bt1");
        compare(save.itemValue, data.saved);
        compare(listArea.y, 25);
        compare(view.mode, "select");
    }

    function test_textEditCancelPutsListBack() {
        open("configRemote");
        const user = selectLabel("Password");
        press("bb_bt1");
        const listArea = findChild(view, "listArea");
        verify(listArea.y < 25);
        key("cancel");
        compare(listArea.y, 25);
        compare(view.mode, "select");
        compare(user.itemValue, main.getRemoteConfig("password"));
    }

    function test_badInputStaysInEdit() {
        open("configHardware_interfaces_ethernet");
        const ip = selectLabel("IP-Address");
        press("bb_bt1");
        key("1");
        key("0");
        key(".");
        key("0");
        ignoreWarning(/refusing "10.0" for IP-Address: not an IPv4 address/);
        key("return");
        compare(view.mode, "edit");
        compare(main.getConfigValue("ethernet/ip"), "192.168.0.1");
        verify(findChild(view, "keyboard").visible);
        key(".");
        key("0");
        key(".");
        key("9");
        key("return");
        compare(view.mode, "select");
        compare(main.getConfigValue("ethernet/ip"), "10.0.0.9");
    }

    function test_readonlyAndBlockedNotEdited() {
        open("configInfo");
        selectLabel("Device serial number");
        view.command("editItem");
        compare(view.mode, "select");
        cache.addItem("0.0.1", "Status.on", "1", "", "4");
        open("configHardware_channelSetup");
        const polarity = selectLabel("Polarity");
        compare(polarity.state, "blocked");
        press("bb_bt1");
        compare(view.mode, "select");
        compare(main.getObjectState("wh1"), "");
    }

    function test_openSubMenuSelectsChannel() {
        open("configHardware_channelList");
        compare(labels(), ["ALL CHANNELS", "CHANNEL 0", "CHANNEL 1"]);
        selectLabel("CHANNEL 0");
        press("bb_bt1");
        compare(main.selectedChannel.cID, "0.0.0");
        view = currentView();
        compare(main.currentViewParams.modelToLoad, "configHardware_channelSetup");
        compare(findChild(view, "title").text, "Channel setup | Channel 0.0.0");
    }

    function test_touchSelectsOnlyOutsideEdit() {
        open("configHardware_deviceSetup_display");
        mouseClick(row(2), 20, 17);
        compare(list().currentIndex, 2);
        press("bb_bt1");
        mouseClick(row(0), 20, 17);
        compare(list().currentIndex, 2);
        // A double click applies the edit.
        mouseDoubleClickSequence(row(2), 20, 17);
        compare(view.mode, "select");
    }

    function test_defaultKey() {
        open("configHardware_deviceSetup_measurement");
        const adc = selectLabel("ADC-Samplerate");
        press("bb_bt1");
        turn(1);
        compare(adc.itemValue, "60");
        press("bb_bt3");
        compare([adc.itemValue, adc.itemValueLabel], ["50", "50"]);
        press("bb_bt2");
    }

    name: "Menu"
    when: windowShown
    width: 480
    height: 272

    FakeSupply {
        id: supply
    }

}
