import QtQuick 2.12
import QtTest 1.12
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views
import "qrc:/components"

// One channel row fed by the real cache, inside a small stand-in for the
// channel list that records the commands the row gives it.
TestCase {
    id: testCase

    property var cache: null
    property int nextChannel: 0

    function initTestCase() {
        Views.waitForStart(testCase, main);
        cache = Children.find(main, "addItem");
        verify(cache !== null);
    }

    // Every case has a channel of its own, so no value leaks between cases.
    function freshPath() {
        return "2.0." + nextChannel++;
    }

    function feed(path, values) {
        for (const item in values) {
            const value = values[item];
            if (Array.isArray(value))
                cache.addItem(path, item, value[0], value[1], "100");
            else
                cache.addItem(path, item, value, "", "100");
        }
    }

    function makeRow(path) {
        return createTemporaryObject(rowComponent, testCase.parent, {
            "path": path
        });
    }

    function part(view, name) {
        return findChild(view.row, name);
    }

    function sameColor(actual, expected) {
        verify(Qt.colorEqual(actual, expected), actual + " is not " + expected);
    }

    function rotate(view) {
        findChild(view.row, "chInfoTimer").triggered();
    }

    function lastCommand(view) {
        return view.commands[view.commands.length - 1];
    }

    function test_texts_data() {
        return [{
            "tag": "nothing cached",
            "values": {
            },
            "texts": [" ", " ", " ", " "],
            "status": "",
            "statusColor": main.status_color_default,
            "mode": "-"
        }, {
            "tag": "values as reported, ok",
            "values": {
                "Status.voltageMeasure": ["-1234.5670", "V"],
                "Control.voltageSet": ["1500", "V"],
                "Status.currentMeasure": ["0.000012", "mA"],
                "Control.currentSet": ["1", "mA"],
                "Status.runningState": "ok"
            },
            "texts": ["-1234.5670 V", "1500 V", "0.000012 mA", "1 mA"],
            "status": "OK",
            "statusColor": main.status_color_on,
            "mode": "-"
        }, {
            "tag": "off but switched on",
            "values": {
                "Status.runningState": "off",
                "Control.on": "1"
            },
            "status": "ON",
            "statusColor": main.status_color_off,
            "mode": "-"
        }, {
            "tag": "off",
            "values": {
                "Status.runningState": "off",
                "Control.on": "0"
            },
            "status": "OFF",
            "statusColor": main.status_color_off,
            "mode": "-"
        }, {
            "tag": "ramping",
            "values": {
                "Status.runningState": "info"
            },
            "status": "RAMPING",
            "statusColor": main.status_color_warning,
            "mode": "-"
        }, {
            "tag": "error",
            "values": {
                "Status.runningState": "error"
            },
            "status": "ERROR",
            "statusColor": main.status_color_error,
            "mode": "-"
        }, {
            "tag": "unknown running state",
            "values": {
                "Status.runningState": "bogus"
            },
            "status": "",
            "statusColor": main.status_color_default,
            "mode": "-"
        }, {
            "tag": "CV wins over CC",
            "values": {
                "Status.constantVoltage": "1",
                "Status.constantCurrent": "1"
            },
            "status": "",
            "statusColor": main.status_color_default,
            "mode": "CV"
        }, {
            "tag": "CC",
            "values": {
                "Status.constantVoltage": "0",
                "Status.constantCurrent": "1"
            },
            "status": "",
            "statusColor": main.status_color_default,
            "mode": "CC"
        }];
    }

    function test_texts(data) {
        const path = freshPath();
        feed(path, data.values);
        const view = makeRow(path);
        if (data.texts) {
            const texts = ["vmeas", "vset", "imeas", "iset"].map(function(name) {
                return part(view, name).text;
            });
            compare(texts, data.texts);
        }
        compare(part(view, "chStatusText").text, data.status);
        sameColor(part(view, "chStatus").color, data.statusColor);
        compare(part(view, "chModeText").text, data.mode);
        compare(part(view, "chLabel").text, "CHANNEL 7");
    }

    function test_lastKnownValuesAreDimmed() {
        const path = freshPath();
        feed(path, {
            "Status.voltageMeasure": ["1000", "V"],
            "Control.voltageSet": ["1000", "V"],
            "Status.currentMeasure": ["1", "mA"],
            "Control.currentSet": ["2", "mA"],
            "Status.runningState": "ok",
            "Control.on": "1",
            "Status.constantVoltage": "1",
            "Status.constantCurrent": "0"
        });
        const view = makeRow(path);
        const fields = ["vmeas", "vset", "imeas", "iset", "chStatusText", "chModeText"];
        const opacities = function opacities() {
            return fields.map(function(name) {
                return part(view, name).opacity;
            });
        };
        compare(opacities(), [1, 1, 1, 1, 1, 1]);
        sameColor(part(view, "chStatus").color, main.status_color_on);
        // The link was lost: every value is only the last known one.
        cache.markStale();
        const dim = main.staleOpacity;
        compare(opacities(), [dim, dim, dim, dim, dim, dim]);
        compare(part(view, "chStatusText").text, "OK");
        sameColor(part(view, "chStatus").color, main.status_color_default);
        // Read again one by one after the link came back.
        feed(path, {
            "Status.voltageMeasure": ["0", "V"],
            "Status.runningState": "off",
            "Control.on": "0"
        });
        compare(opacities(), [1, dim, dim, dim, 1, dim]);
        compare(part(view, "chStatusText").text, "OFF");
        sameColor(part(view, "chStatus").color, main.status_color_off);
    }

    function test_switchStateReadWhileRunning() {
        const link = Children.find(main, "appendQueue");
        link.queue = [];
        const path = freshPath();
        feed(path, {
            "Status.runningState": "ok"
        });
        makeRow(path);
        const fields = path.split(".");
        verify(link.queue.some(function(packet) {
            return packet.c === "getItem" && packet.p.i === "Control.on" && packet.p.p.c === fields[2];
        }));
    }

    function test_longReadingsFitTheirFields() {
        const path = freshPath();
        feed(path, {
            "Status.voltageMeasure": ["-6000.000", "V"],
            "Status.currentMeasure": ["-0.00002", "mA"]
        });
        const view = makeRow(path);
        const vmeas = part(view, "vmeas");
        const imeas = part(view, "imeas");
        verify(vmeas.contentWidth <= vmeas.width, vmeas.contentWidth);
        verify(imeas.contentWidth <= imeas.width, imeas.contentWidth);
        // Right-aligned: the current's text starts right of the voltage field.
        verify(imeas.x + imeas.width - imeas.contentWidth >= vmeas.x + vmeas.width);
    }

    function test_rejectedUpdateChangesNothing() {
        const path = freshPath();
        feed(path, {
            "Status.voltageMeasure": ["10", "V"]
        });
        const view = makeRow(path);
        // Stored behind the cache's back: only a matching announcement shows it.
        cache.itemCache[path]["Status.voltageMeasure"].push(["101", "20", "V"]);
        compare(view.row.updateState("9.9.9_Status.voltageMeasure"), false);
        compare(part(view, "vmeas").text, "10 V");
        view.row.updateState(path + "_Status.voltageMeasure");
        compare(part(view, "vmeas").text, "20 V");
    }

    // A state change of the channel (its own identifier) redraws every part.
    function test_ownIdentifierRefreshesTheRow() {
        const path = freshPath();
        feed(path, {
            "Status.voltageMeasure": ["10", "V"],
            "Status.currentMeasure": ["1", "mA"],
            "Status.runningState": "ok"
        });
        const view = makeRow(path);
        const items = cache.itemCache[path];
        items["Status.voltageMeasure"].push(["101", "20", "V"]);
        items["Status.currentMeasure"].push(["101", "2", "mA"]);
        items["Status.runningState"].push(["101", "error", ""]);
        // Another item of the channel leaves what it does not show alone.
        view.row.updateState(path + "_Status.temperature");
        compare(part(view, "vmeas").text, "10 V");
        view.row.updateState(path);
        compare(part(view, "vmeas").text, "20 V");
        compare(part(view, "imeas").text, "2 mA");
        compare(part(view, "chStatusText").text, "ERROR");
    }

    function test_conditionsRotateEveryTwoSeconds() {
        const path = freshPath();
        feed(path, {
            "Event.currentTrip": "1",
            "Status.externalInhibitActive": "1"
        });
        const view = makeRow(path);
        const info = part(view, "chInfoText");
        tryCompare(info, "text", "TRIP", 2500);
        sameColor(part(view, "chInfo").color, main.status_color_warning);
        tryCompare(info, "text", "INHIBIT", 2500);
        tryCompare(info, "text", "TRIP", 2500);
        feed(path, {
            "Event.currentTrip": "0"
        });
        tryCompare(info, "text", "INHIBIT", 2500);
        wait(2200);
        compare(info.text, "INHIBIT");
    }

    function test_infoOrder() {
        const path = freshPath();
        feed(path, {
            "Status.currentLimitExceeded": "1",
            "Status.voltageLimitExceeded": "1",
            "Event.currentTrip": "0"
        });
        const view = makeRow(path);
        const shown = [];
        for (let i = 0; i < 3; ++i) {
            rotate(view);
            shown.push(part(view, "chInfoText").text);
        }
        // The conditions are registered in their fixed order, not in arrival order.
        compare(shown, ["VLIM", "ILIM", "VLIM"]);
        // A condition set again after being cleared goes to the end.
        feed(path, {
            "Status.voltageLimitExceeded": "0"
        });
        feed(path, {
            "Status.voltageLimitExceeded": "1"
        });
        rotate(view);
        rotate(view);
        compare(part(view, "chInfoText").text, "VLIM");
        rotate(view);
        compare(part(view, "chInfoText").text, "ILIM");
        // Values other than "0" and "1" leave the registry as it is.
        feed(path, {
            "Status.currentLimitExceeded": ""
        });
        rotate(view);
        rotate(view);
        compare(part(view, "chInfoText").text, "ILIM");
    }

    function test_emergency() {
        const path = freshPath();
        const view = makeRow(path);
        compare(lastCommand(view).action, "removeAlert");
        compare(lastCommand(view).params.type, path + "_emergency");
        feed(path, {
            "Control.emergency": "1"
        });
        compare(lastCommand(view).action, "addAlert");
        compare(lastCommand(view).params, {
            "type": path + "_emergency",
            "state": "error",
            "message": "Emergency on channel 7. Hold all channels off button to clear."
        });
        // Every refresh raises it again.
        const before = view.commands.length;
        feed(path, {
            "Status.voltageMeasure": ["1", "V"]
        });
        compare(view.commands.length, before + 1);
        compare(lastCommand(view).action, "addAlert");
        rotate(view);
        compare(part(view, "chInfoText").text, "EMGCY");
        sameColor(part(view, "chInfo").color, main.status_color_error);
        sameColor(part(view, "chInfoText").color, "#FFFFFF");
        mouseClick(part(view, "maInfo"));
        compare(lastCommand(view).action, "TurnOffEmergency");
        compare(lastCommand(view).params, {
            "cID": path
        });
        feed(path, {
            "Control.emergency": "0"
        });
        compare(lastCommand(view).action, "removeAlert");
        rotate(view);
        compare(part(view, "chInfoText").text, "");
        sameColor(part(view, "chInfo").color, main.ch_bg_color);
    }

    function test_clickOnTripPassesEmptyAction() {
        const path = freshPath();
        feed(path, {
            "Event.currentTrip": "1"
        });
        const view = makeRow(path);
        rotate(view);
        compare(part(view, "chInfoText").text, "TRIP");
        mouseClick(part(view, "maInfo"));
        compare(lastCommand(view).action, "");
        compare(lastCommand(view).params.cID, path);
    }

    function test_counterBadges_data() {
        return [{
            "tag": "no events",
            "badge": "eventBadge",
            "item": "Status.eventCounter",
            "value": "0",
            "visible": false
        }, {
            "tag": "three events",
            "badge": "eventBadge",
            "item": "Status.eventCounter",
            "value": "3",
            "visible": true,
            "color": main.status_color_warning2,
            "action": "ShowEvents"
        }, {
            "tag": "two errors",
            "badge": "errorBadge",
            "item": "Status.errorCounter",
            "value": "2",
            "visible": true,
            "color": main.status_color_error,
            "action": "ShowErrors"
        }];
    }

    function test_counterBadges(data) {
        const path = freshPath();
        const view = makeRow(path);
        const badge = part(view, data.badge);
        verify(!badge.visible);
        feed(path, {
            [data.item]: data.value
        });
        compare(badge.visible, data.visible);
        if (!data.visible)
            return ;

        compare(findChild(badge, "label").text, data.value);
        sameColor(findChild(badge, "bg").color, data.color);
        mouseClick(badge);
        compare(lastCommand(view).action, data.action);
        compare(lastCommand(view).params, {
            "cID": path
        });
        // Back to zero hides it again.
        feed(path, {
            [data.item]: "0"
        });
        verify(!badge.visible);
    }

    function test_pointer() {
        const path = freshPath();
        const view = makeRow(path);
        clickSpy.target = view.row;
        doubleSpy.target = view.row;
        clickSpy.clear();
        doubleSpy.clear();
        mouseClick(part(view, "maOnOff"));
        compare(clickSpy.signalArguments[0][0], path + "_Control.on");
        compare(clickSpy.signalArguments[0][1], "toggle");
        // The selection area starts right of the label block.
        const area = part(view, "maSelect");
        compare(area.mapToItem(view.row, 0, 0).x, 100);
        mousePress(area, 20, 20);
        sameColor(part(view, "bg").color, main.ch_bg_color_pressed);
        mouseRelease(area, 20, 20);
        sameColor(part(view, "bg").color, "transparent");
        compare(clickSpy.signalArguments[1][0], "7");
        compare(clickSpy.signalArguments[1][1], "channelSelect");
        mouseDoubleClickSequence(area, 20, 20);
        compare(doubleSpy.count, 1);
        compare(doubleSpy.signalArguments[0][0], "7");
        compare(doubleSpy.signalArguments[0][1], "channelSelect");
    }

    name: "ChannellistChannel"
    when: windowShown
    width: 480
    height: 272

    SignalSpy {
        id: clickSpy

        signalName: "clicked"
    }

    SignalSpy {
        id: doubleSpy

        signalName: "doubleClicked"
    }

    Component {
        id: rowComponent

        Item {
            id: controller

            property string path
            property var commands: []
            property alias row: row

            function getObjectState(cID) {
                return main.getObjectState(cID);
            }

            function command(action, params) {
                commands.push({
                    "action": action,
                    "params": params
                });
            }

            width: 400
            height: 50

            Channellist_Channel {
                id: row

                cID: controller.path
                chIndex: 7
                chLabel: "CHANNEL 7"
            }

        }

    }

}
