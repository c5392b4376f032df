import QtQuick 2.12
import QtTest 1.12
import "fixtures/views.js" as Views
import "qrc:/components"

// The alert strip: looks by state, the keyed stack and the fades.
TestCase {
    id: testCase

    property var bar: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
    }

    function init() {
        bar = createTemporaryObject(alertComponent, testCase.parent);
    }

    function sameColor(actual, expected) {
        verify(Qt.colorEqual(actual, expected), actual + " is not " + expected);
    }

    function shown() {
        return findChild(bar, "message").text;
    }

    function background() {
        return findChild(bar, "background").color;
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

    function test_look_data() {
        return [{
            "tag": "error",
            "state": "error",
            "opacity": 1,
            "background": main.status_color_error,
            "text": "#FFF"
        }, {
            "tag": "ok",
            "state": "ok",
            "opacity": 1,
            "background": main.status_color_ok,
            "text": "#FFF"
        }, {
            "tag": "success",
            "state": "success",
            "opacity": 1,
            "background": main.status_color_ok,
            "text": "#FFF"
        }, {
            "tag": "warning",
            "state": "warning",
            "opacity": 1,
            "background": main.status_color_warning,
            "text": "#000"
        }, {
            "tag": "unlisted state",
            "state": "message",
            "opacity": 0,
            "background": main.status_color_default,
            "text": "#FFF"
        }];
    }

    function test_look(data) {
        bar.add("type", "Some text", data.state);
        tryCompare(bar, "opacity", data.opacity, 1000);
        sameColor(background(), data.background);
        sameColor(findChild(bar, "message").color, data.text);
        compare(shown(), "Some text");
        compare(findChild(bar, "message").font.capitalization, Font.AllUppercase);
    }

    function test_menuThenSuccess() {
        bar.add("menu", "Device not connected", "warning");
        bar.add("success", "Reset successful", "ok");
        compare(shown(), "Reset successful");
        sameColor(background(), main.status_color_ok);
        bar.remove("success");
        compare(shown(), "Device not connected");
        sameColor(background(), main.status_color_warning);
        tryCompare(bar, "opacity", 1, 1000);
        bar.remove("menu");
        const elapsed = timeUntil(function() {
            return bar.opacity === 0;
        });
        verify(elapsed >= 180 && elapsed < 450, "fade out took " + elapsed + " ms");
        // The text fades with the bar.
        compare(shown(), "Device not connected");
    }

    function test_fadeIn() {
        bar.add("menu", "Device not connected", "warning");
        verify(bar.opacity < 1);
        const elapsed = timeUntil(function() {
            return bar.opacity === 1;
        });
        verify(elapsed >= 450 && elapsed < 1500, "fade in took " + elapsed + " ms");
    }

    function test_readdedTypeKeepsItsPlace() {
        bar.add("a", "first a", "warning");
        bar.add("b", "only b", "error");
        bar.add("a", "second a", "ok");
        compare(shown(), "second a");
        bar.add("c", "only c", "warning");
        bar.remove("c");
        compare(shown(), "only b");
        sameColor(background(), main.status_color_error);
        bar.remove("b");
        compare(shown(), "second a");
        sameColor(background(), main.status_color_ok);
    }

    function test_emptyAddWithdraws() {
        bar.add("menu", "Device not connected", "warning");
        bar.add("firmwareUpdate", "Updating", "error");
        bar.add("firmwareUpdate", "", "");
        compare(shown(), "Device not connected");
        sameColor(background(), main.status_color_warning);
    }

    function test_absentTypesChangeNothing() {
        bar.add("menu", "Device not connected", "warning");
        bar.add("never", "", "");
        bar.remove("other");
        compare(shown(), "Device not connected");
        sameColor(background(), main.status_color_warning);
        compare(Object.keys(bar.messages), ["menu"]);
    }

    name: "Alert"
    width: 480
    height: 480
    when: windowShown

    Component {
        id: alertComponent

        Alert {
            y: 250
            height: 22
        }

    }

}
