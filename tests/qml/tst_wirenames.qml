import QtQuick 2.12
import QtTest 1.12
import QtWebSockets 1.1
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views
import "qrc:/components"

// Names the supply may send that are also members of every script object:
// through the root screen's own link into its cache, alert strip and
// message list, stored and shown like any other name.
TestCase {
    id: testCase

    property var cache: null
    property var peer: null
    property string savedPort: ""
    property var prototypeNames: []
    property int sent: 0

    function initTestCase() {
        Views.waitForStart(testCase, main);
        cache = Children.find(main, "addItem");
        verify(cache !== null);
        verify(server.listen);
        prototypeNames = Object.getOwnPropertyNames(Object.prototype).sort();
        savedPort = main.getRemoteConfig("port");
        compare(main.getRemoteConfig("ip"), "127.0.0.1");
        main.setRemoteConfig("port", String(server.url).split(":")[2]);
        tryCompare(main, "numberOfChannels", 4, 5000);
        main.setSelectedChannel("0.0.1");
        main.command("selectChannel");
        compare(main.currentView, "Channel");
        // Channel 0.0.0 is known, but its voltage was never sent.
        send([update("0", "0", "0", "Status.on", "1")]);
        tryVerify(function() {
            return cache.getItem("0.0.0", "Status.on", false)[1] === "1";
        }, 2000);
    }

    function cleanupTestCase() {
        main.setRemoteConfig("port", savedPort);
    }

    function configuration() {
        let xml = "<lumaConfig><hardwareDetect><device id=\"0-0\" model=\"HV-4\">";
        for (let i = 0; i < 4; ++i) xml += "<channel id=\"" + i + "\"/>"
        return Qt.btoa(xml + "</device></hardwareDetect></lumaConfig>");
    }

    // The service's side: a ticket for every login, the configuration on request.
    function answer(message) {
        const frame = JSON.parse(message);
        if (frame.t === "login")
            peer.sendTextMessage(JSON.stringify({
            "t": "response",
            "i": "T1"
        }));
        else if (frame.t === "getConfig")
            peer.sendTextMessage(JSON.stringify({
            "file": "lumaConfig.xml",
            "d": configuration()
        }));
    }

    function send(packets) {
        peer.sendTextMessage(JSON.stringify([{
            "i": "T1",
            "t": "info",
            "c": packets
        }]));
    }

    function update(l, a, c, item, value) {
        ++sent;
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
                "u": "V",
                "t": String(1.7e+09 + sent)
            }
        };
    }

    function test_names_data() {
        const rows = [];
        for (const name of ["__proto__", "constructor", "hasOwnProperty", "toString", "valueOf"]) {
            rows.push({
                "tag": name + " as line",
                "name": name,
                "line": name,
                "address": "",
                "channel": "",
                "item": "Status.voltageMeasure"
            });
            rows.push({
                "tag": name + " as address",
                "name": name,
                "line": "0",
                "address": name,
                "channel": "",
                "item": "Status.voltageMeasure"
            });
            rows.push({
                "tag": name + " as channel",
                "name": name,
                "line": "0",
                "address": "0",
                "channel": name,
                "item": "Status.voltageMeasure"
            });
            rows.push({
                "tag": name + " as item",
                "name": name,
                "line": "0",
                "address": "0",
                "channel": "1",
                "item": name
            });
        }
        return rows;
    }

    function test_names(data) {
        const path = data.line + (data.address === "" ? "" : "." + data.address + (data.channel === "" ? "" : "." + data.channel));
        const alert = findChild(main, "alert");
        verify(alert !== null);
        // An error item named after the row's name, on the row's path.
        const error = "Error." + data.name;
        send([update(data.line, data.address, data.channel, data.item, "666"), update(data.line, data.address, data.channel, error, "1")]);
        tryCompare(alert, "state", "error", 2000);
        compare(cache.getItem(path, data.item, false)[1], "666");
        compare(cache.getItem(path, error, false)[1], "1");
        compare(findChild(alert, "message").text, "1");
        verify(data.name in alert.messages);
        // Nothing was written where every object would read it.
        compare(Object.getOwnPropertyNames(Object.prototype).sort(), prototypeNames);
        compare(cache.getItem("0.0.0", "Status.voltageMeasure", false)[1], "");
        // The message list shows the error under its own path and name.
        const panel = createTemporaryObject(messagesComponent, testCase.parent);
        panel.setupList(path, "Error", 1, true);
        compare(panel.messageData.map(function(r) {
            return [r.path, r.item, r.value];
        }), [[path, error, "1"]]);
        compare(findChild(panel, "list").count, 1);
        // Channel updates withdraw other alerts on the way; this one goes
        // when its error returns to "0", then the error event's own.
        send([update("0", "0", "1", "Status.voltageMeasure", "5"), update(data.line, data.address, data.channel, error, "0"), {
            "e": "error",
            "v": data.name
        }]);
        tryCompare(findChild(alert, "message"), "text", data.name, 2000);
        verify(!(data.name in alert.messages));
        compare(alert.state, "error");
        send([{
            "e": "error",
            "v": ""
        }, {
            "e": data.name,
            "v": "1"
        }]);
        tryCompare(alert, "state", "", 2000);
        compare(Object.keys(alert.messages), []);
        compare(cache.getItem("0.0.1", "Status.voltageMeasure", false)[1], "5");
    }

    name: "WireNames"

    WebSocketServer {
        id: server

        host: "127.0.0.1"
        listen: true
        onClientConnected: {
            testCase.peer = webSocket;
            webSocket.onTextMessageReceived.connect(testCase.answer);
        }
    }

    Component {
        id: messagesComponent

        Messages {
        }

    }

}
