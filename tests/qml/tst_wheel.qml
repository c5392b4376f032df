import QtQuick 2.12
import QtTest 1.12
import "fixtures"
import "fixtures/views.js" as Views
import "qrc:/components"

// The on-screen wheel: turning, scroll position, drags, mouse wheel, the
// state colours and the physical wheel's press.
TestCase {
    id: testCase

    function initTestCase() {
        Views.waitForStart(testCase, main);
    }

    function init() {
        main.setObjectState("wh1", "");
    }

    function createWheel(properties) {
        const wheel = createTemporaryObject(wheelComponent, testCase.parent, properties);
        turnedSpy.target = wheel;
        turnedSpy.clear();
        return wheel;
    }

    function turns() {
        return turnedSpy.signalArguments.map(function(args) {
            return args[0];
        });
    }

    // Milliseconds until check() holds, polled finely; -1 after two seconds.
    function timeUntil(check) {
        const start = Date.now();
        while (!check()) {
            if (Date.now() - start > 2000)
                return -1;

            wait(5);
        }
        return Date.now() - start;
    }

    function background(wheel) {
        return String(findChild(wheel, "wheelBg").source).split("/").pop();
    }

    function test_move_data() {
        return [{
            "tag": "zero",
            "steps": 0,
            "turned": [],
            "inner": 0
        }, {
            "tag": "small step turns four degrees each",
            "steps": 3,
            "turned": [3],
            "inner": 12
        }, {
            "tag": "large step turns half a degree each",
            "steps": 10,
            "turned": [10],
            "inner": 5
        }, {
            "tag": "negative large step",
            "steps": -7,
            "turned": [-7],
            "inner": -3
        }, {
            "tag": "fraction is truncated",
            "steps": 2.9,
            "turned": [2],
            "inner": 11
        }, {
            "tag": "numeric text",
            "steps": "4",
            "turned": [4],
            "inner": 16
        }];
    }

    function test_move(data) {
        const wheel = createWheel();
        const inner = findChild(wheel, "inner");
        inner.rotation = 30;
        wheel.move(data.steps);
        compare(turns(), data.turned);
        compare(inner.rotation, 30 + data.inner);
    }

    function test_moveIgnoresNonNumbers() {
        const wheel = createWheel();
        ignoreWarning("Wheel: ignoring a turn by abc");
        wheel.move("abc");
        compare(turns(), []);
        compare(findChild(wheel, "inner").rotation, 0);
    }

    function test_unanimatedMoveKicksRing_data() {
        return [{
            "tag": "forward",
            "steps": 4,
            "rotation": -38
        }, {
            "tag": "backward",
            "steps": -9,
            "rotation": -43
        }];
    }

    function test_unanimatedMoveKicksRing(data) {
        const wheel = createWheel({
            "outerRotationTarget": -40
        });
        const outer = findChild(wheel, "outer");
        outer.rotation = -40;
        wheel.move(data.steps, false);
        compare(outer.rotation, data.rotation);
        // An animated turn glides the ring back to its target.
        wheel.move(1);
        tryCompare(outer, "rotation", -40, 1000);
    }

    function test_setScrollBar_data() {
        return [{
            "tag": "end of list",
            "percent": 100,
            "rotation": -80
        }, {
            "tag": "middle",
            "percent": 50,
            "rotation": -40
        }, {
            "tag": "top",
            "percent": 0,
            "rotation": 0
        }];
    }

    function test_setScrollBar(data) {
        const wheel = createWheel();
        const outer = findChild(wheel, "outer");
        outer.rotation = -20;
        wheel.setScrollBar(data.percent);
        verify(outer.rotation !== data.rotation);
        const elapsed = timeUntil(function() {
            return outer.rotation === data.rotation;
        });
        verify(elapsed >= 230 && elapsed < 1000, "glide took " + elapsed + " ms");
    }

    function test_setScrollBarIgnoresNonNumbers() {
        const wheel = createWheel();
        ignoreWarning("Wheel: ignoring a scroll position of undefined");
        wheel.setScrollBar(undefined);
        compare(wheel.outerRotationTarget, 0);
    }

    function test_stateLook_data() {
        return [{
            "tag": "base",
            "state": "",
            "image": "bg_grey.png"
        }, {
            "tag": "ok",
            "state": "ok",
            "image": "bg_green.png"
        }, {
            "tag": "warning",
            "state": "warning",
            "image": "bg_yellow.png"
        }, {
            "tag": "error",
            "state": "error",
            "image": "bg_red.png"
        }, {
            "tag": "active",
            "state": "active",
            "image": "bg_orange.png"
        }, {
            "tag": "unknown",
            "state": "blinking",
            "image": "bg_grey.png"
        }];
    }

    function test_stateLook(data) {
        const wheel = createWheel();
        main.setObjectState("wh1", "error");
        main.setObjectState("wh1", data.state);
        compare(background(wheel), data.image);
        verify(findChild(wheel, "wheelBg").status === Image.Ready);
    }

    function test_stateAtCreation() {
        main.setObjectState("wh1", "warning");
        const wheel = createWheel();
        compare(background(wheel), "bg_yellow.png");
    }

    function test_physicalPress() {
        const wheel = createWheel({
            "opacity": 0.4
        });
        const pressedSpy = createTemporaryObject(spyComponent, testCase, {
            "target": wheel,
            "signalName": "pressed"
        });
        main.setObjectState("wh1", "ok");
        main.triggerComponent("wh1", {
            "action": "pressed"
        });
        compare(background(wheel), "bg_orange.png");
        let elapsed = timeUntil(function() {
            return wheel.opacity === 1;
        });
        verify(elapsed >= 450 && elapsed < 1500, "fade in took " + elapsed + " ms");
        compare(pressedSpy.count, 0);
        main.triggerComponent("wh1", {
            "action": "released"
        });
        compare(background(wheel), "bg_green.png");
        compare(pressedSpy.count, 1);
        elapsed = timeUntil(function() {
            return Math.abs(wheel.opacity - 0.4) < 1e-06;
        });
        verify(elapsed >= 180 && elapsed < 450, "fade out took " + elapsed + " ms");
    }

    function test_triggers_data() {
        return [{
            "tag": "turned",
            "cID": "wh1",
            "params": {
                "action": "turned",
                "steps": -3
            },
            "turned": [-3],
            "image": "bg_grey.png"
        }, {
            "tag": "other component",
            "cID": "bb_bt1",
            "params": {
                "action": "pressed"
            },
            "turned": [],
            "image": "bg_grey.png"
        }, {
            "tag": "unknown action",
            "cID": "wh1",
            "params": {
                "action": "spun"
            },
            "turned": [],
            "image": "bg_grey.png"
        }, {
            "tag": "no params",
            "cID": "wh1",
            "params": undefined,
            "turned": [],
            "image": "bg_grey.png"
        }];
    }

    function test_triggers(data) {
        const wheel = createWheel();
        main.triggerComponent(data.cID, data.params);
        compare(turns(), data.turned);
        compare(background(wheel), data.image);
    }

    function test_mouseWheel_data() {
        return [{
            "tag": "one notch up",
            "delta": 120,
            "turned": [2]
        }, {
            "tag": "one notch down",
            "delta": -120,
            "turned": [-2]
        }, {
            "tag": "fine scroll below a step",
            "delta": 40,
            "turned": []
        }];
    }

    function test_mouseWheel(data) {
        const wheel = createWheel();
        mouseWheel(wheel, 165, 165, 0, data.delta);
        compare(turns(), data.turned);
        // Outside the round area nothing turns.
        mouseWheel(wheel, 20, 30, 0, data.delta);
        compare(turns(), data.turned);
    }

    // Points are in the wheel's coordinates; the round area is 300 x 280
    // around its centre (165, 165).
    function test_panelSwipe_data() {
        return [{
            "tag": "short swipe up gives one step",
            "from": 280,
            "to": 270,
            "turned": [1],
            "inner": 4
        }, {
            "tag": "long swipe up",
            "from": 280,
            "to": 180,
            "turned": [50],
            "inner": 25
        }, {
            "tag": "short swipe down gives one step back",
            "from": 100,
            "to": 104,
            "turned": [-1],
            "inner": -4
        }, {
            "tag": "pass without moving",
            "from": 200,
            "to": 200,
            "turned": [],
            "inner": 0
        }];
    }

    function test_panelSwipe(data) {
        const wheel = createWheel({
            "appMode": "Zandor"
        });
        const inner = findChild(wheel, "inner");
        mouseMove(testCase.parent, 400, 400);
        mouseMove(wheel, 165, data.from);
        mouseMove(wheel, 165, data.to);
        wait(40);
        // The feedback turn of the inner disc is undone at the end.
        mouseMove(testCase.parent, 400, 400);
        compare(turns(), data.turned);
        compare(inner.rotation, data.inner);
    }

    function test_panelPressDoesNotDrag() {
        const wheel = createWheel({
            "appMode": "Zandor"
        });
        mouseMove(wheel, 165, 200);
        mousePress(wheel, 165, 200);
        mouseMove(wheel, 165, 150);
        wait(40);
        mouseRelease(wheel, 165, 150);
        // Still inside: the swipe has not ended.
        compare(turns(), []);
    }

    function test_mouseDrag_data() {
        return [{
            "tag": "drag up",
            "from": 200,
            "to": 150,
            "turned": [100]
        }, {
            "tag": "drag down",
            "from": 150,
            "to": 160,
            "turned": [-20]
        }, {
            "tag": "click without moving",
            "from": 200,
            "to": 200,
            "turned": []
        }];
    }

    function test_mouseDrag(data) {
        const wheel = createWheel();
        const clickedSpy = createTemporaryObject(spyComponent, testCase, {
            "target": wheel,
            "signalName": "clicked"
        });
        mousePress(wheel, 165, data.from);
        mouseMove(wheel, 165, data.to);
        wait(40);
        mouseRelease(wheel, 165, data.to);
        compare(turns(), data.turned);
        compare(clickedSpy.count, 1);
    }

    function test_clicksDoNotTurn() {
        const wheel = createWheel();
        // Released before the drag was first sampled.
        mouseClick(wheel, 165, 200);
        compare(turns(), []);
        mousePress(wheel, 165, 200);
        mouseMove(wheel, 165, 150);
        wait(40);
        mouseRelease(wheel, 165, 150);
        compare(turns(), [100]);
        // A press outside the circle starts no drag, so its release turns nothing.
        mousePress(wheel, 20, 30);
        mouseRelease(wheel, 20, 30);
        compare(turns(), [100]);
    }

    function test_touchesOutsideTheCircleReachWhatIsBelow_data() {
        return [{
            "tag": "corner of the touch area",
            "x": 20,
            "y": 30,
            "below": 1,
            "wheel": 0
        }, {
            "tag": "right edge, level with the centre",
            "x": 310,
            "y": 165,
            "below": 1,
            "wheel": 0
        }, {
            "tag": "inside the circle",
            "x": 165,
            "y": 200,
            "below": 0,
            "wheel": 1
        }];
    }

    function test_touchesOutsideTheCircleReachWhatIsBelow(data) {
        const below = createTemporaryObject(belowComponent, testCase.parent);
        const wheel = createWheel();
        const clicked = createTemporaryObject(spyComponent, testCase, {
            "target": wheel,
            "signalName": "clicked"
        });
        mouseClick(wheel, data.x, data.y);
        compare(below.clicks, data.below);
        compare(clicked.count, data.wheel);
    }

    name: "Wheel"
    width: 480
    height: 480
    when: windowShown

    ViewStub {
        id: controller
    }

    SignalSpy {
        id: turnedSpy

        signalName: "turned"
    }

    Component {
        id: wheelComponent

        Wheel {
        }

    }

    Component {
        id: belowComponent

        MouseArea {
            property int clicks: 0

            width: 480
            height: 480
            onClicked: clicks++
        }

    }

    Component {
        id: spyComponent

        SignalSpy {
        }

    }

}
