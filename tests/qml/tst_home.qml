import QtQuick 2.12
import QtTest 1.12
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views

// The home view inside the real root screen: its furniture, its grid and
// the ways to open an application.
TestCase {
    id: testCase

    property var view: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
        // Shown in the test's window, so that pointer input reaches it.
        main.parent = testCase.parent;
        main.deviceName = "HV-TEST";
    }

    function init() {
        main.command("openHomescreen");
        view = Children.find(main, "params").item;
        compare(main.currentView, "Home");
    }

    function cell(index) {
        return findChild(view, "appsGrid").itemAtIndex(index);
    }

    function current() {
        return findChild(view, "appsGrid").currentIndex;
    }

    function turn(steps) {
        main.triggerComponent("wh1", {
            "action": "turned",
            "steps": steps
        });
    }

    function press(cID) {
        main.triggerComponent(cID, {
            "action": "pressed"
        });
        main.triggerComponent(cID, {
            "action": "released"
        });
    }

    function keyText(cID) {
        return findChild(findChild(findChild(view, "buttonBar"), cID), "label").text;
    }

    function test_furniture() {
        compare(findChild(view, "pathText").text, "HOME");
        compare(findChild(findChild(view, "homeButton"), "label").text, "HV-TEST");
        compare(keyText("bb_bt1"), "SELECT");
        for (const cID of ["bb_bt2", "bb_bt3", "bb_bt4"]) compare(keyText(cID), "")
        const captions = [];
        for (let i = 0; i < 3; ++i) captions.push(findChild(cell(i), "iconText").text)
        compare(captions, ["Control", "Graph", "Settings"]);
        compare(findChild(view, "appsGrid").count, 3);
        const ethernet = findChild(view, "ethernet");
        main.stateUpdated("ethernetStatus");
        compare(findChild(ethernet, "label").text, main.getObjectInfo("ethernetStatus").toUpperCase());
    }

    function test_softKeysOnlyWhileConnected() {
        const bar = findChild(view, "buttonBar");
        verify(!bar.visible);
        main.connected = true;
        verify(bar.visible);
        main.connected = false;
        verify(!bar.visible);
    }

    function test_wheelStopsAtLastCell() {
        compare(current(), 0);
        const highlight = findChild(view, "highlight");
        for (let i = 0; i < 3; ++i) turn(1)
        compare(current(), 2);
        compare(highlight.x, cell(2).x);
        compare(highlight.y, cell(2).y);
        compare(highlight.width, 125);
        turn(-4);
        compare(current(), 1);
        compare(highlight.x, cell(1).x);
        turn(-1);
        turn(-1);
        compare(current(), 0);
    }

    function test_highlightAboveCells() {
        const highlight = findChild(view, "highlight");
        verify(highlight.z > cell(0).z);
        verify(highlight.visible);
    }

    function test_gridCannotBeDragged() {
        const grid = findChild(view, "appsGrid");
        // From below the cells, so that no cell takes it as a tap.
        mouseDrag(grid, 200, 150, 0, -100);
        compare(grid.contentY, 0);
        mouseDrag(grid, 200, 150, 0, 80);
        compare(grid.contentY, 0);
        compare(main.currentView, "Home");
    }

    function test_clickOpensItsOwnCell() {
        turn(1);
        turn(1);
        compare(current(), 2);
        mouseClick(cell(0));
        compare(main.currentView, "Channellist");
        compare(main.currentViewParams, {
            "cID": "0.0"
        });
    }

    function test_openCurrent_data() {
        return [{
            "tag": "wheel press",
            "cID": "wh1"
        }, {
            "tag": "SELECT key",
            "cID": "bb_bt1"
        }];
    }

    function test_openCurrent(data) {
        turn(1);
        press(data.cID);
        compare(main.currentView, "Oscilloscope");
    }

    function test_pressedCell() {
        const background = findChild(cell(1), "bgImage");
        mousePress(cell(1));
        compare(String(background.source).split("/").pop(), "bg_icon_pressed.png");
        compare(findChild(cell(1), "iconImage").opacity, 1);
        compare(findChild(cell(1), "iconText").opacity, 1);
        compare(findChild(cell(0), "iconText").opacity, 0.5);
        // Dragging off and releasing opens nothing.
        mouseMove(cell(1), -100, -50);
        mouseRelease(cell(1), -100, -50);
        compare(String(background.source).split("/").pop(), "bg_icon.png");
        compare(findChild(cell(1), "iconImage").opacity, 0.5);
        compare(main.currentView, "Home");
    }

    function test_alerts() {
        const alert = findChild(view, "alert");
        main.alert("menu", "Device not connected", "warning");
        compare(findChild(alert, "message").text, "Device not connected");
        tryCompare(alert, "opacity", 1, 1000);
        main.alert("menu", "", "");
        tryCompare(alert, "opacity", 0, 1000);
    }

    function test_replacedViewIsDeaf() {
        main.changeView("Probe");
        // Let the replaced view go.
        wait(0);
        for (const cID of ["homescreen", "topBar", "deviceName", "bb_bt1", "wh1", "usbAuxStatus", "ethernetStatus"]) {
            main.setObjectState(cID, "ok");
            main.setComponent(cID, {
                "text": "late",
                "pathText": "late"
            });
            main.triggerComponent(cID, {
                "action": "released"
            });
            main.setObjectState(cID, "");
        }
        main.alert("menu", "late", "warning");
        main.alert("menu", "", "");
        main.viewChanged("Home");
        compare(main.currentView, "Probe");
    }

    function test_selectItemRefusesBadIndex() {
        ignoreWarning("Home: no application at 7");
        view.selectItem(7);
        compare(main.currentView, "Home");
        verify(view.currentItem === undefined);
    }

    name: "Home"
    width: 480
    height: 272
    when: windowShown
}
