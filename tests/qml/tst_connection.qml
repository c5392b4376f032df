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

    // Reads wait for the next login; writes are for the moment they are
    // made, safe-direction ones included, and never wait.
    function test_readsSurviveOutageWritesDoNot_data() {
        return [{
            "tag": "switch on",
            "item": "Control.on",
            "value": 1
        }, {
            "tag": "switch off",
            "item": "Control.on",
            "value": 0
        }, {
            "tag": "emergency off",
            "item": "Control.emergency",
            "value": 1
        }, {
            "tag": "set value",
            "item": "Control.voltageSet",
            "value": "1500"
        }, {
            "tag": "clearing one error",
            "item": "Error.currentTrip",
            "value": 1
        }];
    }

    function test_readsSurviveOutageWritesDoNot(data) {
        const link = connect();
        compare(link.appendQueue("setItem", "0", "0", "2", data.item, data.value, ""), false);
        link.appendQueue("getItem", "0", "0", "2", "Status.on");
        verify(!link.sendQueue());
        compare(link.queue.length, 1);
        verify(link.getConfiguration() === false);
        login(link, "T2");
        const request = JSON.parse(frames[1]);
        compare(request.c.length, 16);
        compare(request.c[0].c + " " + request.c[0].p.i, "getItem Status.on");
        compare(request.c[1].p.i, "Setup.cycleTime");
        verify(!request.c.some(function(p) {
            return p.c === "setItem" && p.p.i === data.item;
        }));
        compare(link.queue, []);
        // Logged in, the same write goes out at once.
        frames = [];
        verify(link.appendQueue("setItem", "0", "0", "2", data.item, data.value, "") !== false);
        verify(link.sendQueue());
        tryVerify(function() {
            return frames.length === 1;
        }, 3000);
        compare(JSON.parse(frames[0]).c[0].p.i, data.item);
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

    function test_configurationBase64AsPeersSendIt_data() {
        return [{
            "tag": "padded",
            "d": "PGFiPg==",
            "xml": "<ab>"
        }, {
            "tag": "padding left out",
            "d": "PGFiPg",
            "xml": "<ab>"
        }, {
            "tag": "wrapped with LF",
            "d": "PGx1bWFDb25m\naWc+wrU8L2x1\nbWFDb25maWc+\n",
            "xml": "<lumaConfig>µ</lumaConfig>"
        }, {
            "tag": "wrapped with CRLF, unpadded",
            "d": "PGx1bWFD\r\nb25maWc+\r\nwrU8L2x1\r\nbWFDb25m\r\naWc+\r\nPGFiPg",
            "xml": "<lumaConfig>µ</lumaConfig><ab>"
        }, {
            "tag": "garbage between line breaks",
            "d": "PGFi\n*g==",
            "xml": null
        }, {
            "tag": "one character too many",
            "d": "PGFiPg==P",
            "xml": null
        }, {
            "tag": "a lone trailing character",
            "d": "PGFiP",
            "xml": null
        }];
    }

    function test_configurationBase64AsPeersSendIt(data) {
        const link = connect();
        login(link, "T1");
        configSpy.target = link;
        configSpy.clear();
        if (data.xml === null)
            ignoreWarning(/not base64/);

        send({
            "file": "lumaConfig.xml",
            "d": data.d
        });
        // A good batch behind it shows the configuration was handled.
        itemSpy.target = link;
        itemSpy.clear();
        send(batch([itemPacket("0", "0", "1", "Status.on", "1")]));
        itemSpy.wait(3000);
        compare(argumentsOf(configSpy), data.xml === null ? [] : [[data.xml]]);
    }

    function test_loginNeverAnsweredIsRetried() {
        // retry 0.2: one second for the answer.
        const link = connect("kiwi", "kiwi", 0.2);
        tryVerify(function() {
            return logins === 1;
        }, 3000);
        const asked = Date.now();
        ignoreWarning(/no answer to the login, closing to try again/);
        tryVerify(function() {
            return logins === 2;
        }, 5000);
        const waited = Date.now() - asked;
        verify(waited >= 900 && waited < 2500, waited);
        compare(link.comState, "login");
        // An answered login stops the clock.
        send({
            "t": "response",
            "i": "T1"
        });
        tryCompare(link, "comState", "connected", 1000);
        // Kept busy, so that the silence watchdog stays out of it.
        for (let i = 0; i < 5; ++i) {
            wait(300);
            send(batch([itemPacket("0", "0", "1", "Status.on", "1")]));
        }
        compare(logins, 2);
        compare(link.comState, "connected");
    }

    function test_loggedInJoinsTheStartBatch() {
        const link = connect();
        const add = function add() {
            link.appendQueue("getItem", "0", "0", "3", "Control.on");
        };
        link.loggedIn.connect(add);
        login(link, "T1");
        link.loggedIn.disconnect(add);
        const request = JSON.parse(frames[1]);
        compare(request.c.length, 16);
        compare(request.c[15].p.i, "Control.on");
    }

    function test_singlePacketCommands_data() {
        return [{
            "tag": "unmount",
            "call": function(link) {
                return link.unmount("USB");
            },
            "packet": {
                "c": "unmount",
                "p": {
                    "d": "USB"
                }
            }
        }, {
            "tag": "downloadFile",
            "call": function(link) {
                return link.saveFile("cfg.xml", "USB", "lumaConfig");
            },
            "packet": {
                "c": "downloadFile",
                "p": {
                    "i": "lumaConfig",
                    "d": "USB",
                    "n": "cfg.xml"
                }
            }
        }, {
            "tag": "uploadFile",
            "call": function(link) {
                return link.restoreFile("cfg.xml", "USB", "lumaConfig");
            },
            "packet": {
                "c": "uploadFile",
                "p": {
                    "i": "lumaConfig",
                    "s": "USB",
                    "n": "cfg.xml"
                }
            }
        }, {
            "tag": "fileList",
            "call": function(link) {
                return link.getFileList("lumaConfig", "USB");
            },
            "packet": {
                "c": "fileList",
                "p": {
                    "t": "lumaConfig",
                    "s": "USB"
                }
            }
        }, {
            "tag": "changeCycleTime",
            "call": function(link) {
                link.changeCycleTime(100);
                return true;
            },
            "packet": {
                "c": "setItem",
                "p": {
                    "p": {
                        "l": "",
                        "a": "",
                        "c": ""
                    },
                    "i": "Setup.cycleTime",
                    "v": 100,
                    "u": ""
                }
            }
        }];
    }

    function test_singlePacketCommands(data) {
        const link = connect();
        login(link, "T1");
        frames = [];
        verify(data.call(link));
        tryVerify(function() {
            return frames.length === 1;
        }, 3000);
        compare(JSON.parse(frames[0]), {
            "i": "T1",
            "t": "request",
            "c": [data.packet],
            "r": "websocket"
        });
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

    // Reopening (a new address, a watchdog) while an attempt is still
    // connecting must not write to the unconnected socket; the log line that
    // would fails this run.
    function test_reconnectWhileConnecting() {
        const link = connect();
        compare(link.comState, "connecting");
        link.reconnect();
        link.reconnect();
        login(link, "T1");
        wait(200);
        compare(logins, 1);
    }

    function test_closedServiceIsRetried() {
        const link = connect();
        login(link, "T1");
        statusSpy.target = link;
        statusSpy.clear();
        let closedAt = 0;
        const record = function record(adapter, status) {
            if (status === "closed" && closedAt === 0)
                closedAt = Date.now();

        };
        link.connectionStatusChanged.connect(record);
        peer.active = false;
        tryVerify(function() {
            return logins === 2;
        }, 5000);
        link.connectionStatusChanged.disconnect(record);
        // Retried after one second: neither at once nor after two.
        const waited = Date.now() - closedAt;
        verify(waited >= 900 && waited < 1800, waited);
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
