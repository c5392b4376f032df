import QtQuick 2.12
import QtTest 1.12
import QtWebSockets 1.1
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views

// The root screen's device operations and its handling of the link's
// signals. The test plays the supply on a real WebSocket: the root
// screen's own link logs in to it for the cases that need the link up,
// and is closed for those of an outage.
TestCase {
    id: testCase

    property var link: null
    property var cache: null
    property var commands: null
    property var config: null
    property var peer: null
    property var frames: []
    // The supply's configuration: when set, every "getConfig" is answered
    // with it, and a "setConfig" replaces it while the supply takes them.
    property string supplyConfiguration: ""
    property bool takesSettings: true
    readonly property string standby: "hardwareConfig/device@id=0-0/@displayStandby"

    function initTestCase() {
        Views.waitForStart(testCase, main);
        link = Children.find(main, "appendQueue");
        cache = Children.find(main, "addItem");
        commands = Children.find(main, "confirmedWrites");
        config = Children.find(main, "getNumberOfChildren");
        verify(link !== null && cache !== null && commands !== null && config !== null);
        verify(server.listen);
    }

    function init() {
        supplyConfiguration = "";
        takesSettings = true;
        commands.cancelAll();
        main.cancelDelay(main.displayTimer);
        main.displayIsOn = true;
        offline();
        link.queue = [];
        frames = [];
        alertSpy.clear();
        triggerSpy.clear();
    }

    function online() {
        link.ip = "127.0.0.1";
        link.port = String(server.url).split(":")[2];
        link.changeComState("connecting");
        tryCompare(link, "comState", "connected", 5000);
        verify(main.connected);
        tryVerify(function() {
            return frames.some(function(f) {
                return JSON.parse(f).t === "getConfig";
            });
        }, 3000);
        frames = [];
        alertSpy.clear();
    }

    // The link as after a lost socket: not logged in, values no longer current.
    function offline() {
        if (link.comState !== "closed")
            link.changeComState("closed");

        verify(!main.connected);
    }

    function describe(packet) {
        return [packet.c, packet.p.p.l, packet.p.p.a, packet.p.p.c, packet.p.i, packet.p.v].join(" ");
    }

    // Item commands received by the supply since the last reset.
    function sent() {
        let packets = [];
        for (const frame of frames) {
            const envelope = JSON.parse(frame);
            if (envelope.t === "request")
                packets = packets.concat(envelope.c.filter(function(p) {
                return p.p.p !== undefined;
            }).map(describe));

        }
        return packets;
    }

    // Waits for the given item commands and a little more, for any after them.
    function waitForSent(count) {
        tryVerify(function() {
            return sent().length >= count;
        }, 3000);
        wait(100);
        return sent();
    }

    function queued() {
        return link.queue.map(describe);
    }

    // The supply reports items: [path, item, value, unit].
    function report(items) {
        peer.sendTextMessage(JSON.stringify([{
            "t": "info",
            "c": items.map(function(i) {
                const fields = i[0].split(".");
                return {
                    "e": "itemUpdated",
                    "d": {
                        "i": i[1],
                        "p": {
                            "l": fields[0] || "",
                            "a": fields[1] || "",
                            "c": fields[2] || ""
                        },
                        "v": i[2],
                        "u": i[3] || "",
                        "t": "1700000000"
                    }
                };
            })
        }]));
    }

    function reportAndWait(items) {
        if (items.length === 0)
            return ;

        const last = items[items.length - 1];
        report(items);
        tryVerify(function() {
            return cache.isCurrent(last[0], last[1]) && cache.getItem(last[0], last[1])[1] === last[2];
        }, 3000);
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
        online();
        verify(main.setItemValue("0.0.2", "Control.voltageSet", "1500", "V"));
        main.requestUpdate("0.0", "Status.temperature");
        verify(main.setItemValue("", "Setup.cycleTime", 100));
        compare(waitForSent(3), ["setItem 0 0 2 Control.voltageSet 1500", "getItem 0 0  Status.temperature ", "setItem    Setup.cycleTime 100"]);
        compare(alertSpy.count, 0);
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
        online();
        if (data.cached !== undefined)
            reportAndWait([["0.0.1", "Control.on", data.cached]]);

        main.command("lumaCommand", data.params);
        compare(waitForSent(data.expected.length), data.expected);
    }

    // A toggle of a state not known switches nothing: it could go either way.
    function test_toggleOfUnknownStateAsksInstead() {
        online();
        ignoreWarning(/Commands: not switching 0.0.3 Control.killEnable: its state is not known yet/);
        main.command("lumaCommand", {
            "mode": "toggle",
            "path": "0.0.3_Control.killEnable"
        });
        compare(waitForSent(1), ["getItem 0 0 3 Control.killEnable "]);
        compare(argumentsOf(alertSpy), [["notSwitched", "NOT SWITCHED: STATE OF KILL ENABLE OF CHANNEL 3 NOT KNOWN YET", "warning"]]);
    }

    // Every way a write starts, refused at once while the link is down,
    // safe-direction writes too; none of them goes out after the login.
    function test_writesRefusedWhileOffline_data() {
        const lumaCommand = function lumaCommand(mode, path) {
            return function() {
                main.command("lumaCommand", {
                    "mode": mode,
                    "path": path
                });
            };
        };
        return [{
            "tag": "set value",
            "act": function() {
                main.setItemValue("0.0.0", "Control.voltageSet", "1500", "V");
            },
            "what": "VOLTAGE SET OF CHANNEL 0"
        }, {
            "tag": "switch off",
            "act": lumaCommand("Off", "0.0.1_Control.on"),
            "what": "OUTPUT OF CHANNEL 1"
        }, {
            "tag": "emergency off",
            "act": lumaCommand("On", "0.0.1_Control.emergency"),
            "what": "EMERGENCY OFF OF CHANNEL 1"
        }, {
            "tag": "toggle",
            "act": lumaCommand("toggle", "0.0.2_Control.on"),
            "what": "OUTPUT OF CHANNEL 2"
        }, {
            "tag": "clear one error",
            "act": lumaCommand("ClearEventError", "0.0.2_Error.currentTrip"),
            "what": "CURRENT TRIP ERROR CLEAR OF CHANNEL 2"
        }, {
            "tag": "clear all",
            "act": function() {
                main.command("ClearAll");
            },
            "what": "CLEAR ALL OF THE DEVICE"
        }, {
            "tag": "factory reset",
            "act": function() {
                main.command("FactoryReset");
            },
            "what": "FACTORY RESET OF THE DEVICE"
        }, {
            "tag": "USB unmount",
            "act": function() {
                main.command("unmountUsbDevice");
            },
            "what": "USB UNMOUNT"
        }, {
            "tag": "configuration save",
            "act": function() {
                main.command("saveConfiguration", {
                    "name": "a.xml"
                });
            },
            "what": "CONFIGURATION SAVE TO USB"
        }, {
            "tag": "configuration restore",
            "act": function() {
                main.command("restoreConfiguration", {
                    "file": "a.xml"
                });
            },
            "what": "CONFIGURATION RESTORE FROM USB"
        }];
    }

    function test_writesRefusedWhileOffline(data) {
        online();
        reportAndWait([["0.0.2", "Control.on", "0"]]);
        offline();
        ignoreWarning(new RegExp("Commands: " + data.what + " not sent: not logged in to the supply"));
        data.act();
        compare(argumentsOf(alertSpy), [["notSent", "NOT CONNECTED: " + data.what + " NOT SENT", "warning"]]);
        compare(queued().filter(function(p) {
            return !p.startsWith("getItem");
        }), []);
        online();
        wait(300);
        compare(sent(), []);
        compare(alertSpy.count, 0);
    }

    // A socket gone before the link has seen it go, so it still counts
    // itself logged in: the write that does not go out is refused like an
    // offline one.
    function test_writeTheLinkDoesNotTakeIsRefused() {
        online();
        verify(link.socket !== null);
        link.socket.active = false;
        link.comState = "connected";
        ignoreWarning(/Commands: VOLTAGE SET OF CHANNEL 0 not sent: the link did not take it/);
        verify(!main.setItemValue("0.0.0", "Control.voltageSet", "1500", "V"));
        compare(argumentsOf(alertSpy), [["notSent", "LINK FAILED: VOLTAGE SET OF CHANNEL 0 NOT SENT", "warning"]]);
        compare(queued().filter(function(p) {
            return p.startsWith("setItem");
        }), []);
        offline();
        online();
        wait(300);
        compare(sent(), []);
    }

    function test_successOnlyOnTheSupplysAnswer_data() {
        return [{
            "tag": "ClearAll",
            "command": "ClearAll",
            "writes": ["setItem 0 0  Control.clearAll 1"],
            "answers": [["0.0", "Control.clearAll", "0"], ["0.0", "Status.eventCounter", "0"], ["0.0", "Status.errorCounter", "0"]],
            "before": [["0.0", "Status.eventCounter", "2"], ["0.0", "Status.errorCounter", "1"]],
            "alert": ["success", "ALL EVENTS AND ERRORS HAVE BEEN CLEARED", "ok"]
        }, {
            "tag": "ClearAll of a channel's list",
            "command": "lumaCommand",
            "params": {
                "mode": "ClearAll",
                "path": "0.0.2"
            },
            "writes": ["setItem 0 0 2 Control.clearAll 1"],
            "answers": [["0.0.2", "Control.clearAll", "0"], ["0.0.2", "Status.errorCounter", "0"]],
            "before": [["0.0.2", "Status.eventCounter", "0"], ["0.0.2", "Status.errorCounter", "1"]],
            "alert": ["success", "ALL EVENTS AND ERRORS HAVE BEEN CLEARED", "ok"]
        }, {
            "tag": "SetValuesReset",
            "command": "SetValuesReset",
            "writes": ["setItem 0 0  Control.setValuesReset 1"],
            "answers": [["0.0", "Control.setValuesReset", "0"]],
            "before": [],
            "alert": ["success", "RESET SUCCESSFUL. STANDARD VALUES HAVE BEEN SET", "ok"]
        }, {
            "tag": "FactoryReset",
            "command": "FactoryReset",
            "writes": ["setItem 0 0  Control.factoryReset 1", "setItem    Control.factorySystemReset 1"],
            "answers": [["0.0", "Control.factoryReset", "0"], ["", "Control.factorySystemReset", "0"]],
            "before": [],
            "progress": ["factoryReset", "RESET IN PROGRESS. PLEASE WAIT...", "error"],
            "alert": ["factoryReset", "RESET SUCCESSFUL. NOW PLEASE SWITCH OFF/ON OR PUSH CONTROL RESET", "warning"]
        }];
    }

    function test_successOnlyOnTheSupplysAnswer(data) {
        online();
        if (data.before.length > 0)
            reportAndWait(data.before);

        main.command(data.command, data.params);
        compare(waitForSent(data.writes.length), data.writes);
        const progress = data.progress ? [data.progress] : [];
        compare(argumentsOf(alertSpy), progress);
        // Only the whole answer confirms.
        reportAndWait(data.answers.slice(0, data.answers.length - 1));
        compare(argumentsOf(alertSpy), progress);
        reportAndWait(data.answers);
        compare(argumentsOf(alertSpy), progress.concat([data.alert]));
    }

    function test_notConfirmedWarns_data() {
        return [{
            "tag": "ClearAll",
            "command": "ClearAll",
            "timeout": 5000,
            "alert": ["warning", "CLEAR ALL NOT CONFIRMED BY THE SUPPLY", "warning"]
        }, {
            "tag": "FactoryReset",
            "command": "FactoryReset",
            "timeout": 10000,
            "alert": ["factoryReset", "FACTORY RESET NOT CONFIRMED BY THE SUPPLY", "warning"]
        }, {
            "tag": "USB drivers",
            "command": "saveUsbDrivers",
            "timeout": 5000,
            "alert": ["warning", "USB DRIVER SAVE NOT CONFIRMED BY THE SUPPLY", "warning"]
        }];
    }

    function test_notConfirmedWarns(data) {
        online();
        ignoreWarning(/not confirmed by the supply within/);
        main.command(data.command);
        const before = alertSpy.count;
        wait(data.timeout - 1000);
        compare(alertSpy.count, before);
        tryCompare(alertSpy, "count", before + 1, 3000);
        compare(argumentsOf(alertSpy)[before], data.alert);
    }

    function test_usbCommandAnsweredBySupply() {
        online();
        main.command("saveConfiguration", {
            "name": "a.xml"
        });
        tryVerify(function() {
            return frames.length === 1;
        }, 3000);
        compare(JSON.parse(frames[0]).c[0].c, "downloadFile");
        compare(alertSpy.count, 0);
        peer.sendTextMessage(JSON.stringify([{
            "t": "response",
            "c": [{
                "e": "success",
                "v": "Configuration saved"
            }]
        }]));
        tryCompare(alertSpy, "count", 1, 3000);
        compare(argumentsOf(alertSpy), [["success", "Configuration saved", "success"]]);
        // The answer ends the wait: no warning follows.
        wait(5500);
        compare(alertSpy.count, 1);
    }

    // off, tap, tap before the answer: the supply ends off, and no press
    // sends what the one before it sent.
    function test_toggleFollowsTheLatestPress() {
        online();
        reportAndWait([["0.0.3", "Control.on", "0"]]);
        main.panelKeyReleased("ch_bt3");
        verify(main.isSwitching("0.0.3", "Control.on"));
        main.panelKeyReleased("ch_bt3");
        compare(waitForSent(2), ["setItem 0 0 3 Control.on 1", "setItem 0 0 3 Control.on 0"]);
        // The answer to the first press does not end the second.
        reportAndWait([["0.0.3", "Control.on", "1"]]);
        verify(main.isSwitching("0.0.3", "Control.on"));
        reportAndWait([["0.0.3", "Control.on", "0"]]);
        verify(!main.isSwitching("0.0.3", "Control.on"));
        // Confirmed: the next press acts on the supply's state.
        main.panelKeyReleased("ch_bt3");
        compare(waitForSent(3)[2], "setItem 0 0 3 Control.on 1");
        compare(alertSpy.count, 0);
    }

    // Unanswered, the write may still be at the supply: the state is not
    // known until the supply reports it again, and a press meanwhile asks
    // for it instead of repeating the write.
    function test_toggleWithoutAnswerLeavesTheStateUnknown_data() {
        return [{
            "tag": "silent",
            "warning": "NOT SWITCHED: OUTPUT OF CHANNEL 2 OFF, NO ANSWER FROM THE SUPPLY"
        }, {
            "tag": "an error event meanwhile",
            "error": "channel busy",
            "warning": "NOT SWITCHED: OUTPUT OF CHANNEL 2 OFF, THE SUPPLY REPORTED: channel busy"
        }];
    }

    function test_toggleWithoutAnswerLeavesTheStateUnknown(data) {
        online();
        reportAndWait([["0.0.2", "Control.on", "1"]]);
        ignoreWarning(/Commands: OUTPUT OF CHANNEL 2 OFF not confirmed by the supply within 5000 ms/);
        main.command("lumaCommand", {
            "mode": "toggle",
            "path": "0.0.2_Control.on"
        });
        verify(main.isSwitching("0.0.2", "Control.on"));
        if (data.error) {
            link.error("error", data.error);
            alertSpy.clear();
        }
        // A report of the old state is no answer.
        reportAndWait([["0.0.2", "Control.on", "1"]]);
        wait(3500);
        compare(alertSpy.count, 0);
        tryCompare(alertSpy, "count", 1, 3000);
        compare(argumentsOf(alertSpy), [["notSwitched", data.warning, "warning"]]);
        verify(!main.isSwitching("0.0.2", "Control.on"));
        verify(main.isSwitchStateUnknown("0.0.2", "Control.on"));
        ignoreWarning(/Commands: not switching 0.0.2 Control.on: its state is not known yet/);
        main.panelKeyReleased("ch_bt2");
        compare(waitForSent(2), ["setItem 0 0 2 Control.on 0", "getItem 0 0 2 Control.on "]);
        compare(argumentsOf(alertSpy)[1], ["notSwitched", "NOT SWITCHED: STATE OF OUTPUT OF CHANNEL 2 NOT KNOWN YET", "warning"]);
        // The late answer ends it; the next press acts on it.
        reportAndWait([["0.0.2", "Control.on", "0"]]);
        verify(!main.isSwitchStateUnknown("0.0.2", "Control.on"));
        main.panelKeyReleased("ch_bt2");
        compare(waitForSent(3)[2], "setItem 0 0 2 Control.on 1");
    }

    // Writes made together, each with what the supply answers within the
    // time-out, and the one warning it ends in (none when taken). The
    // error event goes with the oldest write the supply said nothing about.
    function test_itemWritesEndInTheSupplysWord() {
        const cases = [{
            "tag": "taken",
            "write": ["0.0.0", "Control.voltageSet", "1500", "V"],
            "answers": [["0.0.0", "Control.voltageSet", "1500", "V"]]
        }, {
            "tag": "taken in another unit",
            "write": ["0.0.1", "Control.voltageSet", "1.5", "kV"],
            "answers": [["0.0.1", "Control.voltageSet", "1500", "V"]]
        }, {
            "tag": "taken after a report of the old value",
            "write": ["0.0.2", "Control.currentSet", "2", "mA"],
            "answers": [["0.0.2", "Control.currentSet", "1", "mA"], ["0.0.2", "Control.currentSet", "2", "mA"]]
        }, {
            "tag": "taken by a negative channel as its magnitude",
            "write": ["0.0.3", "Control.voltageSet", "-500", "V"],
            "answers": [["0.0.3", "Control.voltageSet", "500", "V"]]
        }, {
            "tag": "taken by every channel",
            "write": ["0.0.*", "Control.voltageRampspeedDown", "50", "V/s"],
            "answers": [0, 1, 2, 3].map(function(c) {
                return ["0.0." + c, "Control.voltageRampspeedDown", "50", "V/s"];
            })
        }, {
            "tag": "clear answered",
            "write": ["0.0.2", "Error.currentTrip", 1],
            "answers": [["0.0.2", "Error.currentTrip", "0"]]
        }, {
            "tag": "clamped",
            "write": ["0.0.0", "Control.voltageRampspeedUp", "1300", "V/s"],
            "answers": [["0.0.0", "Control.voltageRampspeedUp", "1200", "V/s"]],
            "warning": "VOLTAGE RAMPSPEED UP OF CHANNEL 0 SET TO 1200 V/s, NOT 1300 V/s"
        }, {
            "tag": "refused",
            "write": ["0.0.1", "Control.currentSet", "9", "mA"],
            "warning": "CURRENT SET OF CHANNEL 1 NOT CONFIRMED, THE SUPPLY REPORTED: 9 mA is too high"
        }, {
            "tag": "replaced by a later value, one warning for both",
            "earlier": ["0.0.3", "Control.currentSet", "1", "mA"],
            "write": ["0.0.3", "Control.currentSet", "2", "mA"],
            "warning": "CURRENT SET OF CHANNEL 3 NOT CONFIRMED BY THE SUPPLY"
        }, {
            "tag": "no answer",
            "write": ["0.0.2", "Control.voltageSet", "100", "V"],
            "warning": "VOLTAGE SET OF CHANNEL 2 NOT CONFIRMED BY THE SUPPLY"
        }, {
            "tag": "one channel silent",
            "write": ["0.0.*", "Control.currentRampspeedUp", "0.5", "mA/s"],
            "answers": [0, 1, 3].map(function(c) {
                return ["0.0." + c, "Control.currentRampspeedUp", "0.5", "mA/s"];
            }),
            "warning": "CURRENT RAMPSPEED UP OF EVERY CHANNEL NOT CONFIRMED BY THE SUPPLY"
        }, {
            "tag": "clear unanswered",
            "write": ["0.0.1", "Event.currentTrip", 1],
            "warning": "CURRENT TRIP EVENT CLEAR OF CHANNEL 1 NOT CONFIRMED BY THE SUPPLY"
        }];
        main.numberOfChannels = 4;
        online();
        reportAndWait([["0.0.3", "Setup.outputPolarity", "n"]]);
        for (const c of cases) {
            for (const w of c.earlier ? [c.earlier, c.write] : [c.write]) verify(main.setItemValue(w[0], w[1], w[2], w[3]), c.tag)
        }
        let answers = [];
        for (const c of cases) answers = answers.concat(c.answers || [])
        reportAndWait(answers);
        link.error("error", "9 mA is too high");
        alertSpy.clear();
        const warnings = cases.filter(function(c) {
            return c.warning !== undefined;
        }).map(function(c) {
            return ["warning", c.warning, "warning"];
        });
        for (const w of warnings) ignoreWarning(/not confirmed by the supply within 5000 ms/)
        wait(4000);
        compare(alertSpy.count, 0);
        tryCompare(alertSpy, "count", warnings.length, 3000);
        wait(200);
        compare(argumentsOf(alertSpy).sort(), warnings.sort());
    }

    // Waits end with their login: each says so, and neither the next
    // login's refresh nor its answers take the writes of the lost one.
    function test_linkLostEndsEveryWait() {
        online();
        reportAndWait([["0.0.1", "Control.on", "0"], ["0.0", "Status.eventCounter", "1"], ["0.0", "Status.errorCounter", "0"]]);
        main.panelKeyReleased("ch_bt1");
        main.command("ClearAll");
        main.command("SetValuesReset");
        verify(main.setItemValue("0.0.0", "Control.voltageSet", "20", "V"));
        compare(waitForSent(4).length, 4);
        for (const what of ["OUTPUT OF CHANNEL 1 ON", "CLEAR ALL", "RESET OF THE SET VALUES", "VOLTAGE SET OF CHANNEL 0"]) ignoreWarning(new RegExp("Commands: " + what + ": the link was lost before the supply answered"))
        offline();
        compare(argumentsOf(alertSpy), [["notSwitched", "NOT SWITCHED: OUTPUT OF CHANNEL 1 ON, LINK LOST BEFORE THE SUPPLY ANSWERED", "warning"], ["warning", "CLEAR ALL NOT CONFIRMED, LINK LOST BEFORE THE SUPPLY ANSWERED", "warning"], ["warning", "RESET OF THE SET VALUES NOT CONFIRMED, LINK LOST BEFORE THE SUPPLY ANSWERED", "warning"], ["warning", "VOLTAGE SET OF CHANNEL 0 NOT CONFIRMED, LINK LOST BEFORE THE SUPPLY ANSWERED", "warning"]]);
        verify(!main.isSwitching("0.0.1", "Control.on"));
        verify(main.isSwitchStateUnknown("0.0.1", "Control.on"));
        online();
        reportAndWait([["0.0.1", "Control.on", "1"], ["0.0", "Control.clearAll", "0"], ["0.0", "Status.eventCounter", "0"], ["0.0", "Status.errorCounter", "0"], ["0.0", "Control.setValuesReset", "0"], ["0.0.0", "Control.voltageSet", "20", "V"]]);
        verify(!main.isSwitchStateUnknown("0.0.1", "Control.on"));
        wait(5500);
        compare(alertSpy.count, 0);
    }

    // One answer cannot tell two equal commands apart: the second is
    // refused while the first waits, and goes out once it is answered.
    function test_secondIdenticalCommandRefused_data() {
        return [{
            "tag": "ClearAll",
            "command": "ClearAll",
            "write": "setItem 0 0  Control.clearAll 1",
            "answers": [["0.0", "Control.clearAll", "0"], ["0.0", "Status.eventCounter", "0"], ["0.0", "Status.errorCounter", "0"]],
            "what": "CLEAR ALL OF THE DEVICE",
            "success": "ALL EVENTS AND ERRORS HAVE BEEN CLEARED"
        }, {
            "tag": "SetValuesReset",
            "command": "SetValuesReset",
            "write": "setItem 0 0  Control.setValuesReset 1",
            "answers": [["0.0", "Control.setValuesReset", "0"]],
            "what": "SET VALUES RESET OF THE DEVICE",
            "success": "RESET SUCCESSFUL. STANDARD VALUES HAVE BEEN SET"
        }];
    }

    function test_secondIdenticalCommandRefused(data) {
        online();
        main.command(data.command);
        ignoreWarning(new RegExp("Commands: " + data.what + " not sent: the same command still waits for the supply's answer"));
        main.command(data.command);
        compare(argumentsOf(alertSpy), [["notSent", "STILL WAITING: " + data.what + " NOT SENT", "warning"]]);
        compare(waitForSent(1), [data.write]);
        reportAndWait(data.answers);
        compare(argumentsOf(alertSpy).map(function(a) {
            return a[1];
        }), ["STILL WAITING: " + data.what + " NOT SENT", data.success]);
        main.command(data.command);
        compare(waitForSent(2), [data.write, data.write]);
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
        online();
        link.configurationReceived(standbyConfiguration("3"));
        if (data.warning)
            ignoreWarning(data.warning);

        main.setConfigValue(data.path, data.value);
        compare(main.getConfigValue("hardwareConfig/device@id=0-0/@displayStandby"), data.stored);
        compare(waitForSent(data.sent.length), data.sent);
        compare(frames.filter(function(f) {
            return JSON.parse(f).t === "setConfig";
        }).length, data.sent.length);
        compare(alertSpy.count, 0);
        main.cancelDelay(main.displayTimer);
    }

    // Logged in to a supply that answers with this configuration.
    function onlineWith(xml) {
        supplyConfiguration = xml;
        online();
        tryCompare(commands, "configurationRead", true, 3000);
        frames = [];
        alertSpy.clear();
        configSpy.clear();
        triggerSpy.clear();
    }

    // The standby as the file holds it: what a fresh store reads from it.
    function savedStandby() {
        const file = createTemporaryQmlObject("import cppComponents.config 1.0; Config {}", testCase);
        return file.loadConfiguration() ? file.getProperty(standby) : "<no file>";
    }

    function setConfigFrames() {
        return frames.filter(function(f) {
            return JSON.parse(f).t === "setConfig";
        }).map(function(f) {
            return Qt.atob(JSON.parse(f).d);
        });
    }

    // Changed while offline: refused, the store and its file as the supply
    // sent them, and the rows told to show that again.
    function test_setConfigValueRefusedWhileOffline() {
        onlineWith(standbyConfiguration("4"));
        verify(config.saveConfiguration());
        offline();
        configSpy.clear();
        ignoreWarning(/Commands: SETTING DISPLAY STANDBY not sent: not logged in to the supply/);
        verify(!main.setConfigValue(standby, "9"));
        compare(main.getConfigValue(standby), "4");
        compare(savedStandby(), "4");
        compare(configSpy.count, 1);
        compare(argumentsOf(alertSpy), [["notSent", "NOT CONNECTED: SETTING DISPLAY STANDBY NOT SENT", "warning"]]);
        online();
        wait(300);
        compare(sent(), []);
        compare(setConfigFrames(), []);
        main.cancelDelay(main.displayTimer);
    }

    // A setting is the supply's once a configuration it sends after the
    // write holds it; only then is the file saved. Otherwise a warning
    // after the time-out, and the store and file as the supply has them.
    function test_settingEndsInTheSupplysWord_data() {
        return [{
            "tag": "taken",
            "takes": true,
            "answers": true,
            "alert": [],
            "row": "",
            "confirmed": [["row@standby", {
                "answer": "ok"
            }]],
            "result": "7"
        }, {
            "tag": "not taken",
            "takes": false,
            "answers": true,
            "warning": /Commands: setting display standby not taken: the supply's configuration holds another value/,
            "alert": [["warning", "SETTING DISPLAY STANDBY NOT TAKEN BY THE SUPPLY", "warning"]],
            "row": "error",
            "confirmed": [],
            "result": "3"
        }, {
            "tag": "no configuration",
            "takes": false,
            "answers": false,
            "warning": /Commands: setting display standby not confirmed by the supply within 5000 ms/,
            "alert": [["warning", "SETTING DISPLAY STANDBY NOT CONFIRMED BY THE SUPPLY", "warning"]],
            "row": "warning",
            "confirmed": [],
            "result": "3"
        }];
    }

    function test_settingEndsInTheSupplysWord(data) {
        onlineWith(standbyConfiguration("3"));
        verify(config.saveConfiguration());
        takesSettings = data.takes;
        if (!data.answers)
            supplyConfiguration = "";

        if (data.warning)
            ignoreWarning(data.warning);

        verify(main.setConfigValue(standby, "7", "row@standby"));
        tryVerify(function() {
            return setConfigFrames().length === 1;
        }, 3000);
        verify(setConfigFrames()[0].includes("displayStandby=\"7\""));
        // Sent, not yet the supply's: shown waiting, the file as it was.
        compare(main.getConfigValue(standby), "7");
        compare(main.getObjectState("row@standby"), "active");
        compare(savedStandby(), "3");
        wait(5500);
        compare(argumentsOf(alertSpy), data.alert);
        compare(main.getObjectState("row@standby"), data.row);
        compare(argumentsOf(triggerSpy), data.confirmed);
        compare(main.getConfigValue(standby), data.result);
        compare(savedStandby(), data.result);
        main.cancelDelay(main.displayTimer);
    }

    // A re-login's first settings would send the copy from before the
    // outage: refused until the supply's configuration of this login is in.
    function test_settingWaitsForThisLoginsConfiguration() {
        onlineWith(standbyConfiguration("3"));
        offline();
        supplyConfiguration = "";
        online();
        configSpy.clear();
        ignoreWarning(/Commands: SETTING DISPLAY STANDBY not sent: the supply's configuration of this login has not arrived yet/);
        verify(!main.setConfigValue(standby, "7"));
        compare(argumentsOf(alertSpy), [["notSent", "CONFIGURATION NOT READ YET: SETTING DISPLAY STANDBY NOT SENT", "warning"]]);
        compare(main.getConfigValue(standby), "3");
        compare(configSpy.count, 1);
        wait(300);
        compare(setConfigFrames(), []);
        compare(sent(), []);
        // Changed meanwhile by another client: the setting goes out on top
        // of what the supply has now.
        supplyConfiguration = standbyConfiguration("5");
        main.loadConfiguration();
        tryCompare(commands, "configurationRead", true, 3000);
        compare(main.getConfigValue(standby), "5");
        verify(main.setConfigValue("hardwareConfig/device@id=0-0/@displayBrightness", "2"));
        tryVerify(function() {
            return setConfigFrames().length === 1;
        }, 3000);
        verify(setConfigFrames()[0].includes("displayStandby=\"5\""));
        verify(setConfigFrames()[0].includes("displayBrightness=\"2\""));
        main.cancelDelay(main.displayTimer);
    }

    // A drop ends every wait with its own warning; the next login's
    // configuration and answers confirm none of them.
    function test_linkLostEndsSettingAndUsbWaits() {
        onlineWith(standbyConfiguration("3"));
        verify(config.saveConfiguration());
        supplyConfiguration = "";
        verify(main.setConfigValue(standby, "7", "row@standby"));
        verify(main.command("saveConfiguration", {
            "name": "a.xml",
            "cID": "row@save"
        }));
        ignoreWarning(/Commands: configuration save to usb: link lost before the supply answered/);
        ignoreWarning(/Commands: setting display standby: link lost before the supply answered/);
        offline();
        compare(argumentsOf(alertSpy), [["warning", "CONFIGURATION SAVE TO USB NOT CONFIRMED, LINK LOST BEFORE THE SUPPLY ANSWERED", "warning"], ["warning", "SETTING DISPLAY STANDBY NOT CONFIRMED, LINK LOST BEFORE THE SUPPLY ANSWERED", "warning"]]);
        compare([main.getObjectState("row@standby"), main.getObjectState("row@save")], ["warning", "warning"]);
        compare(main.getConfigValue(standby), "3");
        compare(savedStandby(), "3");
        alertSpy.clear();
        onlineWith(standbyConfiguration("7"));
        peer.sendTextMessage(JSON.stringify([{
            "t": "response",
            "c": [{
                "e": "success",
                "v": "Configuration saved"
            }]
        }]));
        wait(5500);
        compare(argumentsOf(alertSpy), [["success", "Configuration saved", "success"]]);
        compare(triggerSpy.count, 0);
        compare([main.getObjectState("row@standby"), main.getObjectState("row@save")], ["warning", "warning"]);
        compare(main.getConfigValue(standby), "7");
        compare(savedStandby(), "3");
        main.cancelDelay(main.displayTimer);
    }

    function supplySays(type, text) {
        peer.sendTextMessage(JSON.stringify([{
            "t": "response",
            "c": [{
                "e": type,
                "v": text
            }]
        }]));
    }

    // The wire names no command: "success" ends the USB wait, "error" only
    // while nothing else went out since and no file list asked for before
    // it is unanswered; any other error is shown as it is.
    function test_usbAnswerMatchedToItsCommand_data() {
        const voltage = function voltage() {
            main.setItemValue("0.0.0", "Control.voltageSet", "5", "V");
        };
        const fileList = function fileList() {
            main.command("getConfigFilesList");
        };
        return [{
            "tag": "success",
            "events": [["success", "Configuration saved"]],
            "alerts": [["success", "Configuration saved", "success"]],
            "row": "",
            "confirmed": 1
        }, {
            "tag": "error with nothing sent since",
            "events": [["error", "stick full"]],
            "alerts": [["error", "stick full", "error"], ["error", "CONFIGURATION SAVE TO USB FAILED: stick full", "error"]],
            "row": "error",
            "confirmed": 0
        }, {
            "tag": "error after another write",
            "between": voltage,
            "events": [["error", "voltage refused"]],
            "alerts": [["error", "voltage refused", "error"]],
            "row": "active",
            "confirmed": 0,
            "waits": true,
            // The error goes with the voltage written after the USB command.
            "later": [["warning", "VOLTAGE SET OF CHANNEL 0 NOT CONFIRMED, THE SUPPLY REPORTED: voltage refused", "warning"]]
        }, {
            "tag": "error after a file list asked for since",
            "between": fileList,
            "events": [["error", "no list"]],
            "alerts": [["error", "no list", "error"]],
            "row": "active",
            "confirmed": 0,
            "waits": true
        }, {
            "tag": "error of a file list asked for before, then its own",
            "before": fileList,
            "events": [["error", "no list"], ["error", "stick full"]],
            "alerts": [["error", "no list", "error"], ["error", "stick full", "error"], ["error", "CONFIGURATION SAVE TO USB FAILED: stick full", "error"]],
            "row": "error",
            "confirmed": 0
        }, {
            "tag": "file list answered before the error",
            "before": fileList,
            "list": true,
            "events": [["error", "stick full"]],
            "alerts": [["error", "stick full", "error"], ["error", "CONFIGURATION SAVE TO USB FAILED: stick full", "error"]],
            "row": "error",
            "confirmed": 0
        }];
    }

    function test_usbAnswerMatchedToItsCommand(data) {
        online();
        if (data.before)
            data.before();

        if (data.list)
            peer.sendTextMessage(JSON.stringify([{
            "t": "response",
            "c": [{
                "e": "fileList",
                "d": ["a.xml"]
            }]
        }]));

        wait(100);
        verify(main.command("saveConfiguration", {
            "name": "a.xml",
            "cID": "row@save"
        }));
        if (data.between)
            data.between();

        for (const e of data.events) supplySays(e[0], e[1])
        tryCompare(alertSpy, "count", data.alerts.length, 3000);
        wait(100);
        compare(argumentsOf(alertSpy), data.alerts);
        compare(main.getObjectState("row@save"), data.row);
        compare(triggerSpy.count, data.confirmed);
        compare(commands.usbWait !== null, data.waits === true);
        if (!data.waits)
            return ;

        // The wait runs on to its warning.
        ignoreWarning(/Commands: configuration save to usb not confirmed by the supply within 5000 ms/);
        const later = data.later === undefined ? [] : data.later;
        for (const l of later) ignoreWarning(new RegExp("Commands: .* not confirmed by the supply within 5000 ms: " + l[1]))
        tryCompare(alertSpy, "count", data.alerts.length + 1 + later.length, 6000);
        compare(argumentsOf(alertSpy).slice(data.alerts.length), [["warning", "CONFIGURATION SAVE TO USB NOT CONFIRMED BY THE SUPPLY", "warning"]].concat(later));
        compare(main.getObjectState("row@save"), "warning");
    }

    // One USB file command at a time: a second is refused while the first
    // waits, and goes out once the supply has answered.
    function test_secondUsbCommandRefused() {
        online();
        verify(main.command("saveConfiguration", {
            "name": "a.xml"
        }));
        ignoreWarning(/Commands: USB UNMOUNT not sent: another USB command waits for the supply's answer/);
        verify(!main.command("unmountUsbDevice"));
        compare(argumentsOf(alertSpy), [["notSent", "USB BUSY: USB UNMOUNT NOT SENT", "warning"]]);
        // A file list is a read: not refused.
        main.command("getConfigFilesList");
        wait(300);
        compare(frames.map(function(f) {
            return JSON.parse(f).c[0].c;
        }), ["downloadFile", "fileList"]);
        supplySays("success", "Configuration saved");
        tryCompare(alertSpy, "count", 2, 3000);
        verify(main.command("unmountUsbDevice"));
        tryCompare(frames, "length", 3, 3000);
        compare(JSON.parse(frames[2]).c[0].c, "unmount");
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
        online();
        reportAndWait([["0.0.1", "Status.voltageMeasure", "5"], ["", "Setup.cycleTime", "250"]]);
        offline();
        cache.getItem("5.0.2", "Status.on");
        compare(queued(), ["getItem 5 0 2 Status.on "]);
        main.queueRefresh();
        const requests = queued();
        // Once each, whatever the queue asks for already.
        for (const request of ["getItem 0 0 1 Status.voltageMeasure ", "getItem    Setup.cycleTime ", "getItem 5 0 2 Status.on "]) compare(requests.filter(function(r) {
            return r === request;
        }).length, 1, request)
        compare(requests.length, new Set(requests).size);
    }

    // Many values: read again in requests of a bounded size, after the
    // start batch, which also sets the cycle time the screen asked for.
    function test_rereadInBoundedRequests() {
        online();
        const items = [];
        for (let i = 0; i < 450; ++i) items.push(["7.0.1", "Status.reread" + i, "1"])
        reportAndWait(items);
        main.command("ChangeCycleTime", {
            "cycleTime": 50
        });
        compare(waitForSent(1), ["setItem    Setup.cycleTime 50"]);
        offline();
        main.command("ChangeCycleTime", {
            "cycleTime": 60
        });
        compare(alertSpy.count, 0);
        frames = [];
        link.changeComState("connecting");
        tryCompare(link, "comState", "connected", 5000);
        tryVerify(function() {
            return sent().filter(function(p) {
                return p.includes("Status.reread");
            }).length === 450;
        }, 3000);
        const requests = frames.map(function(f) {
            return JSON.parse(f);
        }).filter(function(e) {
            return e.t === "request";
        });
        compare(requests[0].c[0].p.i, "Setup.cycleTime");
        compare(requests[0].c[0].p.v, 60);
        for (const request of requests) verify(request.c.length <= main.refreshRequestSize, request.c.length)
        main.command("ChangeCycleTime", {
            "cycleTime": main.cycleTime
        });
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
        id: triggerSpy

        target: main
        signalName: "componentTriggered"
    }

    SignalSpy {
        id: configSpy

        target: main
        signalName: "configChanged"
    }

    SignalSpy {
        id: stateSpy

        target: main
        signalName: "stateUpdated"
    }

    // The supply: answers every login, and keeps the link from falling silent.
    WebSocketServer {
        id: server

        host: "127.0.0.1"
        listen: true
        onClientConnected: {
            testCase.peer = webSocket;
            webSocket.onTextMessageReceived.connect(function(message) {
                const type = JSON.parse(message).t;
                if (type === "login") {
                    webSocket.sendTextMessage(JSON.stringify({
                        "t": "response",
                        "i": "T1"
                    }));
                    return ;
                }
                testCase.frames.push(message);
                if (type === "setConfig" && testCase.takesSettings)
                    testCase.supplyConfiguration = Qt.atob(JSON.parse(message).d);
                else if (type === "getConfig" && testCase.supplyConfiguration !== "")
                    webSocket.sendTextMessage(JSON.stringify({
                    "file": "lumaConfig.xml",
                    "d": Qt.btoa(testCase.supplyConfiguration)
                }));
            });
        }
    }

    Timer {
        interval: 1000
        repeat: true
        running: true
        onTriggered: {
            if (testCase.peer !== null && testCase.peer.status === WebSocket.Open)
                testCase.peer.sendTextMessage("[]");

        }
    }

}
