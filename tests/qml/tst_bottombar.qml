import QtQuick 2.12
import QtTest 1.12
import "fixtures"
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views
import "qrc:/components"

// The bottom bar: the USB and link states and texts, its icon by
// application mode, and the buttons' pointer handling.
TestCase {
    id: testCase

    property var cache: null
    property var bar: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
        cache = Children.find(main, "addItem");
    }

    function init() {
        bar = createTemporaryObject(barComponent, testCase.parent, {
            "y": 100
        });
        controller.commands = [];
    }

    function sameColor(actual, expected) {
        verify(Qt.colorEqual(actual, expected), actual + " is not " + expected);
    }

    // The device reports the auxiliary port; the link announces it.
    function reportAux(state, text) {
        cache.addItem("0.0", "Status.usbAuxState", state, "", "100");
        cache.addItem("0.0", "Status.usbAuxText", text, "", "100");
        main.stateUpdated("usbAuxStatus");
    }

    function test_stateLook_data() {
        const lit = "#ececec";
        const dark = "#333";
        return [{
            "tag": "connecting",
            "state": "connecting",
            "strip": main.status_color_warning,
            "label": lit
        }, {
            "tag": "info",
            "state": "info",
            "strip": main.status_color_warning,
            "label": lit
        }, {
            "tag": "warning",
            "state": "warning",
            "strip": main.status_color_warning,
            "label": lit
        }, {
            "tag": "connected",
            "state": "connected",
            "strip": main.status_color_ok,
            "label": lit
        }, {
            "tag": "ok",
            "state": "ok",
            "strip": main.status_color_ok,
            "label": lit
        }, {
            "tag": "error",
            "state": "error",
            "strip": main.status_color_error,
            "label": lit
        }, {
            "tag": "unlisted",
            "state": "mounted",
            "strip": main.status_color_default,
            "label": dark
        }, {
            "tag": "active is no device state",
            "state": "active",
            "strip": main.status_color_default,
            "label": dark
        }, {
            "tag": "empty",
            "state": "",
            "strip": main.status_color_default,
            "label": dark
        }];
    }

    function test_stateLook(data) {
        reportAux("error", "previous");
        reportAux(data.state, "Stick mounted");
        const button = findChild(bar, "usbAux");
        sameColor(findChild(button, "strip").color, data.strip);
        sameColor(findChild(button, "label").color, data.label);
        compare(findChild(button, "label").text, "STICK MOUNTED");
        // The other port is not touched.
        compare(findChild(findChild(bar, "usbRemote"), "label").text, "");
    }

    function test_ownIdentifierOnly() {
        reportAux("ok", "aux");
        cache.addItem("0.0", "Status.usbAuxState", "error", "", "101");
        main.stateUpdated("usbRemoteStatus");
        sameColor(findChild(findChild(bar, "usbAux"), "strip").color, main.status_color_ok);
    }

    function test_linkButton() {
        main.stateUpdated("ethernetStatus");
        const label = findChild(findChild(bar, "ethernet"), "label");
        compare(label.text, String(main.getObjectInfo("ethernetStatus")).toUpperCase());
        verify(label.text !== "");
    }

    function test_iconByMode_data() {
        return [{
            "tag": "remote",
            "mode": "remote",
            "icon": "zandor_ico_menu.png",
            "align": Text.AlignLeft
        }, {
            "tag": "panel",
            "mode": "Zandor",
            "icon": "",
            "align": Text.AlignHCenter
        }];
    }

    function test_iconByMode(data) {
        const panelBar = createTemporaryObject(barComponent, testCase.parent, {
            "appMode": data.mode
        });
        const ethernet = findChild(panelBar, "ethernet");
        compare(String(findChild(ethernet, "icon").source).split("/").pop(), data.icon);
        compare(findChild(ethernet, "label").horizontalAlignment, data.align);
        compare(findChild(findChild(panelBar, "usbAux"), "label").horizontalAlignment, Text.AlignHCenter);
    }

    function test_layout() {
        compare(findChild(bar, "usbRemote").x, 0);
        compare(findChild(bar, "usbAux").x, 160);
        compare(findChild(bar, "ethernet").x, 320);
        for (const name of ["usbRemote", "usbAux", "ethernet"]) compare(findChild(bar, name).width, 158)
    }

    function test_clicks_data() {
        return [{
            "tag": "remote port",
            "button": "usbRemote",
            "action": ""
        }, {
            "tag": "auxiliary port",
            "button": "usbAux",
            "action": "openUsbSettings"
        }, {
            "tag": "link",
            "button": "ethernet",
            "action": "openIpSettings"
        }];
    }

    function test_clicks(data) {
        mouseClick(findChild(bar, data.button), 50, 10);
        // Pressing enters the button and releasing leaves it; both
        // actions are empty here.
        compare(controller.commands, ["", data.action, ""]);
    }

    function test_pointer() {
        main.setComponent("usbAuxStatus", {
            "enterAction": "hint",
            "leaveAction": "unhint"
        });
        const button = findChild(bar, "usbAux");
        const background = findChild(button, "background");
        // Hovering alone reports nothing.
        mouseMove(testCase.parent, 5, 5);
        mouseMove(button, 50, 10);
        compare(controller.commands, []);
        sameColor(background.color, main.bt_bg_color);
        mousePress(button, 50, 10);
        sameColor(background.color, main.bt_bg_color_pressed);
        compare(controller.commands, ["hint"]);
        mouseMove(button, 50, 60);
        compare(controller.commands, ["hint", "unhint"]);
        mouseRelease(button, 50, 60);
        sameColor(background.color, main.bt_bg_color);
        compare(controller.commands, ["hint", "unhint"]);
    }

    function test_changeComponent_data() {
        return [{
            "tag": "own button",
            "cID": "usbAuxStatus",
            "params": {
                "text": "NEW",
                "clickAction": "new"
            },
            "text": "NEW",
            "action": "new"
        }, {
            "tag": "identifier containing the button",
            "cID": "x_usbAuxStatus",
            "params": {
                "clickAction": "new"
            },
            "text": "OLD",
            "action": "new"
        }, {
            "tag": "other identifier",
            "cID": "usbAux",
            "params": {
                "text": "NEW"
            },
            "text": "OLD",
            "action": "openUsbSettings"
        }, {
            "tag": "no params",
            "cID": "usbAuxStatus",
            "params": undefined,
            "text": "OLD",
            "action": "openUsbSettings"
        }];
    }

    function test_changeComponent(data) {
        main.setComponent("usbAuxStatus", {
            "text": "OLD"
        });
        main.setComponent(data.cID, data.params);
        const button = findChild(bar, "usbAux");
        compare(findChild(button, "label").text, data.text);
        mouseClick(button, 50, 10);
        compare(controller.commands, ["", data.action, ""]);
    }

    name: "Bottombar"
    width: 480
    height: 480
    when: windowShown

    ViewStub {
        id: controller
    }

    Component {
        id: barComponent

        Bottombar {
            width: 480
            height: 20
        }

    }

}
