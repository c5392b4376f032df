import QtQuick 2.12
import QtTest 1.12
import "fixtures"
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views
import "qrc:/components"

// The event and error list: its title, rows, wheel, refresh and slide.
TestCase {
    id: testCase

    property var cache: null
    property var panel: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
        cache = Children.find(main, "addItem");
        // Paths of other lines than "0", so that no search sees another's records.
        for (const item of ["Event.currentTrip", "Event.voltageLimit", "Event.inhibit"]) cache.addItem("5.1.2", item, "1", "", "1700000000")
        cache.addItem("5.1.2", "Event.currentLimit", "0", "", "1700000000");
        cache.addItem("7.7.1", "Event.inhibit", "1", "", "1700000000");
        cache.addItem("8.8.12", "Error.currentTrip", "1", "", "1700000000");
        cache.addItem("8.8.13", "Error.currentTrip", "1", "", "1700000000");
    }

    function init() {
        panel = createTemporaryObject(panelComponent, testCase.parent);
        wh1.outerRotationTarget = 0;
    }

    function list() {
        return findChild(panel, "list");
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

    function test_title_data() {
        return [{
            "tag": "three events of a channel",
            "path": "5.1.2",
            "item": "Event",
            "count": 3,
            "title": "3 EVENTS FOR CHANNEL 2"
        }, {
            "tag": "one event of the device",
            "path": "7.7",
            "item": "Event",
            "count": 1,
            "title": "1 EVENT FOR ALL CHANNELS"
        }, {
            "tag": "longer path counts as all channels",
            "path": "8.8.1",
            "item": "Error",
            "count": 2,
            "title": "2 ERRORS FOR CHANNEL 1"
        }, {
            "tag": "six characters",
            "path": "8.8.12",
            "item": "Error",
            "count": 1,
            "title": "1 ERROR FOR ALL CHANNELS"
        }, {
            "tag": "none",
            "path": "9.9.9",
            "item": "Error",
            "count": 0,
            "title": "0 ERROR FOR CHANNEL 9"
        }];
    }

    function test_title(data) {
        const title = findChild(panel, "title");
        compare(title.font.capitalization, Font.AllUppercase);
        compare(title.text.toUpperCase(), "EVENTS / ERRORS");
        panel.setupList(data.path, data.item, 1, true);
        compare(title.text.toUpperCase(), data.title);
        compare(list().count, data.count);
    }

    function test_rows() {
        panel.setupList("7.7", "Event", 1, true);
        list().forceLayout();
        const row = list().itemAtIndex(0);
        const texts = [];
        for (let i = 0; i < row.children.length; ++i) {
            if (row.children[i].text !== undefined)
                texts.push(row.children[i].text);

        }
        compare(texts, [panel.timeStampToString(1.7e+09), "7.7.1", "Event.inhibit", "1 "]);
        compare(panel.currentItem.item, "Event.inhibit");
    }

    function test_longNamesStayInTheirColumns() {
        cache.addItem("6.6.3", "Event.externalInhibitActiveWithAVeryLongName", "1", "mA", "1700000000");
        panel.setupList("6.6", "Event", 1, true);
        list().forceLayout();
        const row = list().itemAtIndex(0);
        const texts = [];
        for (let i = 0; i < row.children.length; ++i) {
            if (row.children[i].text !== undefined)
                texts.push(row.children[i]);

        }
        // Each text ends before the next column begins.
        for (let i = 0; i + 1 < texts.length; ++i) verify(texts[i].x + Math.min(texts[i].width, texts[i].contentWidth) <= texts[i + 1].x, texts[i].text)
        verify(texts[2].truncated);
    }

    function test_wheel() {
        panel.setupList("5.1.2", "Event", 1, true);
        compare(list().currentIndex, 0);
        panel.wheelTurned(-1);
        compare(list().currentIndex, 1);
        compare(panel.currentItem, panel.messageData[1]);
        compare(wh1.outerRotationTarget, -26);
        panel.wheelTurned(-5);
        panel.wheelTurned(-1);
        compare(list().currentIndex, 2);
        compare(wh1.outerRotationTarget, -53);
        panel.wheelTurned(3);
        compare(list().currentIndex, 1);
    }

    function test_wheelOnEmptyList() {
        panel.setupList("9.9.9", "Event", 1, true);
        panel.wheelTurned(-1);
        panel.wheelTurned(1);
        compare(list().currentIndex, -1);
        compare(panel.currentItem, undefined);
        compare(wh1.outerRotationTarget, 0);
    }

    function test_tapSelectsRow() {
        panel.state = "event";
        panel.setupList("5.1.2", "Event", 1, true);
        tryCompare(panel, "y", 20, 1500);
        mouseClick(list(), 100, 50);
        compare(list().currentIndex, 2);
        compare(panel.currentItem.item, panel.messageData[2].item);
    }

    function test_refreshAfterUpdate() {
        cache.addItem("6.1.4", "Event.inhibit", "1", "", "1700000000");
        panel.setupList("6.1.4", "Event", 1, true);
        compare(list().count, 1);
        cache.addItem("6.1.4", "Event.currentLimit", "1", "", "1700000100");
        compare(list().count, 1);
        // A burst of updates is read once it settles.
        wait(100);
        cache.addItem("6.1.4", "Event.voltageLimit", "1", "", "1700000101");
        const elapsed = timeUntil(function() {
            return list().count === 3;
        });
        verify(elapsed >= 180 && elapsed < 600, "refresh after " + elapsed + " ms");
        compare(findChild(panel, "title").text.toUpperCase(), "3 EVENTS FOR CHANNEL 4");
    }

    // The list for all channels takes each channel's records, so each
    // channel's update refreshes it.
    function test_allChannelsRefreshOnChannelEvents() {
        panel.setupList("9.0", "Event", 1, true);
        compare(list().count, 0);
        cache.addItem("9.0.2", "Event.inhibit", "1", "", "1700000000");
        tryCompare(list(), "count", 1, 1000);
        compare(findChild(panel, "title").text.toUpperCase(), "1 EVENT FOR ALL CHANNELS");
        const shown = panel.messageData;
        cache.addItem("9.0.3", "Error.currentTrip", "1", "", "1700000000");
        wait(300);
        verify(panel.messageData === shown);
    }

    function test_otherUpdatesDoNotRefresh() {
        panel.setupList("5.1.2", "Event", 1, true);
        const shown = panel.messageData;
        cache.addItem("5.1.2", "Status.on", "1", "", "1700000100");
        cache.addItem("5.1.3", "Event.inhibit", "1", "", "1700000100");
        wait(300);
        verify(panel.messageData === shown);
    }

    function test_timeStampToString_data() {
        return [{
            "tag": "small fields are padded",
            "time": [3, 4, 5],
            "text": "03:04:05"
        }, {
            "tag": "end of day",
            "time": [23, 59, 9],
            "text": "23:59:09"
        }, {
            "tag": "midnight",
            "time": [0, 0, 0],
            "text": "00:00:00"
        }];
    }

    function test_timeStampToString(data) {
        const seconds = new Date(2024, 4, 17, data.time[0], data.time[1], data.time[2]).getTime() / 1000;
        compare(panel.timeStampToString(seconds), data.text);
        // The device reports its times as text.
        compare(panel.timeStampToString(String(seconds)), data.text);
    }

    function test_slide_data() {
        return [{
            "tag": "event",
            "from": "",
            "state": "event",
            "y": 20
        }, {
            "tag": "error",
            "from": "",
            "state": "error",
            "y": 20
        }, {
            "tag": "default",
            "from": "",
            "state": "default",
            "y": 20
        }, {
            "tag": "hidden",
            "from": "event",
            "state": "hidden",
            "y": -250
        }];
    }

    function test_slide(data) {
        panel.state = data.from;
        tryCompare(panel, "y", data.from === "" ? -250 : 20, 1500);
        const origin = panel.y;
        panel.state = data.state;
        const start = Date.now();
        wait(100);
        // Eased in: at most the in-out quadratic progress, which is well
        // behind a linear slide this early (the slide never leads the clock).
        const progress = (panel.y - origin) / (data.y - origin);
        const t = Math.min(Date.now() - start, 250) / 500;
        verify(progress > 0 && progress <= 2 * t * t + 0.05, "moved " + progress + " after " + (Date.now() - start) + " ms");
        verify(timeUntil(function() {
            return panel.y === data.y;
        }) >= 0);
        const elapsed = Date.now() - start;
        verify(elapsed >= 480 && elapsed < 1500, "slide took " + elapsed + " ms");
    }

    name: "Messages"
    width: 480
    height: 480
    when: windowShown

    ViewStub {
        id: controller
    }

    Wheel {
        id: wh1
    }

    Component {
        id: panelComponent

        Messages {
        }

    }

}
