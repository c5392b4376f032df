import QtQuick 2.12
import QtTest 1.12
import QtWebSockets 1.1
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views
import "qrc:/models"

// What one frame, one text and one log line from the supply may cost: the
// link refuses what is over its limits with one short log line.
TestCase {
    id: testCase

    property var peer: null
    property var frames: []

    function initTestCase() {
        Views.waitForStart(testCase, main);
        verify(server.listen);
    }

    function connect() {
        frames = [];
        peer = null;
        const link = createTemporaryObject(linkComponent, testCase, {
            "ip": "127.0.0.1",
            "port": String(server.url).split(":")[2],
            "user": "kiwi",
            "password": "kiwi"
        });
        tryVerify(function() {
            return frames.length === 1;
        }, 3000);
        peer.sendTextMessage(JSON.stringify({
            "t": "response",
            "i": "T1"
        }));
        tryCompare(link, "comState", "connected", 3000);
        itemSpy.target = link;
        configSpy.target = link;
        errorSpy.target = link;
        itemSpy.clear();
        configSpy.clear();
        errorSpy.clear();
        return link;
    }

    function update(item, value, line) {
        return [{
            "t": "info",
            "c": [{
                "e": "itemUpdated",
                "d": {
                    "i": item,
                    "p": {
                        "l": line === undefined ? "0" : line,
                        "a": "0",
                        "c": "1"
                    },
                    "v": value
                }
            }]
        }];
    }

    // The batch with a text that takes it past 1 MiB.
    function padded(frame) {
        frame[0].pad = "x".repeat(1024 * 1024);
        return JSON.stringify(frame);
    }

    function configurationFrame(xml) {
        return JSON.stringify({
            "file": "lumaConfig.xml",
            "d": Qt.btoa(xml)
        });
    }

    function test_limits_data() {
        const longText = "x".repeat(4097);
        // A configuration of 2 MiB of XML, which the store still takes.
        const bigXml = "<lumaConfig><!--" + " ".repeat(2 * 1024 * 1024 - 40) + "--></lumaConfig>";
        return [{
            "tag": "value at the limit",
            "text": JSON.stringify(update("Status.on", "x".repeat(4096))),
            "items": 1
        }, {
            "tag": "value over the limit",
            "text": JSON.stringify(update("Status.on", longText)),
            "warning": /^Connection: dropped an item update with a text over 4096 characters: 0\.0\.1 Status\.on$/
        }, {
            "tag": "item name over the limit",
            "text": JSON.stringify(update(longText, "1")),
            "warning": /^Connection: dropped an item update with a text over 4096 characters: 0\.0\.1 x{194}\.\.\. \(4103 characters\)$/
        }, {
            "tag": "line over the limit",
            "text": JSON.stringify(update("Status.on", "1", longText)),
            "warning": /text over 4096 characters/
        }, {
            "tag": "error text over the limit",
            "text": JSON.stringify([{
                "t": "info",
                "c": [{
                    "e": "error",
                    "v": longText
                }]
            }]),
            "warning": /^Connection: dropped a "error" event of 4097 characters$/
        }, {
            "tag": "mistyped packet logged cut short",
            "text": JSON.stringify(update("Status.on", ["x".repeat(3000)])),
            "warning": /^Connection: dropped an item update with missing or mistyped fields: .{200}\.\.\. \(\d+ characters\)$/
        }, {
            "tag": "batch frame over 1 MiB",
            "text": padded(update("Status.on", "1")),
            "warning": /^Connection: dropped a frame of 10486\d\d characters$/
        }, {
            "tag": "object over 1 MiB that is no configuration",
            "text": JSON.stringify({
                "file": "other.xml",
                "d": "x".repeat(1024 * 1024)
            }),
            "warning": /^Connection: dropped a frame of 10486\d\d characters that is no configuration$/
        }, {
            "tag": "configuration over 1 MiB",
            "text": configurationFrame(bigXml),
            "configurations": 1
        }, {
            "tag": "configuration frame over 3 MiB",
            "text": configurationFrame(bigXml + " ".repeat(400000)),
            "warning": /^Connection: dropped a frame of 3\d{6} characters$/
        }];
    }

    function test_limits(data) {
        const link = connect();
        if (data.warning)
            ignoreWarning(data.warning);

        peer.sendTextMessage(data.text);
        // A good batch right behind it still arrives.
        peer.sendTextMessage(JSON.stringify(update("Status.sync", "1")));
        tryVerify(function() {
            return itemSpy.count > 0 && itemSpy.signalArguments[itemSpy.count - 1][1] === "Status.sync";
        }, 5000);
        compare(itemSpy.count, (data.items || 0) + 1);
        compare(configSpy.count, data.configurations || 0);
        compare(errorSpy.count, 0);
        compare(link.comState, "connected");
    }

    // The history of one item keeps to 100 entries and to 16384 characters
    // of values, oldest dropped first; the newest is always kept.
    function test_historyKeepsToALength_data() {
        return [{
            "tag": "short values keep to the count",
            "lengths": Array(120).fill(3),
            "kept": 100
        }, {
            "tag": "long values keep to the length",
            "lengths": [10, 8000, 8000, 8000],
            "kept": 2
        }, {
            "tag": "exactly the length",
            "lengths": [1, 8000, 8384],
            "kept": 2
        }, {
            "tag": "one value over the length",
            "lengths": [5, 20000],
            "kept": 1
        }, {
            "tag": "short value after a long one",
            "lengths": [20000, 5],
            "kept": 1
        }];
    }

    function test_historyKeepsToALength(data) {
        const cache = Children.find(main, "addItem");
        const path = "7.7." + data.tag;
        for (let i = 0; i < data.lengths.length; ++i) cache.addItem(path, "Status.history", String(i % 10).repeat(data.lengths[i]), "", String(i))
        const history = cache.getItem(path, "Status.history", true);
        compare(history.length, data.kept);
        for (let i = 0; i < data.kept; ++i) compare(history[i][0], String(data.lengths.length - data.kept + i))
    }

    name: "LinkLimits"

    SignalSpy {
        id: itemSpy

        signalName: "itemChanged"
    }

    SignalSpy {
        id: configSpy

        signalName: "configurationReceived"
    }

    SignalSpy {
        id: errorSpy

        signalName: "error"
    }

    WebSocketServer {
        id: server

        host: "127.0.0.1"
        listen: true
        onClientConnected: {
            testCase.peer = webSocket;
            webSocket.onTextMessageReceived.connect(function(message) {
                testCase.frames.push(message);
            });
        }
    }

    Component {
        id: linkComponent

        Connection {
        }

    }

}
