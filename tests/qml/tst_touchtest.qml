import QtQuick 2.12
import QtTest 1.12
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views

// The touch test view inside the real root screen.
TestCase {
    id: testCase

    property var view: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
        main.parent = testCase.parent;
    }

    function init() {
        main.command("openHomescreen");
        main.command("openTest");
        compare(main.currentView, "Test");
        view = Children.find(main, "params").item;
    }

    function keyText(cID) {
        return findChild(findChild(view, cID), "label").text;
    }

    function marker() {
        return findChild(view, "marker");
    }

    function test_keysAreLabelled() {
        tryCompare(findChild(findChild(view, "bb_bt1"), "label"), "text", "BACK", 1000);
        compare(keyText("bb_bt2"), "HOME");
        compare(keyText("bb_bt3"), "");
        compare(keyText("bb_bt4"), "");
        verify(findChild(view, "buttonBar").visible);
    }

    function test_markerFollowsTaps_data() {
        return [{
            "tag": "centre",
            "x": 200,
            "y": 136
        }, {
            "tag": "top left",
            "x": 3,
            "y": 2
        }, {
            "tag": "the strip of a key next to the wheel",
            "x": 390,
            "y": 100
        }];
    }

    function test_markerFollowsTaps(data) {
        compare(marker().x, -5);
        compare(marker().y, -5);
        mouseClick(main, data.x, data.y);
        compare(marker().x, data.x - 5);
        compare(marker().y, data.y - 5);
        compare(main.currentView, "Test");
    }

    function test_keys_data() {
        return [{
            "tag": "back by touch",
            "touch": true,
            "x": 440,
            "y": 40,
            "cID": "bb_bt1",
            "view": "Home"
        }, {
            "tag": "home by touch",
            "touch": true,
            "x": 440,
            "y": 100,
            "cID": "bb_bt2",
            "view": "Home"
        }, {
            "tag": "back by panel key",
            "touch": false,
            "cID": "bb_bt1",
            "view": "Home"
        }];
    }

    function test_keys(data) {
        tryCompare(findChild(findChild(view, "bb_bt1"), "label"), "text", "BACK", 1000);
        if (data.touch) {
            mouseClick(main, data.x, data.y);
        } else {
            main.triggerComponent(data.cID, {
                "action": "pressed"
            });
            main.triggerComponent(data.cID, {
                "action": "released"
            });
        }
        compare(main.currentView, data.view);
    }

    function test_tapOnKeyDoesNotMoveMarker() {
        tryCompare(findChild(findChild(view, "bb_bt4"), "label"), "text", "", 1000);
        const blank = findChild(view, "bb_bt4");
        const point = blank.mapToItem(main, 60, 25);
        mouseClick(main, point.x, point.y);
        compare(marker().x, -5);
        compare(main.currentView, "Test");
    }

    name: "TouchTest"
    width: 480
    height: 272
    when: windowShown
}
