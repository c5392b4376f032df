import QtQuick 2.12
import QtTest 1.12
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views

// The display standby from the configuration: whole minutes up to a week
// start the standby timer; anything else leaves the display on, logged once.
TestCase {
    id: testCase

    property var link: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
        link = Children.find(main, "appendQueue");
        verify(link !== null);
    }

    function configuration(standby) {
        return "<lumaConfig><hardwareConfig><device id=\"0-0\" displayStandby=\"" + standby + "\"/></hardwareConfig>" + "<hardwareDetect><device id=\"0-0\" model=\"HV\"><channel id=\"0\"/></device></hardwareDetect></lumaConfig>";
    }

    function test_standby_data() {
        return [{
            "tag": "five minutes",
            "standby": "5",
            "interval": 300000
        }, {
            "tag": "one week",
            "standby": "10080",
            "interval": 6.048e+08
        }, {
            "tag": "zero: no standby",
            "standby": "0",
            "interval": undefined
        }, {
            "tag": "absent: no standby",
            "standby": "",
            "interval": undefined
        }, {
            "tag": "a minute over a week",
            "standby": "10081",
            "interval": undefined,
            "refused": true
        }, {
            "tag": "overflowing number",
            "standby": "1e309",
            "interval": undefined,
            "refused": true
        }, {
            "tag": "huge number",
            "standby": "99999999999",
            "interval": undefined,
            "refused": true
        }, {
            "tag": "fraction of a minute",
            "standby": "0.001",
            "interval": undefined,
            "refused": true
        }, {
            "tag": "negative",
            "standby": "-5",
            "interval": undefined,
            "refused": true
        }, {
            "tag": "not a number",
            "standby": "constructor",
            "interval": undefined,
            "refused": true
        }];
    }

    function test_standby(data) {
        if (data.refused)
            ignoreWarning("ignoring the display standby \"" + data.standby + "\": not whole minutes from 0 to 10080");

        link.configurationReceived(configuration(data.standby));
        // No standby: no switch-off pending at all.
        const pending = function pending() {
            return main.displayTimer ? main.displayTimer.interval : undefined;
        };
        compare(pending(), data.interval);
        verify(!main.displayTimer || main.displayTimer.running);
        verify(main.displayIsOn);
        // The same value again is not logged again (a second warning fails).
        main.resetDisplayTimer();
        compare(pending(), data.interval);
    }

    name: "Standby"
}
