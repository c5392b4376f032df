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
            "expected": ["getItem 0 0 3 Control.killEnable ", "setItem 0 0 3 Control.killEnable 1"]
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
            "write": "setItem 0 0  Control.clearAll 1",
            "alert": ["success", "ALL EVENTS AND ERRORS HAVE BEEN CLEARED", "ok"]
        }, {
            "tag": "SetValuesReset",
            "write": "setItem 0 0  Control.setValuesReset 1",
            "alert": ["success", "RESET SUCCESSFUL. STANDARD VALUES HAVE BEEN SET", "ok"]
        }];
    }

    function test_resetCommandsAlert(data) {
        main.command(data.tag);
        compare(sent(), [data.write]);
        compare(argumentsOf(alertSpy), [data.alert]);
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
