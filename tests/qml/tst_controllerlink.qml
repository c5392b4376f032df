import QtQuick 2.12
import QtTest 1.12
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views

// The root screen's device operations and its handling of the link's
// signals. The link is down here, so what would be sent piles up in its
// queue, where the tests read it.
TestCase {
    id: testCase

    property var link: null
    property var cache: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
        link = Children.find(main, "appendQueue");
        cache = Children.find(main, "addItem");
        verify(link !== null && cache !== null);
    }

    function init() {
        // A toggle still waiting for an answer would swallow the next one.
        for (const key of Object.keys(main.pendingToggles)) {
            main.cancelDelay(main.pendingToggles[key].timer);
            delete main.pendingToggles[key];
        }
        main.cancelDelay(main.displayTimer);
        main.displayIsOn = true;
        link.queue = [];
        alertSpy.clear();
    }

    function sent() {
        return link.queue.map(function(packet) {
            return [packet.c, packet.p.p.l, packet.p.p.a, packet.p.p.c, packet.p.i, packet.p.v].join(" ");
        });
    }

    function configuration(model, channels) {
        let xml = "<lumaConfig><hardwareDetect><device id=\"0-0\" model=\"" + model + "\">";
        for (let i = 0; i < channels; ++i) xml += "<channel id=\"" + i + "\"/>"
        return xml + "</device></hardwareDetect></lumaConfig>";
    }

    function argumentsOf(spy) {
        return spy.signalArguments.map(function(args) {
            return Array.prototype.slice.call(args);
        });
    }

    function test_itemOperations() {
        main.setItemValue("0.0.2", "Control.voltageSet", "1500", "V");
        main.requestUpdate("0.0", "Status.temperature");
        main.setItemValue("", "Setup.cycleTime", 100);
        compare(sent(), ["setItem 0 0 2 Control.voltageSet 1500", "getItem 0 0  Status.temperature ", "setItem    Setup.cycleTime 100"]);
        compare(link.queue[0].p.u, "V");
        compare(link.queue[2].p.u, "");
    }

    function test_lumaCommand_data() {
        return [{
            "tag": "toggle of an item that is on",
            "cached": "1",
            "params": {
                "mode": "toggle",
                "path": "0.0.1_Control.on"
            },
            "expected": ["setItem 0 0 1 Control.on 0"]
        }, {
            "tag": "toggle of an item that is off",
            "cached": "0",
            "params": {
                "mode": "toggle",
                "path": "0.0.1_Control.on"
            },
            "expected": ["setItem 0 0 1 Control.on 1"]
        }, {
            "tag": "toggle of an uncached item",
            "cached": undefined,
            "params": {
                "mode": "toggle",
                "path": "0.0.3_Control.killEnable"
            },
            "expected": ["getItem 0 0 3 Control.killEnable "]
        }, {
            "tag": "on",
            "params": {
                "mode": "On",
                "path": "0.0.2_Control.on"
            },
            "expected": ["setItem 0 0 2 Control.on 1"]
        }, {
            "tag": "off",
            "params": {
                "mode": "Off",
                "path": "0.0.2_Control.on"
            },
            "expected": ["setItem 0 0 2 Control.on 0"]
        }, {
            "tag": "clear one event",
            "params": {
                "mode": "ClearEventError",
                "path": "0.0.2_Event.trip"
            },
            "expected": ["setItem 0 0 2 Event.trip 1"]
        }, {
            "tag": "factory reset",
            "params": {
                "mode": "FactoryReset",
                "path": "0.0"
            },
            "expected": ["setItem 0 0  Control.factoryReset 1", "setItem    Control.factorySystemReset 1"]
        }, {
            "tag": "unknown mode",
            "params": {
                "mode": "Explode",
                "path": "0.0.1_Control.on"
            },
            "expected": []
        }];
    }

    function test_lumaCommand(data) {
        if (data.cached !== undefined)
            cache.addItem("0.0.1", "Control.on", data.cached, "", "1");

        main.command("lumaCommand", data.params);
        compare(sent(), data.expected);
    }

    function test_resetCommandsAlert_data() {
        return [{
            "tag": "ClearAll",
            "command": "ClearAll",
            "write": "setItem 0 0  Control.clearAll 1",
            "alert": ["success", "ALL EVENTS AND ERRORS HAVE BEEN CLEARED", "ok"]
        }, {
            "tag": "ClearAll of a channel's list",
            "command": "lumaCommand",
            "params": {
                "mode": "ClearAll",
                "path": "0.0.2"
            },
            "write": "setItem 0 0 2 Control.clearAll 1",
            "alert": ["success", "ALL EVENTS AND ERRORS HAVE BEEN CLEARED", "ok"]
        }, {
            "tag": "SetValuesReset",
            "command": "SetValuesReset",
            "write": "setItem 0 0  Control.setValuesReset 1",
            "alert": ["success", "RESET SUCCESSFUL. STANDARD VALUES HAVE BEEN SET", "ok"]
        }];
    }

    function test_resetCommandsAlert(data) {
        main.command(data.command, data.params);
        compare(sent(), [data.write]);
        compare(argumentsOf(alertSpy), [data.alert]);
    }

    function test_factoryResetWarnsAgainLater() {
        main.command("FactoryReset");
        compare(sent(), ["setItem 0 0  Control.factoryReset 1", "setItem    Control.factorySystemReset 1"]);
        compare(argumentsOf(alertSpy), [["success", "RESET IN PROGRESS. PLEASE WAIT...", "error"]]);
        wait(9000);
        compare(alertSpy.count, 1);
        tryCompare(alertSpy, "count", 2, 2500);
        compare(argumentsOf(alertSpy)[1], ["warning", "RESET SUCCESSFUL. NOW PLEASE SWITCH OFF/ON OR PUSH CONTROL RESET", "warning"]);
    }

    function test_toggleActsOnTheSupplysState() {
        // Unknown: asked for, and switched the other way once it is known.
        main.command("lumaCommand", {
            "mode": "toggle",
            "path": "0.0.3_Control.on"
        });
        compare(sent(), ["getItem 0 0 3 Control.on "]);
        cache.addItem("0.0.3", "Control.on", "1", "", "1");
        compare(sent(), ["getItem 0 0 3 Control.on ", "setItem 0 0 3 Control.on 0"]);
        // A second tap before the answer does nothing; after it, it acts.
        main.panelKeyReleased("ch_bt3");
        compare(sent().length, 2);
        cache.addItem("0.0.3", "Control.on", "0", "", "2");
        main.panelKeyReleased("ch_bt3");
        compare(sent()[2], "setItem 0 0 3 Control.on 1");
        // Without an answer the next tap acts after half a second.
        main.panelKeyReleased("ch_bt3");
        compare(sent().length, 3);
        wait(600);
        main.panelKeyReleased("ch_bt3");
        compare(sent()[3], "setItem 0 0 3 Control.on 1");
    }

    function test_toggleWithoutAnswerWarns() {
        main.command("lumaCommand", {
            "mode": "toggle",
            "path": "0.0.2_Control.killEnable"
        });
        tryCompare(alertSpy, "count", 1, 6000);
        compare(argumentsOf(alertSpy), [["warning", "NOT SWITCHED: NO ANSWER FROM THE SUPPLY FOR 0.0.2 Control.killEnable", "warning"]]);
        cache.addItem("0.0.2", "Control.killEnable", "0", "", "1");
        compare(sent(), ["getItem 0 0 2 Control.killEnable "]);
    }

    function standbyConfiguration(minutes) {
        return "<lumaConfig><hardwareConfig><device id=\"0-0\" displayStandby=\"" + minutes + "\"/></hardwareConfig><hardwareDetect><device id=\"0-0\" model=\"M\"><channel id=\"0\"/></device></hardwareDetect></lumaConfig>";
    }

    function test_standbyInMinutesAndZeroWakes_data() {
        return [{
            "tag": "off",
            "minutes": "0",
            "timeout": undefined
        }, {
            "tag": "one minute",
            "minutes": "1",
            "timeout": 60000
        }, {
            "tag": "ten minutes",
            "minutes": "10",
            "timeout": 600000
        }];
    }

    function test_standbyInMinutesAndZeroWakes(data) {
        main.displayIsOn = false;
        link.configurationReceived(standbyConfiguration(data.minutes));
        verify(main.displayIsOn);
        const timer = main.displayTimer;
        compare(timer ? timer.interval : undefined, data.timeout);
        compare(timer ? timer.running : undefined, data.timeout === undefined ? undefined : true);
    }

    function test_setConfigValueSendsOnlyWhatTheStoreTook_data() {
        return [{
            "tag": "accepted",
            "path": "hardwareConfig/device@id=0-0/@displayStandby",
            "value": "7",
            "stored": "7",
            "sent": ["setItem    Control.configurationChanged 1"]
        }, {
            "tag": "bad attribute name",
            "path": "hardwareConfig/device@id=0-0/@a\"b",
            "value": "7",
            "warning": /Invalid element or attribute name/,
            "stored": "3",
            "sent": []
        }];
    }

    function test_setConfigValueSendsOnlyWhatTheStoreTook(data) {
        link.configurationReceived(standbyConfiguration("3"));
        if (data.warning)
            ignoreWarning(data.warning);

        main.setConfigValue(data.path, data.value);
        compare(main.getConfigValue("hardwareConfig/device@id=0-0/@displayStandby"), data.stored);
        compare(sent(), data.sent);
        compare(alertSpy.count, 0);
        main.cancelDelay(main.displayTimer);
    }

    function test_laterConfigurationSetsChannelCount() {
        main.numberOfChannels = -1;
        viewSpy.clear();
        link.configurationReceived(configuration("EMPTY", 0));
        compare(main.numberOfChannels, 0);
        compare(main.currentView, "Channellist");
        // The empty list is filled by the first configuration with channels.
        link.configurationReceived(configuration("FULL", 3));
        compare(main.numberOfChannels, 3);
        compare(viewSpy.count, 2);
        compare(main.currentView, "Channellist");
        link.configurationReceived(configuration("LESS", 2));
        compare(main.numberOfChannels, 3);
        compare(viewSpy.count, 2);
        // Another open view stays.
        main.numberOfChannels = 0;
        main.changeView("Probe");
        link.configurationReceived(configuration("FULL", 2));
        compare(main.numberOfChannels, 2);
        compare(main.currentView, "Probe");
        main.numberOfChannels = 4;
    }

    function test_configurationFixesChannelsOnce() {
        viewSpy.clear();
        link.configurationReceived(configuration("HV-SUPPLY-MODEL-12345", 6));
        compare(main.numberOfChannels, 4);
        compare(main.deviceName, "HV-SUPPLY-MO");
        compare(main.getConfigValue("hardwareDetect/device@id=0-0/@model"), "HV-SUPPLY-MODEL-12345");
        compare(viewSpy.count, 1);
        compare(main.currentView, "Channellist");
        compare(main.currentViewParams, {
            "cID": "0.0"
        });
        // A later configuration updates the name but keeps count and view.
        main.changeView("Probe");
        link.configurationReceived(configuration("OTHER", 2));
        compare(main.numberOfChannels, 4);
        compare(main.deviceName, "OTHER");
        compare(main.currentView, "Probe");
    }

    function test_linkErrorsBecomeAlerts_data() {
        return [{
            "tag": "device error raised",
            "type": "voltageLimit",
            "message": "1",
            "alert": ["voltageLimit", "1", "error"]
        }, {
            "tag": "device error cleared",
            "type": "voltageLimit",
            "message": "0",
            "alert": ["voltageLimit", "", ""]
        }, {
            "tag": "device message",
            "type": "message",
            "message": "calibration due",
            "alert": ["message", "calibration due", "warning"]
        }, {
            "tag": "device error event",
            "type": "error",
            "message": "setItem refused",
            "alert": ["error", "setItem refused", "error"]
        }, {
            "tag": "no type",
            "type": "",
            "message": "broken",
            "alert": ["error", "broken", "error"]
        }, {
            "tag": "empty message withdraws",
            "type": "success",
            "message": "",
            "alert": ["success", "", ""]
        }];
    }

    function test_linkErrorsBecomeAlerts(data) {
        link.error(data.type, data.message);
        compare(argumentsOf(alertSpy), [data.alert]);
    }

    function test_firmwareUpdateAlert() {
        link.firmwareUpdateActive(true);
        link.firmwareUpdateActive(false);
        compare(argumentsOf(alertSpy), [["firmwareUpdate", "FIRMWARE UPDATE IN PROGRESS! DO NOT SWITCH OFF OR OPERATE.", "error"], ["firmwareUpdate", "", ""]]);
    }

    function test_configFilesList() {
        const before = main.command("getConfigFilesList");
        compare(sent(), []);
        link.usbFileListChanged(["a.xml", "notes.txt", "b.xml.bak", "c.XML"]);
        compare(main.configFilesOnUsb, ["a.xml", "b.xml.bak"]);
        compare(main.command("getConfigFilesList"), ["a.xml", "b.xml.bak"]);
        verify(before !== main.configFilesOnUsb);
    }

    function test_statusRegistryReadsTheLink() {
        compare(main.getObjectState("ethernetStatus"), link.comState);
        compare(main.getObjectInfo("ethernetStatus"), link.comInfo);
        cache.addItem("0.0", "Status.usbRemoteState", "ok", "", "1");
        cache.addItem("0.0", "Status.usbAuxText", "stick", "", "1");
        compare(main.getObjectState("usbRemoteStatus"), "ok");
        compare(main.getObjectInfo("usbAuxStatus"), "stick");
        compare(main.getObjectState("usbAuxStatus"), "");
        // A last known state is not shown as the state.
        cache.markStale();
        compare(main.getObjectState("usbRemoteStatus"), "");
        cache.addItem("0.0", "Status.usbRemoteState", "ok", "", "2");
        compare(main.getObjectState("usbRemoteStatus"), "ok");
    }

    function test_everythingReadAgainAfterLogin() {
        cache.addItem("0.0.1", "Status.voltageMeasure", "5", "V", "1");
        cache.addItem("", "Setup.cycleTime", "250", "ms", "1");
        cache.markStale();
        cache.getItem("5.0.2", "Status.on");
        compare(sent(), ["getItem 5 0 2 Status.on "]);
        main.queueRefresh();
        const requests = sent();
        // Once each, whatever the queue asks for already.
        for (const request of ["getItem 0 0 1 Status.voltageMeasure ", "getItem    Setup.cycleTime ", "getItem 5 0 2 Status.on "]) compare(requests.filter(function(r) {
            return r === request;
        }).length, 1, request)
        compare(requests.length, new Set(requests).size);
    }

    function test_statusChangesReachSubscribers() {
        stateSpy.clear();
        link.changeComState("closed");
        verify(!main.connected);
        verify(argumentsOf(stateSpy).some(function(a) {
            return a[0] === "ethernetStatus";
        }));
    }

    name: "ControllerLink"

    SignalSpy {
        id: alertSpy

        target: main
        signalName: "alert"
    }

    SignalSpy {
        id: viewSpy

        target: main
        signalName: "viewChanged"
    }

    SignalSpy {
        id: stateSpy

        target: main
        signalName: "stateUpdated"
    }

}
