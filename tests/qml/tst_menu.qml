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
        // Settings wait for the configuration of this login.
        tryVerify(function() {
            return commands.configurationRead;
        }, 3000);
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
        supply.configuration = "<lumaConfig>" + "<hardwareConfig><device id=\"0-0\" displayStandby=\"10\" adcSampleRate=\"50\">" + "<channel id=\"0\" polarity=\"p\" voltageMode=\"6000\"/><channel id=\"1\" polarity=\"p\" voltageMode=\"6000\"/>" + "</device></hardwareConfig>" + "<hardwareDetect><device id=\"0-0\" adcSampleRate=\"50\">" + "<channel id=\"0\" voltageModeList=\"6000,3000\" currentModeList=\"0.004,0.008\"/>" + "<channel id=\"1\" voltageModeList=\"6000,3000\" currentModeList=\"0.004,0.008\"/>" + "</device></hardwareDetect>" + "<ethernet><ip>192.168.0.1</ip></ethernet>" + "</lumaConfig>";
        verify(config.setConfiguration(supply.configuration));
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
        compare(labels(), ["Remote host", "Remote port", "User", "Password", "Encryption", "CA certificate"]);
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
            "BLOCKED": "blocked",
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

    // Only current values unblock an interlocked entry: a last known "0"
    // blocks as an unreported or a "1" does, and EDIT or BLOCKED says why.
    function test_interlocksReadCurrentValues_data() {
        const polarity = {
            "menu": "configHardware_channelSetup",
            "label": "Polarity",
            "channel": "0.0.1"
        };
        const allPolarity = {
            "menu": "configHardware_channelSetup",
            "label": "Polarity",
            "channel": "0.0.*"
        };
        const reset = {
            "menu": "configReset",
            "label": "Factory reset",
            "channel": "0.0.1"
        };
        const rows = [["channel off", polarity, "0", false, ""], ["channel off, last known", polarity, "0", true, "POLARITY BLOCKED: STATE OF CHANNEL 1 NOT CURRENT"], ["channel on", polarity, "1", false, "POLARITY BLOCKED: CHANNEL 1 IS ON"], ["channel reported empty", polarity, "", false, "POLARITY BLOCKED: CHANNEL 1 IS ON"], ["output mode, last known", {
            "menu": "configHardware_channelSetup",
            "label": "Output-Mode",
            "channel": "0.0.1"
        }, "0", true, "OUTPUT-MODE BLOCKED: STATE OF CHANNEL 1 NOT CURRENT"], ["all channels off", allPolarity, "0", false, ""], ["all channels, last known", allPolarity, "0", true, "POLARITY BLOCKED: CHANNEL STATES NOT CURRENT"], ["reset, all off", reset, "0", false, ""], ["reset, last known", reset, "0", true, "FACTORY RESET BLOCKED: CHANNEL STATES NOT CURRENT"], ["reset, a channel on", reset, "1", false, "FACTORY RESET BLOCKED: A CHANNEL IS ON"]];
        return rows.map(function(row) {
            return {
                "tag": row[0],
                "menu": row[1].menu,
                "label": row[1].label,
                "channel": row[1].channel,
                "on": row[2],
                "lastKnown": row[3],
                "alert": row[4]
            };
        });
    }

    function test_interlocksReadCurrentValues(data) {
        main.setSelectedChannel(data.channel);
        cache.addItem("0.0", "Status.on", data.on, "", "2");
        cache.addItem("0.0.1", "Status.on", data.on, "", "2");
        cache.addItem("0.0.1", "Control.on", data.on, "", "2");
        if (data.lastKnown)
            cache.markStale();

        open(data.menu);
        const row = selectLabel(data.label);
        const command = view.currentItem._action === "command";
        compare(row.state, data.alert === "" ? "" : "blocked");
        compare(keyTexts()[0], command ? (data.alert === "" ? "SET / DO" : "BLOCKED") : "EDIT");
        // An unblocked command is not run here: the test is its key.
        if (command && data.alert === "")
            return ;

        if (data.alert !== "")
            ignoreWarning("Menu: " + data.alert);

        press("bb_bt1");
        compare(findChild(findChild(view, "alert"), "message").text, data.alert);
        compare(view.mode, data.alert === "" ? "edit" : "select");
        if (view.mode === "edit")
            press("bb_bt2");

        compare(sent("setItem"), []);
    }

    // A channel switched on during the edit blocks its APPLY, with the reason.
    function test_interlockBlocksTheApply() {
        open("configHardware_channelSetup");
        const row = selectLabel("Polarity");
        press("bb_bt1");
        compare(view.mode, "edit");
        turn(-1);
        cache.addItem("0.0.1", "Status.on", "1", "", "3");
        tryCompare(row, "state", "blocked", 1500);
        ignoreWarning("Menu: POLARITY BLOCKED: CHANNEL 1 IS ON");
        press("bb_bt1");
        compare(findChild(findChild(view, "alert"), "message").text, "POLARITY BLOCKED: CHANNEL 1 IS ON");
        compare(view.mode, "edit");
        compare(main.getConfigValue("hardwareConfig/device@id=0-0/channel@id=1/@polarity"), "p");
        press("bb_bt2");
        compare(view.mode, "select");
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
        // Sent, not yet the supply's: the value waits in the edit colour,
        // and the wheel says "ok" on the configuration that holds it.
        compare(standby.state, "active");
        compare(findChild(standby, "valueField").color, main.text_edit);
        compare(main.getObjectState("wh1"), "");
        tryCompare(main.objectStates, "wh1", "ok", 3000);
        compare(standby.state, "");
        compare(supply.configuration.includes("displayStandby=\"2\""), true);
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

    // The choice reaches the link; the supply itself is the test's.
    function test_encryptionChoiceIsStored() {
        open("configRemote");
        const encryption = selectLabel("Encryption");
        compare(encryption.itemValueLabel, "none (ws://)");
        press("bb_bt1");
        // A turn down goes to the next choice in the list.
        turn(-1);
        compare(encryption.itemValueLabel, "TLS (wss://)");
        press("bb_bt1");
        compare(view.mode, "select");
        compare(main.getRemoteConfig("tls"), "true");
        verify(link.tls);
        verify(main.setRemoteConfig("tls", "false"));
        verify(!link.tls);
    }

    // Refused where it was entered: the edit stays open, nothing is stored.
    function test_caFileWithoutCertificateStaysInEdit() {
        open("configRemote");
        const ca = selectLabel("CA certificate");
        press("bb_bt1");
        for (const character of "nofile") key(character)
        ignoreWarning(/^TlsTrust: cannot read the CA certificate nofile: No such file or directory$/);
        key("return");
        compare(view.mode, "edit");
        compare(main.getRemoteConfig("caCertificate"), "");
        compare(findChild(findChild(view, "alert"), "message").text, "NO CA CERTIFICATE IN THAT FILE, NOT STORED");
        key("cancel");
        compare(view.mode, "select");
        compare(ca.itemValue, "");
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
        ignoreWarning("Menu: POLARITY BLOCKED: CHANNEL 1 IS ON");
        press("bb_bt1");
        compare(view.mode, "select");
        compare(main.getObjectState("wh1"), "");
        compare(findChild(findChild(view, "alert"), "message").text, "POLARITY BLOCKED: CHANNEL 1 IS ON");
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

    function editStates() {
        return [main.getObjectState("wh1"), main.getObjectState("keyboard")];
    }

    // Into the edit of a numeric value, auto-applied after a first step when
    // asked: the wheel's 250 ms return to "active" is then under way.
    function editNumeric(menuId, label, autoApplied) {
        open(menuId);
        const edited = selectLabel(label);
        press("bb_bt1");
        compare(view.mode, "edit");
        compare(editStates(), ["active", "active"]);
        if (autoApplied) {
            press("bb_bt2");
            verify(view.autoApply);
            turn(1);
        }
        return edited;
    }

    function test_leavingMidEditLeavesNoState_data() {
        return [{
            "tag": "HOME key",
            "how": "homeKey",
            "autoApplied": false,
            "view": "Home"
        }, {
            "tag": "top bar home button",
            "how": "homeButton",
            "autoApplied": false,
            "view": "Home"
        }, {
            "tag": "bottom bar USB button",
            "how": "usbAux",
            "autoApplied": true,
            "view": "Menu"
        }, {
            "tag": "bottom bar address button",
            "how": "ethernet",
            "autoApplied": true,
            "view": "Menu"
        }];
    }

    function test_leavingMidEditLeavesNoState(data) {
        cache.addItem("0.0.1", "Setup.delayedTripTime", "5", "s", "1");
        editNumeric("channelSetup_currentMenu", "Delayed Trip Time", data.autoApplied);
        // The auto-applied step went out at once; what follows is the leaving's.
        sent("setItem");
        supply.packets = [];
        if (data.how === "homeKey")
            main.panelKeyReleased("home_bt");
        else
            mouseClick(findChild(view, data.how), 10, 10);
        compare(main.currentView, data.view);
        const next = currentView();
        verify(next !== view);
        compare(editStates(), ["", ""]);
        compare(main.getObjectState("bb_bt2"), "");
        compare(findChild(next, "wh1").state, "");
        // Nor does a timer of the old edit bring a state back.
        wait(400);
        compare(editStates(), ["", ""]);
        compare(findChild(next, "wh1").state, "");
        compare(sent("setItem"), []);
    }

    function test_linkDownEndsTheEdit() {
        cache.addItem("0.0.1", "Setup.delayedTripTime", "5", "s", "1");
        const trip = editNumeric("channelSetup_currentMenu", "Delayed Trip Time", false);
        key("7");
        main.connected = false;
        compare(view.mode, "select");
        compare(editStates(), ["", ""]);
        compare(trip.itemValueLabel, "5");
        const alert = findChild(view, "alert");
        compare(findChild(alert, "message").text, "Connection lost: the edit was cancelled.");
        compare(alert.state, "warning");
        compare(sent("setItem"), []);
    }

    // A refused APPLY shows red on the wheel for a moment and stays in the
    // edit, keyboard and all, to be corrected.
    function test_refusedApplyIsShown() {
        cache.addItem("0.0.1", "Setup.delayedTripTime", "5", "s", "1");
        const trip = editNumeric("channelSetup_currentMenu", "Delayed Trip Time", false);
        compare(findChild(view, "tooltip").text, "Limits: 1 … 4095 s | Set trip time for this channel");
        key("0");
        compare(trip.itemValueLabel, "0");
        ignoreWarning(/refusing "0" for Delayed Trip Time: below the minimum 1/);
        press("bb_bt1");
        compare(editStates(), ["error", "active"]);
        compare(view.mode, "edit");
        compare(sent("setItem"), []);
        tryCompare(main.objectStates, "wh1", "active", 1000);
        compare(trip.itemValueLabel, "0");
        key("delete");
        key("2");
        press("bb_bt1");
        compare(sent("setItem"), ["0 0 1 Setup.delayedTripTime 2 s"]);
        compare(view.mode, "select");
        compare(editStates(), ["ok", ""]);
        tryCompare(main.objectStates, "wh1", "", 1000);
    }

    function test_clampUnderAutoApplyIsShown() {
        cache.addItem("0.0.1", "Setup.delayedTripTime", "4090", "s", "1");
        const trip = editNumeric("channelSetup_currentMenu", "Delayed Trip Time", false);
        press("bb_bt2");
        turn(10);
        compare(trip.itemValue, "4095");
        compare(sent("setItem"), ["0 0 1 Setup.delayedTripTime 4095 s"]);
        // The apply's "ok" does not hide the clamp.
        compare(main.getObjectState("wh1"), "warning");
        tryCompare(main.objectStates, "wh1", "active", 1000);
        compare(view.mode, "edit");
    }

    function test_exitJustAfterAnAutoAppliedStep() {
        cache.addItem("0.0.1", "Setup.delayedTripTime", "5", "s", "1");
        editNumeric("channelSetup_currentMenu", "Delayed Trip Time", false);
        press("bb_bt2");
        wait(600);
        turn(1);
        compare(main.getObjectState("wh1"), "ok");
        wait(100);
        press("bb_bt4");
        compare(view.mode, "select");
        verify(!view.autoApply);
        compare(editStates(), ["", ""]);
        wait(400);
        compare(editStates(), ["", ""]);
    }

    function test_autoApplyOffJustAfterAStepKeepsEditing() {
        cache.addItem("0.0.1", "Setup.delayedTripTime", "5", "s", "1");
        editNumeric("channelSetup_currentMenu", "Delayed Trip Time", false);
        press("bb_bt2");
        wait(600);
        turn(1);
        wait(100);
        press("bb_bt2");
        verify(!view.autoApply);
        wait(400);
        compare(view.mode, "edit");
        compare(editStates(), ["active", "active"]);
    }

    // While auto-apply hides the keyboard nothing is typed, neither on its
    // keys nor on a desktop keyboard; switching it off brings it back.
    function test_hiddenKeyboardTakesNoInput() {
        cache.addItem("0.0.1", "Setup.delayedTripTime", "5", "s", "1");
        const trip = editNumeric("channelSetup_currentMenu", "Delayed Trip Time", true);
        compare(trip.itemValueLabel, "6");
        const keyboard = findChild(view, "keyboard");
        verify(!keyboard.visible);
        compare(main.getObjectState("keyboard"), "");
        // Where the "2" key would be; the bottom bar's first button there
        // acts on nothing.
        mouseClick(view, 2 * 35 + 17, 245 + 15);
        keyClick(Qt.Key_5);
        key("5");
        compare(trip.itemValueLabel, "6");
        compare(view.mode, "edit");
        press("bb_bt2");
        verify(keyboard.visible);
        compare(keyboard.mode, "numeric");
        compare(editStates(), ["active", "active"]);
        mouseClick(view, 2 * 35 + 17, 245 + 15);
        compare(trip.itemValueLabel, "2");
        press("bb_bt1");
        compare(sent("setItem"), ["0 0 1 Setup.delayedTripTime 6 s", "0 0 1 Setup.delayedTripTime 2 s"]);
    }

    // The file list arrives after the menu was built.
    function test_restoreRowOnFirstVisit() {
        main.configFilesOnUsb = undefined;
        open("configReset");
        const restore = selectLabel("Restore configuration");
        compare(restore.itemValueLabel, "");
        main.updateConfigFilesList(["first.xml", "second.xml", "notes.txt"]);
        compare(restore.itemValueLabel, "first.xml");
        press("bb_bt1");
        turn(-1);
        compare(restore.itemValue, "second.xml");
        turn(1);
        compare(restore.itemValue, "first.xml");
        press("bb_bt1");
        compare(view.mode, "select");
        compare(main.getObjectState("wh1"), "");
        supply.says("success", "Configuration restored");
        tryCompare(main.objectStates, "wh1", "ok", 3000);
    }

    // A USB command from a row: one refused keeps the edit open with the
    // refusal shown; one sent closes it, and the supply's word
    // decides: "ok" on the wheel for its success, an alert and a red row
    // for its error.
    function test_usbEditEndsInTheSupplysWord_data() {
        return [{
            "tag": "USB busy",
            "busy": true,
            "warning": /Commands: CONFIGURATION SAVE TO USB not sent: another USB command waits for the supply's answer/,
            "message": "USB BUSY: CONFIGURATION SAVE TO USB NOT SENT",
            "mode": "edit",
            "wheel": "error",
            "row": ""
        }, {
            "tag": "success",
            "answer": ["success", "Configuration saved on USB as a.xml"],
            "message": "Configuration saved on USB as a.xml",
            "mode": "select",
            "wheel": "ok",
            "row": ""
        }, {
            "tag": "error",
            "answer": ["error", "the USB memory is full"],
            "message": "CONFIGURATION SAVE TO USB FAILED: the USB memory is full",
            "mode": "select",
            "wheel": "",
            "row": "error"
        }];
    }

    function test_usbEditEndsInTheSupplysWord(data) {
        main.setObjectState("cfgItemSaveConfig@configName", "");
        supply.files = ["a.xml"];
        if (data.busy)
            verify(main.command("unmountUsbDevice"));

        open("configReset");
        const save = selectLabel("Save configuration");
        press("bb_bt1");
        for (const character of "a") key(character)
        // The file list the menu asked for is answered first.
        tryCompare(commands, "fileListAsked", -1, 3000);
        supply.files = undefined;
        if (data.warning)
            ignoreWarning(data.warning);

        press("bb_bt1");
        compare(view.mode, data.mode);
        if (data.answer) {
            compare(save.state, "active");
            compare(main.getObjectState("wh1"), "");
            supply.says(data.answer[0], data.answer[1]);
            tryCompare(save, "state", data.row, 3000);
        }
        tryCompare(main.objectStates, "wh1", data.wheel, 1000);
        const alert = findChild(view, "alert");
        compare(findChild(alert, "message").text, data.message);
        compare(save.state, data.row);
        compare(findChild(save, "label").color, data.row === "error" ? main.status_color_error : save.text_color);
        main.setObjectState(save.answerKey, "");
        if (view.mode === "edit")
            press("bb_bt2");

    }

    function test_restoreWithoutFileSaysSo() {
        main.updateConfigFilesList([]);
        open("configReset");
        selectLabel("Restore configuration");
        press("bb_bt1");
        press("bb_bt1");
        compare(view.mode, "edit");
        compare(main.getObjectState("wh1"), "error");
        const alert = findChild(view, "alert");
        compare(findChild(alert, "message").text, "No configuration file on the USB memory to restore.");
        press("bb_bt2");
        compare(view.mode, "select");
    }

    // Values within the limits can be typed even when a prefix is not.
    function test_typingWithinTheLimits_data() {
        return [{
            "tag": "minimum 0.001",
            "label": "Current Ramp Up",
            "item": "Control.currentRampspeedUp",
            "limits": ["Status.currentRampspeedMin", "0.001", "Status.currentRampspeedMax", "1", "mA/s"],
            "keys": ["0", ".", "5"],
            "sent": "0 0 1 Control.currentRampspeedUp 0.5 mA/s",
            "tooltip": "Limits: 0.001 … 1 mA/s | Current increase speed for this/all channel(s)"
        }, {
            "tag": "minimum 2",
            "label": "Voltage Ramp Up",
            "item": "Control.voltageRampspeedUp",
            "limits": ["Status.voltageRampspeedMin", "2", "Status.voltageRampspeedMax", "1200", "V/s"],
            "keys": ["1", "0"],
            "sent": "0 0 1 Control.voltageRampspeedUp 10 V/s",
            "tooltip": "Limits: 2 … 1200 V/s | Voltage increase speed for this/all channel(s)"
        }];
    }

    function test_typingWithinTheLimits(data) {
        const unit = data.limits[4];
        cache.addItem("0.0.1", data.item, "1", unit, "1");
        cache.addItem("0.0.1", data.limits[0], data.limits[1], unit, "1");
        cache.addItem("0.0.1", data.limits[2], data.limits[3], unit, "1");
        open("configHardware_channelSetup");
        const ramp = selectLabel(data.label);
        press("bb_bt1");
        compare(findChild(view, "tooltip").text, data.tooltip);
        for (const typed of data.keys) key(typed)
        compare(ramp.itemValueLabel, data.keys.join(""));
        press("bb_bt1");
        compare(sent("setItem"), [data.sent]);
        compare(view.mode, "select");
        compare(findChild(view, "tooltip").text, data.tooltip.split(" | ")[1]);
    }

    function test_cancelledNameIsEmptied() {
        open("configReset");
        const save = selectLabel("Save configuration");
        press("bb_bt1");
        for (const character of "abc") key(character)
        press("bb_bt2");
        compare(view.mode, "select");
        compare([save.itemValue, save.itemValueLabel], ["", ""]);
        press("bb_bt1");
        compare(save.itemValueLabel, "LUMAconfig.xml");
        press("bb_bt2");
    }

    // "ALL CHANNELS" shows what the channels share, or a dash; an edit
    // starts from channel 0's value; reads go to the channels there are.
    function test_allChannels_data() {
        return [{
            "tag": "equal",
            "label": "Voltage Ramp Up",
            "item": "Control.voltageRampspeedUp",
            "values": ["5", "5"],
            "shown": "5",
            "edited": "0005.00"
        }, {
            "tag": "unequal",
            "label": "Voltage Ramp Down",
            "item": "Control.voltageRampspeedDown",
            "values": ["5", "7"],
            "shown": "—",
            "edited": "0005.00"
        }, {
            "tag": "missing",
            "label": "Current Ramp Down",
            "item": "Control.currentRampspeedDown",
            "values": ["0.25"],
            "shown": "—",
            "edited": "0000.250"
        }];
    }

    function test_allChannels(data) {
        main.setSelectedChannel("0.0.*");
        const unit = data.item.includes("voltage") ? "V/s" : "mA/s";
        for (let i = 0; i < data.values.length; ++i) cache.addItem("0.0." + i, data.item, data.values[i], unit, "1")
        open("configHardware_channelSetup");
        compare(findChild(view, "title").text, "Channel setup | Channel 0.0.*");
        const ramp = selectLabel(data.label);
        compare(ramp.itemValueLabel, data.shown);
        press("bb_bt1");
        compare(view.mode, "edit");
        compare(findChild(ramp, "valueField").text, data.edited);
        press("bb_bt4");
        // Asked for at the channels, and never at "0.0.*", which no report
        // would answer.
        if (data.values.length < 2)
            verify(cache.isInWaitlist(cache.keyOf("0.0.1", data.item)));

        verify(!cache.isInWaitlist(cache.keyOf("0.0.*", data.item)));
        // A channel's report is shown at once.
        for (let i = 0; i < 2; ++i) cache.addItem("0.0." + i, data.item, "9", unit, "2")
        compare(ramp.itemValueLabel, "9");
    }

    function test_allChannelsWriteReadsEachChannel() {
        main.setSelectedChannel("0.0.*");
        for (const path of ["0.0.0", "0.0.1"]) cache.addItem(path, "Control.voltageRampspeedUp", "5", "V/s", "3")
        open("configHardware_channelSetup");
        selectLabel("Voltage Ramp Up");
        press("bb_bt1");
        turn(3);
        press("bb_bt1");
        compare(sent("setItem"), ["0 0 * Control.voltageRampspeedUp 0008.00 V/s"]);
        link.queue = [];
        tryVerify(function() {
            return sent("getItem").includes("0 0 0 Control.voltageRampspeedUp") && sent("getItem").includes("0 0 1 Control.voltageRampspeedUp");
        }, 1500);
        verify(!sent("getItem").some(function(request) {
            return request.startsWith("0 0 *");
        }));
    }

    // A value "n/a" is an SSID like any other, and stays editable.
    function test_naIsAValue() {
        config.setProperty("wifi/ssid", "Korvat-LUMA");
        open("configHardware_interfaces_wifi");
        const ssid = selectLabel("SSID");
        press("bb_bt1");
        for (const character of "n/a") key(character)
        press("bb_bt1");
        compare(main.getConfigValue("wifi/ssid"), "n/a");
        compare(ssid.itemValueLabel, "n/a");
        wait(1100);
        verify(ssid.isEditable);
        press("bb_bt1");
        compare(view.mode, "edit");
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
