import QtQuick 2.12
import QtTest 1.12
import "fixtures"
import "fixtures/views.js" as Views
import "qrc:/components"

// The soft keys: looks by state, panel press and release, touch, and the
// component protocol's clean-up.
TestCase {
    id: testCase

    property var bar: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
    }

    function init() {
        for (const key of ["bb_bt1", "bb_bt2", "bb_bt3", "bb_bt4"]) {
            main.setObjectState(key, "");
            main.setComponent(key, {
                "text": "",
                "clickAction": ""
            });
        }
        bar = createTemporaryObject(barComponent, testCase.parent, {
            "x": 100
        });
        controller.commands = [];
    }

    function key(cID) {
        return findChild(bar, cID);
    }

    function indicator(cID) {
        return findChild(key(cID), "indicator");
    }

    function sameColor(actual, expected) {
        verify(Qt.colorEqual(actual, expected), actual + " is not " + expected);
    }

    function label(text, action) {
        main.setComponent("bb_bt2", {
            "text": text,
            "clickAction": action
        });
    }

    function test_stateLook_data() {
        return [{
            "tag": "empty",
            "state": "",
            "indicator": "transparent",
            "text": main.text_color
        }, {
            "tag": "disabled",
            "state": "disabled",
            "indicator": "transparent",
            "text": main.text_color_disabled
        }, {
            "tag": "active",
            "state": "active",
            "indicator": main.status_color_active,
            "text": main.text_color
        }, {
            "tag": "ok",
            "state": "ok",
            "indicator": main.status_color_ok,
            "text": main.text_color
        }, {
            "tag": "error",
            "state": "error",
            "indicator": main.status_color_error,
            "text": main.text_color
        }, {
            "tag": "warning",
            "state": "warning",
            "indicator": main.status_color_warning,
            "text": main.text_color
        }, {
            "tag": "pressed",
            "state": "pressed",
            "indicator": main.bt_bg_color_pressed,
            "text": main.text_color
        }, {
            "tag": "unknown",
            "state": "glowing",
            "indicator": "transparent",
            "text": main.text_color
        }];
    }

    function test_stateLook(data) {
        label("BACK", "lastView");
        main.setObjectState("bb_bt2", "error");
        main.setObjectState("bb_bt2", data.state);
        sameColor(indicator("bb_bt2").color, data.indicator);
        sameColor(findChild(key("bb_bt2"), "label").color, data.text);
        // The other keys keep their look.
        sameColor(indicator("bb_bt1").color, "transparent");
    }

    function test_givenStateWins() {
        main.setObjectState("bb_bt3", "active");
        key("bb_bt3").updateState("bb_bt3", "ok");
        sameColor(indicator("bb_bt3").color, main.status_color_ok);
    }

    function test_indicatorFramesLabel() {
        label("APPLY", "apply");
        const text = findChild(key("bb_bt2"), "label");
        const mark = indicator("bb_bt2");
        const textRight = text.x + text.width - text.rightPadding;
        compare(textRight, 90);
        fuzzyCompare(mark.x + 5, textRight - text.contentWidth, 2);
        fuzzyCompare(mark.width, text.contentWidth + 10, 2);
        verify(mark.height > text.contentHeight && mark.height < text.contentHeight + 6);
        fuzzyCompare(mark.y + mark.height / 2, 25, 2);
    }

    function test_emptyTextShowsNoIndicator() {
        label("", "");
        main.setObjectState("bb_bt2", "active");
        compare(indicator("bb_bt2").width, 0);
        compare(indicator("bb_bt2").height, 0);
        // Its (empty) action still runs on a tap.
        mouseClick(key("bb_bt2"), 60, 25);
        compare(controller.commands, [""]);
    }

    function test_panelPressAndRelease() {
        label("AUTO", "toggleAutoApply");
        main.setObjectState("bb_bt2", "active");
        const clicked = createTemporaryObject(spyComponent, testCase, {
            "target": key("bb_bt2"),
            "signalName": "clicked"
        });
        main.triggerComponent("bb_bt2", {
            "action": "pressed"
        });
        sameColor(indicator("bb_bt2").color, main.bt_bg_color_pressed);
        compare(controller.commands, []);
        // The action sees the restored look and may change it afterwards.
        let colourAtCommand = null;
        const record = function record() {
            colourAtCommand = String(indicator("bb_bt2").color);
            main.setObjectState("bb_bt2", "");
        };
        controller.commanded.connect(record);
        main.triggerComponent("bb_bt2", {
            "action": "released"
        });
        controller.commanded.disconnect(record);
        sameColor(colourAtCommand, main.status_color_active);
        compare(controller.commands, ["toggleAutoApply"]);
        compare(clicked.count, 1);
        compare(clicked.signalArguments[0][0], "bb_bt2");
        sameColor(indicator("bb_bt2").color, "transparent");
    }

    function test_wakingReleaseOnlyClearsThePress() {
        label("GO", "go");
        main.setObjectState("bb_bt2", "ok");
        main.displayIsOn = false;
        main.panelKeyPressed("bb_bt2");
        sameColor(indicator("bb_bt2").color, main.bt_bg_color_pressed);
        main.panelKeyReleased("bb_bt2");
        verify(main.displayIsOn);
        sameColor(indicator("bb_bt2").color, main.status_color_ok);
        compare(controller.commands, []);
        main.panelKeyPressed("bb_bt2");
        main.panelKeyReleased("bb_bt2");
        compare(controller.commands, ["go"]);
    }

    function test_changedActionIgnoresTapsForAMoment_data() {
        return [{
            "tag": "touch",
            "tap": function() {
                mouseClick(key("bb_bt4"), 90, 25);
            }
        }, {
            "tag": "panel key",
            "tap": function() {
                main.triggerComponent("bb_bt4", {
                    "action": "pressed"
                });
                main.triggerComponent("bb_bt4", {
                    "action": "released"
                });
            }
        }];
    }

    function test_changedActionIgnoresTapsForAMoment(data) {
        main.setComponent("bb_bt4", {
            "text": "BACK",
            "clickAction": "closeMessages"
        });
        // Its first action is no change of meaning: a tap acts at once.
        data.tap();
        compare(controller.commands, ["closeMessages"]);
        main.setComponent("bb_bt4", {
            "text": "ERRORS",
            "clickAction": "ShowErrors"
        });
        data.tap();
        compare(controller.commands, ["closeMessages"]);
        // The same action again does not restart the wait.
        wait(300);
        main.setComponent("bb_bt4", {
            "clickAction": "ShowErrors"
        });
        wait(300);
        data.tap();
        compare(controller.commands, ["closeMessages", "ShowErrors"]);
        // A change long after the last tap, as when the wheel moves a
        // selection, lets the next tap act at once.
        wait(550);
        main.setComponent("bb_bt4", {
            "text": "BACK",
            "clickAction": "closeMessages"
        });
        data.tap();
        compare(controller.commands, ["closeMessages", "ShowErrors", "closeMessages"]);
    }

    function test_releaseWithoutPress() {
        label("GO", "go");
        main.setObjectState("bb_bt2", "ok");
        main.triggerComponent("bb_bt2", {
            "action": "released"
        });
        // Never pressed: the saved state is the empty one.
        sameColor(indicator("bb_bt2").color, "transparent");
        compare(controller.commands, ["go"]);
    }

    function test_otherTriggers_data() {
        return [{
            "tag": "other key",
            "cID": "bb_bt3",
            "params": {
                "action": "pressed"
            }
        }, {
            "tag": "unknown action",
            "cID": "bb_bt2",
            "params": {
                "action": "held"
            }
        }, {
            "tag": "no params",
            "cID": "bb_bt2",
            "params": undefined
        }];
    }

    function test_otherTriggers(data) {
        label("GO", "go");
        main.setObjectState("bb_bt2", "ok");
        main.triggerComponent(data.cID, data.params);
        sameColor(indicator("bb_bt2").color, main.status_color_ok);
        compare(controller.commands, []);
    }

    function test_tapKeepsLook() {
        label("GO", "go");
        main.setObjectState("bb_bt2", "active");
        mousePress(key("bb_bt2"), 60, 25);
        sameColor(indicator("bb_bt2").color, main.bt_bg_color_pressed);
        mouseRelease(key("bb_bt2"), 60, 25);
        compare(controller.commands, ["go"]);
        sameColor(indicator("bb_bt2").color, main.status_color_active);
        compare(key("bb_bt2").state, "active");
    }

    function test_tapActionLightsKey() {
        label("AUTO", "toggleAutoApply");
        const light = function light() {
            main.setObjectState("bb_bt2", "active");
        };
        controller.commanded.connect(light);
        mouseMove(key("bb_bt2"), 60, 25);
        mouseClick(key("bb_bt2"), 60, 25);
        controller.commanded.disconnect(light);
        mouseMove(testCase.parent, 5, 5);
        sameColor(indicator("bb_bt2").color, main.status_color_active);
    }

    function test_hoverFeedback() {
        label("GO", "go");
        main.setObjectState("bb_bt2", "ok");
        mouseMove(testCase.parent, 5, 5);
        mouseMove(key("bb_bt2"), 60, 25);
        sameColor(indicator("bb_bt2").color, main.bt_bg_color_over);
        mouseMove(testCase.parent, 5, 5);
        sameColor(indicator("bb_bt2").color, main.status_color_ok);
        compare(controller.commands, []);
    }

    function test_leftStripIsDead() {
        label("GO", "go");
        main.setObjectState("bb_bt2", "ok");
        mouseClick(key("bb_bt2"), 24, 25);
        mouseMove(key("bb_bt2"), 10, 25);
        compare(controller.commands, []);
        sameColor(indicator("bb_bt2").color, main.status_color_ok);
        mouseClick(key("bb_bt2"), 26, 25);
        compare(controller.commands, ["go"]);
    }

    function test_changeComponent_data() {
        return [{
            "tag": "own key",
            "cID": "bb_bt4",
            "params": {
                "text": "NEW",
                "clickAction": "new"
            },
            "text": "NEW",
            "action": "new"
        }, {
            "tag": "identifier containing the key",
            "cID": "x_bb_bt4_y",
            "params": {
                "text": "NEW"
            },
            "text": "NEW",
            "action": "old"
        }, {
            "tag": "other key",
            "cID": "bb_bt3",
            "params": {
                "text": "NEW",
                "clickAction": "new"
            },
            "text": "OLD",
            "action": "old"
        }, {
            "tag": "no params",
            "cID": "bb_bt4",
            "params": undefined,
            "text": "OLD",
            "action": "old"
        }];
    }

    function test_changeComponent(data) {
        main.setComponent("bb_bt4", {
            "text": "OLD",
            "clickAction": "old"
        });
        main.setComponent(data.cID, data.params);
        compare(findChild(key("bb_bt4"), "label").text, data.text);
        // Taps wait a moment after a change of action.
        wait(550);
        main.triggerComponent("bb_bt4", {
            "action": "released"
        });
        compare(controller.commands, [data.action]);
    }

    function test_resetStates() {
        for (const cID of ["bb_bt1", "bb_bt2", "bb_bt3", "bb_bt4"]) {
            main.setComponent(cID, {
                "text": "K"
            });
            main.setObjectState(cID, "error");
        }
        bar.resetStates();
        for (const cID of ["bb_bt1", "bb_bt2", "bb_bt3", "bb_bt4"]) sameColor(indicator(cID).color, "transparent")
    }

    function test_destroyedFurnitureIsDeaf() {
        bar.destroy();
        const furniture = createTemporaryObject(furnitureComponent, testCase.parent);
        const cIDs = ["bb_bt1", "wh1", "deviceName", "topBar", "usbAuxStatus"];
        let reads = controller.stateReads;
        for (const cID of cIDs) main.setObjectState(cID, "ok")
        verify(controller.stateReads >= reads + cIDs.length);
        furniture.destroy();
        wait(0);
        reads = controller.stateReads;
        for (const cID of cIDs) {
            main.setObjectState(cID, "");
            main.setComponent(cID, {
                "text": "late"
            });
            main.triggerComponent(cID, {
                "action": "released"
            });
        }
        compare(controller.stateReads, reads);
        compare(controller.commands, []);
    }

    name: "Buttonbar"
    width: 480
    height: 480
    when: windowShown

    ViewStub {
        id: controller
    }

    Component {
        id: barComponent

        Buttonbar {
        }

    }

    Component {
        id: furnitureComponent

        Item {
            Buttonbar {
            }

            Wheel {
            }

            Topbar {
                cID: "topBar"
            }

            Bottombar {
            }

        }

    }

    Component {
        id: spyComponent

        SignalSpy {
        }

    }

}
