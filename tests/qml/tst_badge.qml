import QtQuick 2.12
import QtTest 1.12
import "fixtures"
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views
import "qrc:/components"

// The badge's item rules and looks, and the round mouse area's circle.
TestCase {
    id: testCase

    property var cache: null
    property int nextChannel: 0

    function initTestCase() {
        Views.waitForStart(testCase, main);
        cache = Children.find(main, "addItem");
        verify(cache !== null);
    }

    // Every case watches its own path, so no value leaks between cases.
    function freshPath() {
        return "1.0." + nextChannel++;
    }

    function sameColor(actual, expected) {
        verify(Qt.colorEqual(actual, expected), actual + " is not " + expected);
    }

    function feed(path, values) {
        for (const item in values) cache.addItem(path, item, values[item], "", "100")
    }

    function test_look_data() {
        const grey = main.status_color_disabled;
        return [{
            "tag": "all zero stays off",
            "items": ["Status.currentTrip", "Event.currentTrip", "Error.currentTrip"],
            "values": {
                "Status.currentTrip": "0",
                "Event.currentTrip": "0",
                "Error.currentTrip": "0"
            },
            "bg": grey,
            "text": "#444"
        }, {
            "tag": "nothing cached stays off",
            "items": ["Status.currentTrip", "Event.currentTrip", "Error.currentTrip"],
            "values": {
            },
            "bg": grey,
            "text": "#444"
        }, {
            "tag": "empty value is not set",
            "items": ["Status.eventCounter", "", ""],
            "values": {
                "Status.eventCounter": ""
            },
            "bg": grey,
            "text": "#444"
        }, {
            "tag": "2 counts as set",
            "items": ["Status.eventCounter", "", ""],
            "values": {
                "Status.eventCounter": "2"
            },
            "bg": main.status_color_warning2,
            "text": "#FFFFFF"
        }, {
            "tag": "active status trips",
            "items": ["Status.currentTrip", "Event.currentTrip", "Error.currentTrip"],
            "values": {
                "Status.currentTrip": "1"
            },
            "bg": main.status_color_error,
            "text": "#FFFFFF"
        }, {
            "tag": "pending event warns",
            "items": ["Status.currentTrip", "Event.currentTrip", "Error.currentTrip"],
            "values": {
                "Status.currentTrip": "0",
                "Event.currentTrip": "1"
            },
            "bg": main.status_color_warning2,
            "text": "#FFFFFF"
        }, {
            "tag": "error wins over event",
            "items": ["Status.currentTrip", "Event.currentTrip", "Error.currentTrip"],
            "values": {
                "Status.currentTrip": "0",
                "Event.currentTrip": "1",
                "Error.currentTrip": "1"
            },
            "bg": main.status_color_error,
            "text": "#FFFFFF"
        }, {
            "tag": "control is ok",
            "items": ["Control.localControl", "", ""],
            "values": {
                "Control.localControl": "1"
            },
            "bg": main.status_color_ok,
            "text": "#FFFFFF"
        }, {
            "tag": "error counter",
            "items": ["Status.errorCounter", "", ""],
            "values": {
                "Status.errorCounter": "4"
            },
            "bg": main.status_color_error,
            "text": "#FFFFFF"
        }, {
            "tag": "other group is disabled",
            "items": ["Setup.inhibit", "", ""],
            "values": {
                "Setup.inhibit": "1"
            },
            "bg": grey,
            "text": "#444"
        }];
    }

    function test_look(data) {
        const path = freshPath();
        feed(path, data.values);
        const badge = createTemporaryObject(badgeComponent, testCase.parent, {
            "cID": path,
            "itemId": data.items[0],
            "itemId2": data.items[1],
            "itemId3": data.items[2],
            "label": "TRIP"
        });
        sameColor(findChild(badge, "bg").color, data.bg);
        sameColor(findChild(badge, "label").color, data.text);
        verify(badge.visible);
    }

    function test_dimmedUntilRead() {
        const path = freshPath();
        const badge = createTemporaryObject(badgeComponent, testCase.parent, {
            "cID": path,
            "itemId": "Status.errorCounter",
            "label": "ERRORS"
        });
        compare(badge.opacity, main.staleOpacity);
        feed(path, {
            "Status.errorCounter": "2"
        });
        compare(badge.opacity, 1);
        cache.markStale();
        compare(badge.opacity, main.staleOpacity);
        sameColor(findChild(badge, "bg").color, main.status_color_error);
        feed(path, {
            "Status.errorCounter": "0"
        });
        compare(badge.opacity, 1);
    }

    // An update of any of the three items refreshes the badge, and the
    // last set item decides its look.
    function test_followsEveryItem() {
        const path = freshPath();
        const badge = createTemporaryObject(badgeComponent, testCase.parent, {
            "cID": path,
            "itemId": "Status.currentTrip",
            "itemId2": "Event.currentTrip",
            "itemId3": "Error.currentTrip"
        });
        sameColor(findChild(badge, "bg").color, main.status_color_disabled);
        feed(path, {
            "Event.currentTrip": "1"
        });
        sameColor(findChild(badge, "bg").color, main.status_color_warning2);
        compare(badge.currentItem, "Event.currentTrip");
        feed(path, {
            "Error.currentTrip": "1"
        });
        sameColor(findChild(badge, "bg").color, main.status_color_error);
        compare(badge.currentItem, "Error.currentTrip");
        feed(path, {
            "Error.currentTrip": "0",
            "Event.currentTrip": "0"
        });
        sameColor(findChild(badge, "bg").color, main.status_color_disabled);
        // The deciding item is kept while nothing is set.
        compare(badge.currentItem, "Event.currentTrip");
        // Another channel's item of the same name is not this badge's.
        feed(freshPath(), {
            "Error.currentTrip": "1"
        });
        sameColor(findChild(badge, "bg").color, main.status_color_disabled);
    }

    // A badge moved to another channel (the channel view's are) follows that
    // channel's updates and no longer the old one's.
    function test_followsItsChannel() {
        const first = freshPath();
        const second = freshPath();
        const badge = createTemporaryObject(badgeComponent, testCase.parent, {
            "cID": first,
            "itemId": "Status.currentTrip"
        });
        badge.cID = second;
        feed(second, {
            "Status.currentTrip": "1"
        });
        sameColor(findChild(badge, "bg").color, main.status_color_error);
        feed(first, {
            "Status.currentTrip": "0"
        });
        sameColor(findChild(badge, "bg").color, main.status_color_error);
    }

    function test_hiddenInstanceShowsOnlyWhileSet() {
        const path = freshPath();
        const badge = createTemporaryObject(badgeComponent, testCase.parent, {
            "cID": path,
            "itemId": "Status.eventCounter",
            "visible": false
        });
        verify(!badge.visible);
        feed(path, {
            "Status.eventCounter": "3"
        });
        verify(badge.visible);
        feed(path, {
            "Status.eventCounter": "0"
        });
        verify(!badge.visible);
    }

    function test_fixedStyle_data() {
        return [{
            "tag": "EMGCY",
            "style": "error",
            "item": "Control.emergency",
            "bg": main.status_color_error
        }, {
            "tag": "LC",
            "style": "ok",
            "item": "Status.localControl",
            "bg": main.status_color_ok
        }];
    }

    function test_fixedStyle(data) {
        const path = freshPath();
        const row = createTemporaryObject(fixedStyleComponent, testCase.parent, {
            "path": path,
            "style": data.style,
            "item": data.item
        });
        const badge = row.itemAt(0);
        sameColor(findChild(badge, "bg").color, main.status_color_disabled);
        feed(path, {
            [data.item]: "1"
        });
        sameColor(findChild(badge, "bg").color, data.bg);
    }

    function test_clickReportsItem() {
        const path = freshPath();
        feed(path, {
            "Event.currentTrip": "1"
        });
        const badge = createTemporaryObject(badgeComponent, testCase.parent, {
            "cID": path,
            "itemId": "Status.currentTrip",
            "itemId2": "Event.currentTrip",
            "clickAction": "ShowEvents",
            "label": "TRIP"
        });
        const spy = createTemporaryObject(spyComponent, testCase.parent, {
            "target": badge,
            "signalName": "clicked"
        });
        mouseClick(badge);
        compare(spy.count, 1);
        compare(spy.signalArguments[0][0], "ShowEvents");
        compare(spy.signalArguments[0][1], {
            "path": path,
            "item": "Event.currentTrip"
        });
    }

    function test_sizeFollowsLabel() {
        const badge = createTemporaryObject(badgeComponent, testCase.parent, {
            "cID": freshPath(),
            "label": "INH"
        });
        const longer = createTemporaryObject(badgeComponent, testCase.parent, {
            "cID": freshPath(),
            "label": "INHIBIT"
        });
        compare(badge.height, 15);
        verify(badge.width > 4);
        verify(longer.width > badge.width);
        compare(findChild(badge, "label").font.pixelSize, 11);
        badge.height = 20;
        compare(findChild(badge, "label").font.pixelSize, 14);
    }

    function test_roundArea_data() {
        return [{
            "tag": "centre",
            "x": 150,
            "y": 140,
            "inside": true
        }, {
            "tag": "corner",
            "x": 5,
            "y": 5,
            "inside": false
        }, {
            "tag": "just inside the top",
            "x": 150,
            "y": 1,
            "inside": true
        }, {
            "tag": "on the circle",
            "x": 150,
            "y": 0,
            "inside": false
        }, {
            "tag": "left of the circle",
            "x": 8,
            "y": 140,
            "inside": false
        }, {
            "tag": "just inside the left",
            "x": 12,
            "y": 140,
            "inside": true
        }];
    }

    function test_roundArea(data) {
        const area = createTemporaryObject(roundComponent, testCase.parent);
        const clicked = createTemporaryObject(spyComponent, testCase.parent, {
            "target": area,
            "signalName": "clicked"
        });
        const pressed = createTemporaryObject(spyComponent, testCase.parent, {
            "target": area,
            "signalName": "pressed"
        });
        const released = createTemporaryObject(spyComponent, testCase.parent, {
            "target": area,
            "signalName": "released"
        });
        const wheel = createTemporaryObject(spyComponent, testCase.parent, {
            "target": area,
            "signalName": "wheel"
        });
        mousePress(area, data.x, data.y);
        compare(area.containsPress, data.inside);
        mouseRelease(area, data.x, data.y);
        mouseWheel(area, data.x, data.y, 0, 120);
        const forwarded = data.inside ? 1 : 0;
        compare(pressed.count, forwarded);
        compare(clicked.count, forwarded);
        compare(wheel.count, forwarded);
        // A press outside is not taken, so its release is not either.
        compare(released.count, forwarded);
        compare(area.containsMouse, data.inside);
    }

    function test_roundAreaHover() {
        const area = createTemporaryObject(roundComponent, testCase.parent);
        const entered = createTemporaryObject(spyComponent, testCase.parent, {
            "target": area,
            "signalName": "entered"
        });
        const excited = createTemporaryObject(spyComponent, testCase.parent, {
            "target": area,
            "signalName": "excited"
        });
        mouseMove(testCase, 400, 400);
        mouseMove(area, 5, 5);
        compare(entered.count, 1);
        verify(!area.containsMouse);
        mouseMove(area, 150, 140);
        verify(area.containsMouse);
        mouseMove(testCase, 400, 400);
        compare(excited.count, 1);
        verify(!area.containsMouse);
    }

    name: "Badge"
    width: 480
    height: 480
    when: windowShown

    ViewStub {
        id: controller
    }

    Component {
        id: badgeComponent

        Badge {
        }

    }

    Component {
        id: fixedStyleComponent

        Repeater {
            property string path
            property string style
            property string item

            Component.onCompleted: badgesModel.append({
                "_styleOn": style,
                "item": item
            })

            Badge {
                cID: path
                itemId: model.item
                label: "EMGCY"
            }

            model: ListModel {
                id: badgesModel
            }

        }

    }

    Component {
        id: roundComponent

        RoundMouseArea {
            width: 300
            height: 280
        }

    }

    Component {
        id: spyComponent

        SignalSpy {
        }

    }

}
