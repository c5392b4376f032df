import QtQuick 2.12
import QtTest 1.12
import "fixtures"
import "fixtures/views.js" as Views
import "qrc:/components"

// The top bar: path and device name, and its button's looks and pointer.
TestCase {
    id: testCase

    property var bar: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
    }

    function init() {
        main.setObjectState("deviceName", "");
        bar = createTemporaryObject(barComponent, testCase.parent);
        controller.commands = [];
    }

    function button() {
        return findChild(bar, "homeButton");
    }

    function sameColor(actual, expected) {
        verify(Qt.colorEqual(actual, expected), actual + " is not " + expected);
    }

    function test_stateLook_data() {
        return [{
            "tag": "empty",
            "state": "",
            "label": "#ececec",
            "strip": "transparent"
        }, {
            "tag": "active",
            "state": "active",
            "label": main.status_color_active,
            "strip": "transparent"
        }, {
            "tag": "ok",
            "state": "ok",
            "label": "#ececec",
            "strip": main.status_color_ok
        }, {
            "tag": "error",
            "state": "error",
            "label": "#ececec",
            "strip": main.status_color_error
        }, {
            "tag": "warning",
            "state": "warning",
            "label": "#ececec",
            "strip": main.status_color_warning
        }, {
            "tag": "unknown",
            "state": "connecting",
            "label": "#ececec",
            "strip": "transparent"
        }];
    }

    function test_stateLook(data) {
        main.setObjectState("deviceName", "error");
        main.setObjectState("deviceName", data.state);
        sameColor(findChild(button(), "label").color, data.label);
        sameColor(findChild(button(), "strip").color, data.strip);
    }

    function test_changeComponent_data() {
        return [{
            "tag": "path",
            "cID": "topBar",
            "params": {
                "pathText": "HOME"
            },
            "path": "HOME",
            "device": "DEV"
        }, {
            "tag": "device name",
            "cID": "topBar",
            "params": {
                "deviceName": "HV-4000"
            },
            "path": "OLD",
            "device": "HV-4000"
        }, {
            "tag": "both",
            "cID": "topBar",
            "params": {
                "pathText": "MENU",
                "deviceName": "HV-4000"
            },
            "path": "MENU",
            "device": "HV-4000"
        }, {
            "tag": "identifier containing the bar",
            "cID": "the_topBar_x",
            "params": {
                "pathText": "HOME"
            },
            "path": "HOME",
            "device": "DEV"
        }, {
            "tag": "other component",
            "cID": "bottomBar",
            "params": {
                "pathText": "HOME"
            },
            "path": "OLD",
            "device": "DEV"
        }, {
            "tag": "no params",
            "cID": "topBar",
            "params": undefined,
            "path": "OLD",
            "device": "DEV"
        }];
    }

    function test_changeComponent(data) {
        main.setComponent("topBar", {
            "pathText": "OLD",
            "deviceName": "DEV"
        });
        main.setComponent(data.cID, data.params);
        compare(findChild(bar, "pathText").text, data.path);
        compare(findChild(button(), "label").text, data.device);
    }

    function test_buttonWidthFollowsName() {
        main.setComponent("topBar", {
            "deviceName": ""
        });
        compare(button().width, 30);
        main.setComponent("topBar", {
            "deviceName": "HV-4000"
        });
        const label = findChild(button(), "label");
        // Sized for the bold face, so it is a little wider than the label.
        verify(button().width >= label.contentWidth + 30);
        verify(button().width < label.contentWidth + 40);
    }

    function test_pointer() {
        main.setComponent("deviceName", {
            "enterAction": "hint",
            "leaveAction": "unhint"
        });
        const background = findChild(button(), "background");
        mouseMove(testCase.parent, 300, 300);
        mouseMove(button(), 10, 10);
        sameColor(background.color, main.bt_bg_color_over);
        compare(controller.commands, ["hint"]);
        mousePress(button(), 10, 10);
        sameColor(background.color, main.bt_bg_color_pressed);
        mouseRelease(button(), 10, 10);
        sameColor(background.color, main.bt_bg_color);
        compare(controller.commands, ["hint", "openHomescreen"]);
        mouseMove(testCase.parent, 300, 300);
        compare(controller.commands, ["hint", "openHomescreen", "unhint"]);
        sameColor(background.color, main.bt_bg_color);
    }

    name: "Topbar"
    width: 480
    height: 480
    when: windowShown

    ViewStub {
        id: controller
    }

    Component {
        id: barComponent

        Topbar {
            cID: "topBar"
        }

    }

}
