import QtQuick 2.12
import QtTest 1.12
import QtWebSockets 1.1
import "fixtures/views.js" as Views
import "qrc:/models"

// The link against a service played by the test on a real WebSocket.
TestCase {
    id: testCase

    property var frames: []
    property var peer: null
    property int logins: 0

    function initTestCase() {
        Views.waitForStart(testCase, main);
        verify(server.listen);
    }

    function serverPort() {
        return String(server.url).split(":")[2];
    }

    function connect(user, password, retry) {
        frames = [];
        peer = null;
        logins = 0;
        return createTemporaryObject(linkComponent, testCase, {
            "ip": "127.0.0.1",
            "port": serverPort(),
            "user": user || "kiwi",
            "password": password || "kiwi",
            "retry": retry || 1
        });
    }

    function framesOfType(type) {
        return frames.filter(function(f) {
            return JSON.parse(f).t === type;
        });
    }

    function login(link, ticket) {
        tryVerify(function() {
            return frames.length === 1;
        }, 3000);
        peer.sendTextMessage(JSON.stringify({
            "t": "response",
            "i": ticket
        }));
        tryCompare(link, "comState", "connected", 3000);
        tryVerify(function() {
            return framesOfType("getConfig").length === 1;
        }, 3000);
    }

    function argumentsOf(spy) {
        return spy.signalArguments.map(function(args) {
            return Array.prototype.slice.call(args);
        });
    }

    function send(value) {
        peer.sendTextMessage(JSON.stringify(value));
    }

    function itemPacket(l, a, c, item, value) {
        return {
            "e": "itemUpdated",
            "d": {
                "i": item,
                "p": {
                    "l": l,
                    "a": a,
                    "c": c
                },
                "v": value,
                "u": "",
                "t": "1700000000"
            }
        };
    }

    // Items are fed one batch at a time; the link answers in the same order.
    function batch(packets, type) {
        return [{
            "i": "T1",
            "t": type || "info",
            "c": packets
        }];
    }

    function test_loginThenStartBatchThenConfiguration() {
        const link = connect("operator", "secret");
        tryVerify(function() {
            return frames.length === 1;
        }, 3000);
        compare(frames[0], '{"i":"","t":"login","c":{"l":"operator","p":"secret"},"r":"websocket"}');
        compare(link.comInfo, "logging in");
        wait(100);
        compare(frames.length, 1);
        login(link, "T1");
        compare(link.ticket, "T1");
        verify(link.connected);
        compare(link.comInfo, "127.0.0.1");
        const expected = [["setItem", "", "", "", "Setup.cycleTime", 250], ["getItem", "", "", "", "Control.liveInsertion", ""], ["getItem", "*", "*", "*", "Control.voltageSet", ""], ["getItem", "*", "*", "*", "Control.currentSet", ""], ["getItem", "*", "*", "*", "Setup.outputPolarity", ""], ["getItem", "*", "*", "*", "Status.voltageMode", ""], ["getItem", "*", "*", "*", "Status.currentMode", ""], ["getItem", "*", "*", "", "Status.installFirmware", ""], ["getItem", "*", "*", "", "Status.on", ""], ["getItem", "0", "0", "", "Status.ethernetState", ""], ["getItem", "0", "0", "", "Status.usbRemoteState", ""], ["getItem", "0", "0", "", "Status.usbAuxState", ""], ["getItem", "0", "0", "", "Status.usbRemoteText", ""], ["getItem", "0", "0", "", "Status.usbAuxText", ""], ["getItem", "0", "0", "*", "Status.lowCurrentRange", ""]];
        const request = JSON.parse(frames[1]);
        compare(Object.keys(request), ["i", "t", "c", "r"]);
        compare(request.i, "T1");
        compare(request.t, "request");
        compare(request.r, "websocket");
        compare(request.c.map(function(p) {
            return [p.c, p.p.p.l, p.p.p.a, p.p.p.c, p.p.i, p.p.v];
        }), expected);
        compare(frames[2], '{"i":"T1","t":"getConfig","c":[],"r":"websocket"}');
    }

    function test_singleCommandEnvelope() {
        const link = connect();
        login(link, "T1");
        frames = [];
        link.appendQueue("getItem", "0", "0", "1", "Status.on");
        link.sendQueue();
        tryVerify(function() {
            return frames.length === 1;
        }, 3000);
        compare(frames[0], '{"i":"T1","t":"request","c":[{"c":"getItem","p":{"p":{"l":"0","a":"0","c":"1"},"i":"Status.on","v":"","u":""}}],"r":"websocket"}');
        link.sendQueue();
        verify(link.appendQueue("", "0", "0", "1", "Status.on") === false);
        verify(link.appendQueue("getItem", "0", "0", "1") === false);
        link.sendQueue();
        wait(200);
        compare(frames.length, 1);
    }

    function test_queueSurvivesOutageAndLeadsStartBatch() {
        const link = connect();
        link.appendQueue("setItem", "0", "0", "2", "Control.on", 1, "");
        link.sendQueue();
        compare(link.queue.length, 1);
        verify(link.getConfiguration() === false);
        login(link, "T2");
        const request = JSON.parse(frames[1]);
        compare(request.c.length, 16);
        compare(request.c[0], {
            "c": "setItem",
            "p": {
                "p": {
                    "l": "0",
                    "a": "0",
                    "c": "2"
                },
                "i": "Control.on",
                "v": 1,
                "u": ""
            }
        });
        compare(request.c[1].p.i, "Setup.cycleTime");
        compare(link.queue, []);
    }

    function test_itemPath_data() {
        return [{
            "tag": "channel",
            "l": "0",
            "a": "0",
            "c": "3",
            "path": "0.0.3"
        }, {
            "tag": "device",
            "l": "0",
            "a": "0",
            "c": "",
            "path": "0.0"
        }, {
            "tag": "channel without address",
            "l": "0",
            "a": "",
            "c": "3",
            "path": "0"
        }, {
            "tag": "service",
            "l": "",
            "a": "",
            "c": "",
            "path": ""
        }];
    }

    function test_itemPath(data) {
        const link = connect();
        login(link, "T1");
        itemSpy.target = link;
        itemSpy.clear();
        send(batch([itemPacket(data.l, data.a, data.c, "Status.on", "1")]));
        itemSpy.wait(3000);
        compare(argumentsOf(itemSpy)[0], [data.path, "Status.on", "1", "", "1700000000"]);
    }

    function test_itemReactions() {
        const link = connect();
        login(link, "T1");
        firmwareSpy.target = link;
        errorSpy.target = link;
        itemSpy.target = link;
        firmwareSpy.clear();
        errorSpy.clear();
        itemSpy.clear();
        frames = [];
        send(batch([itemPacket("0", "0", "", "Status.installFirmware", "1"), itemPacket("0", "0", "", "Status.installFirmware", "0"), itemPacket("0", "0", "", "Error.configurationMismatch", "1")]));
        tryVerify(function() {
            return errorSpy.count === 1;
        }, 3000);
        compare(itemSpy.count, 3);
        compare(argumentsOf(firmwareSpy), [[true], [false]]);
        compare(argumentsOf(errorSpy)[0], ["configurationMismatch", "1"]);
        tryVerify(function() {
            return framesOfType("getConfig").length === 1;
        }, 3000);
    }

    function test_otherEnvelopesAndEventsSkipped() {
        const link = connect();
        login(link, "T1");
        itemSpy.target = link;
        errorSpy.target = link;
        itemSpy.clear();
        errorSpy.clear();
        send([{
            "t": "other",
            "c": [itemPacket("0", "0", "1", "Status.on", "1")]
        }, {
            "t": "response",
            "c": [{
                "e": "somethingNew"
            }, {
                "e": "success",
                "v": "done"
            }, itemPacket("0", "0", "2", "Status.on", "0")]
        }]);
        itemSpy.wait(3000);
        compare(itemSpy.count, 1);
        compare(itemSpy.signalArguments[0][0], "0.0.2");
        compare(argumentsOf(errorSpy), [["success", "done"]]);
    }

    function test_configurationIsUtf8Base64() {
        const link = connect();
        login(link, "T1");
        configSpy.target = link;
        configSpy.clear();
        send({
            "file": "lumaConfig.xml",
            "d": "PGE+wrU8L2E+"
        });
        configSpy.wait(3000);
        compare(configSpy.signalArguments[0][0], "<a>µ</a>");
        frames = [];
        link.setConfiguration("<a>µ</a>");
        tryVerify(function() {
            return frames.length === 2;
        }, 3000);
        compare(frames[0], '{"i":"T1","t":"setConfig","f":"LUMAconfig.xml","c":[],"d":"PGE+wrU8L2E+","r":"websocket"}');
        compare(JSON.parse(frames[1]).c[0].p.i, "Control.configurationChanged");
        tryVerify(function() {
            return framesOfType("getConfig").length === 1;
        }, 3000);
    }

    function test_configurationIgnoredWhileLoggingIn() {
        const link = connect();
        tryVerify(function() {
            return frames.length === 1;
        }, 3000);
        configSpy.target = link;
        configSpy.clear();
        send({
            "file": "lumaConfig.xml",
            "d": "PGE+wrU8L2E+"
        });
        wait(200);
        compare(configSpy.count, 0);
        compare(link.comState, "login");
    }

    function test_malformedInputDropped_data() {
        return [{
            "tag": "not JSON",
            "text": "{\"t\": [",
            "warning": /not JSON/
        }, {
            "tag": "envelope not an object",
            "text": "[3]",
            "warning": /envelope that is not an object/
        }, {
            "tag": "packets not a list",
            "text": "[{\"t\":\"info\",\"c\":\"x\"}]",
            "warning": /without a packet list/
        }, {
            "tag": "packet without event",
            "text": "[{\"t\":\"info\",\"c\":[{\"d\":{}}]}]",
            "warning": /without an event name/
        }, {
            "tag": "item without path",
            "text": "[{\"t\":\"info\",\"c\":[{\"e\":\"itemUpdated\",\"d\":{\"i\":\"Status.on\",\"v\":\"1\"}}]}]",
            "warning": /missing or mistyped/
        }, {
            "tag": "numeric value",
            "text": "[{\"t\":\"info\",\"c\":[{\"e\":\"itemUpdated\",\"d\":{\"i\":\"Status.on\",\"v\":1,\"p\":{\"l\":\"0\",\"a\":\"0\",\"c\":\"1\"}}}]}]",
            "warning": /missing or mistyped/
        }, {
            "tag": "file list of numbers",
            "text": "[{\"t\":\"info\",\"c\":[{\"e\":\"fileList\",\"d\":[1,2]}]}]",
            "warning": /file list/
        }, {
            "tag": "configuration not base64",
            "text": "{\"file\":\"lumaConfig.xml\",\"d\":\"***\"}",
            "warning": /not base64/
        }, {
            "tag": "configuration not UTF-8",
            "text": "{\"file\":\"lumaConfig.xml\",\"d\":\"wyg=\"}",
            "warning": /not base64/
        }];
    }

    function test_malformedInputDropped(data) {
        const link = connect();
        login(link, "T1");
        itemSpy.target = link;
        configSpy.target = link;
        itemSpy.clear();
        configSpy.clear();
        ignoreWarning(data.warning);
        peer.sendTextMessage(data.text);
        // A good batch right behind it still arrives: nothing was lost.
        send(batch([itemPacket("0", "0", "1", "Status.on", "1")]));
        itemSpy.wait(3000);
        compare(itemSpy.count, 1);
        compare(configSpy.count, 0);
        compare(link.comState, "connected");
    }

    function test_silenceReopensAndLogsInAgain() {
        const link = connect("kiwi", "kiwi", 0.2);
        login(link, "T1");
        // retry 0.2: the watchdog gives up after one second of silence.
        tryVerify(function() {
            return logins === 2;
        }, 5000);
        compare(link.ticket, "");
        compare(link.comState, "login");
    }

    function test_closedServiceIsRetried() {
        const link = connect("kiwi", "kiwi", 0.2);
        login(link, "T1");
        statusSpy.target = link;
        statusSpy.clear();
        peer.active = false;
        tryVerify(function() {
            return logins === 2;
        }, 5000);
        const states = statusSpy.signalArguments.map(function(a) {
            return a[1];
        });
        verify(states.indexOf("closed") !== -1, states);
        compare(states[states.length - 1], "login");
    }

    name: "Connection"

    SignalSpy {
        id: itemSpy

        signalName: "itemChanged"
    }

    SignalSpy {
        id: firmwareSpy

        signalName: "firmwareUpdateActive"
    }

    SignalSpy {
        id: errorSpy

        signalName: "error"
    }

    SignalSpy {
        id: configSpy

        signalName: "configurationReceived"
    }

    SignalSpy {
        id: statusSpy

        signalName: "connectionStatusChanged"
    }

    WebSocketServer {
        id: server

        host: "127.0.0.1"
        listen: true
        onClientConnected: {
            testCase.peer = webSocket;
            webSocket.onTextMessageReceived.connect(function(message) {
                testCase.frames.push(message);
                if (JSON.parse(message).t === "login")
                    testCase.logins++;

            });
        }
    }

    Component {
        id: linkComponent

        Connection {
        }

    }

}
