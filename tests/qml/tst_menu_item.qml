import QtQuick 2.12
import QtTest 1.12
import "fixtures/children.js" as Children
import "fixtures/views.js" as Views
import "qrc:/components"

// One settings row on small entries of its own: reading, formatting,
// stepping, typing and the states, against the real root screen, cache and
// configuration store.
TestCase {
    id: testCase

    property var cache: null
    property var config: null

    function initTestCase() {
        Views.waitForStart(testCase, main);
        cache = Children.find(main, "addItem");
        config = Children.find(main, "getNumberOfChildren");
        verify(cache !== null && config !== null);
    }

    function init() {
        main.setObjectState("wh1", "");
        main.selectedChannel = {
            "cID": "0.0.1",
            "chIndex": "1",
            "chLabel": "CHANNEL 1"
        };
        controller.blocked = {
        };
        valueSpy.clear();
        refusedSpy.clear();
    }

    function makeRow(entry) {
        // Shown in the test's window, so that it draws and takes the pointer.
        const row = createTemporaryObject(rowComponent, testCase.parent, {
            "entry": entry,
            "view": controller
        });
        verify(row !== null);
        valueSpy.target = row;
        refusedSpy.target = row;
        return row;
    }

    // A numeric entry without a source, holding the given value in edit.
    function numericRow(value, roles) {
        const entry = {
            "_action": "edit",
            "_inputType": "numeric"
        };
        for (const key in roles) entry[key] = roles[key]
        const row = makeRow(entry);
        row.updateValue(value);
        row.edit();
        return row;
    }

    function field(row) {
        return findChild(row, "valueField");
    }

    function store(xml) {
        verify(config.setConfiguration("<lumaConfig>" + xml + "</lumaConfig>"));
    }

    // The row reports a refusal or a clamp to its view; the wheel is the
    // view's to colour.
    function refusedWith(state) {
        verify(refusedSpy.count > 0);
        compare(refusedSpy.signalArguments[refusedSpy.count - 1][0], state);
    }

    function test_creation_data() {
        return [{
            "tag": "device item at the selected channel",
            "entry": {
                "_action": "edit",
                "_dataSource": "LUMA",
                "_itemID": "Control.voltageSet"
            },
            "cID": "0.0.1",
            "itemID": "Control.voltageSet"
        }, {
            "tag": "device level",
            "entry": {
                "_action": "readonly",
                "_dataSource": "LUMA",
                "_dataPath": "0.0",
                "_itemID": "Status.temperature"
            },
            "cID": "0.0",
            "itemID": "Status.temperature"
        }, {
            "tag": "system level",
            "entry": {
                "_action": "edit",
                "_dataSource": "LUMA",
                "_dataPath": "",
                "_itemID": "System.time"
            },
            "cID": "",
            "itemID": "System.time"
        }, {
            "tag": "own id with the channel put in",
            "entry": {
                "_action": "edit",
                "_dataSource": "config",
                "_cID": "cfgItemChPolarity",
                "_itemID": "hardwareConfig/device@id=0-0/channel@id=%(chIdx)/@polarity"
            },
            "cID": "cfgItemChPolarity",
            "itemID": "hardwareConfig/device@id=0-0/channel@id=1/@polarity"
        }, {
            "tag": "no source",
            "entry": {
                "_action": "menu"
            },
            "cID": "",
            "itemID": ""
        }];
    }

    function test_creation(data) {
        const row = makeRow(data.entry);
        compare(row.cID, data.cID);
        compare(row.resolvedItemID, data.itemID);
    }

    function test_readsItsSource_data() {
        return [{
            "tag": "configuration",
            "entry": {
                "_action": "edit",
                "_dataSource": "config",
                "_cID": "cfgItemStandby",
                "_itemID": "hardwareConfig/device@id=0-0/@displayStandby"
            },
            "value": "10",
            "unit": ""
        }, {
            "tag": "device item with its unit",
            "entry": {
                "_action": "readonly",
                "_dataSource": "LUMA",
                "_dataPath": "0.0",
                "_itemID": "Status.voltageLimit"
            },
            "value": "3000.000",
            "unit": "V"
        }, {
            "tag": "remote settings",
            "entry": {
                "_action": "edit",
                "_dataSource": "remoteConfig",
                "_cID": "remoteCfgItemPort",
                "_itemID": "port"
            },
            "value": main.getRemoteConfig("port"),
            "unit": ""
        }];
    }

    function test_readsItsSource(data) {
        store("<hardwareConfig><device id=\"0-0\" displayStandby=\"10\"/></hardwareConfig>");
        cache.addItem("0.0", "Status.voltageLimit", "3000.000", "V", "1");
        const row = makeRow(data.entry);
        compare(row.itemValue, data.value);
        compare(row.itemUnit, data.unit);
        compare(field(row).text, data.value);
        compare(findChild(row, "unitField").text, data.unit);
        verify(row.isEditable);
        compare(row.state, data.entry._action === "readonly" ? "readonly" : "");
    }

    function test_uncachedItemShowsEmptyThenValue() {
        const row = makeRow({
            "_action": "edit",
            "_dataSource": "LUMA",
            "_itemID": "Control.currentRampspeedUp"
        });
        compare(row.itemValue, "");
        verify(row.isEditable);
        cache.addItem("0.0.1", "Control.currentRampspeedUp", "2.5", "mA/s", "1");
        compare(row.itemValue, "2.5");
        compare(row.itemUnit, "mA/s");
    }

    function test_noValueBeforeFirstRead() {
        const row = createTemporaryObject(rowComponent, testCase.parent, {
            "entry": {
                "_action": "command",
                "_dataSource": "config"
            }
        });
        // A command entry never reads: it stays at "n/a" and is not editable.
        compare(row.itemValueLabel, "n/a");
        verify(!row.isEditable);
    }

    function test_generateLabel_data() {
        return [{
            "tag": "leading zeros, two decimals",
            "value": "5",
            "roles": {
                "_digits": 2,
                "_addLeadingZeros": true
            },
            "label": "0005.00"
        }, {
            "tag": "leading zeros, three decimals",
            "value": "5.2",
            "roles": {
                "_digits": 3,
                "_addLeadingZeros": true
            },
            "label": "0005.200"
        }, {
            "tag": "negative",
            "value": "-12.345",
            "roles": {
                "_digits": 3,
                "_addLeadingZeros": true
            },
            "label": "-0012.345"
        }, {
            "tag": "four integer digits",
            "value": "1234.5",
            "roles": {
                "_digits": 3,
                "_addLeadingZeros": true
            },
            "label": "1234.500"
        }, {
            "tag": "rounding up to the next ten",
            "value": "9.9996",
            "roles": {
                "_digits": 3,
                "_addLeadingZeros": true
            },
            "label": "0010.000"
        }, {
            "tag": "no leading zeros",
            "value": "0.05",
            "roles": {
                "_digits": 4
            },
            "label": "0.0500"
        }, {
            "tag": "no decimals",
            "value": "-12.6",
            "roles": {
                "_digits": 0
            },
            "label": "-13"
        }, {
            "tag": "unformatted",
            "value": "12.60",
            "roles": {
            },
            "label": "12.60"
        }, {
            "tag": "not a number",
            "value": "abc",
            "roles": {
                "_digits": 2
            },
            "label": "abc"
        }];
    }

    function test_generateLabel(data) {
        const row = numericRow(data.value, data.roles);
        compare(row.itemValueLabel, data.label);
        compare(field(row).text, data.label);
    }

    function test_digitWalk() {
        const row = numericRow("5", {
            "_digits": 2,
            "_addLeadingZeros": true
        });
        compare(field(row).text, "0005.00");
        // Each step: [after DIGIT (towards higher digits), selection start].
        const walk = [[0, 3], [1, 2], [2, 1], [3, 0], [-2, 6], [-1, 5], [0, 3]];
        compare([row.exponent, field(row).selectionStart], walk[0]);
        for (let i = 1; i < walk.length; ++i) {
            row.changeDigit(false);
            compare([row.exponent, field(row).selectionStart], walk[i], "DIGIT press " + i);
            compare(field(row).selectedText.length, 1);
        }
        // Towards lower digits the last decimal wraps to the thousands.
        row.changeDigit(true);
        row.changeDigit(true);
        compare(row.exponent, -2);
        row.changeDigit(true);
        compare([row.exponent, field(row).selectionStart], [3, 0]);
    }

    function test_digitWalkSkipsSign() {
        const row = numericRow("-12.345", {
            "_digits": 3,
            "_addLeadingZeros": true
        });
        compare(field(row).text, "-0012.345");
        row.exponent = 3;
        row.selectDigit();
        compare(field(row).selectedText, "0");
        compare(field(row).selectionStart, 1);
        row.changeDigit(false);
        compare(row.exponent, -3);
        compare(field(row).selectionStart, 8);
        // Towards lower digits the lowest wraps past the sign.
        row.changeDigit(true);
        compare(row.exponent, 3);
        compare(field(row).selectionStart, 1);
    }

    function test_numericSteps_data() {
        return [{
            "tag": "units digit, ten steps cut to a multiple of ten",
            "value": "123",
            "exponent": 0,
            "steps": 10,
            "result": "130"
        }, {
            "tag": "units digit, small steps",
            "value": "123",
            "exponent": 0,
            "steps": -3,
            "result": "120"
        }, {
            "tag": "first decimal, twenty steps limited to ten",
            "value": "1.25",
            "exponent": -1,
            "steps": 20,
            "result": "2.25"
        }, {
            "tag": "first decimal, five steps limited to one",
            "value": "1.25",
            "exponent": -1,
            "steps": 5,
            "result": "1.35"
        }, {
            "tag": "second decimal down",
            "value": "1.25",
            "exponent": -2,
            "steps": -1,
            "result": "1.24"
        }, {
            "tag": "tens digit, few steps",
            "value": "123",
            "exponent": 1,
            "steps": 3,
            "result": "153"
        }, {
            "tag": "tens digit, many steps limited to ten and cut",
            "value": "123",
            "exponent": 1,
            "steps": 15,
            "result": "220"
        }, {
            "tag": "hundreds digit, one step whatever the count",
            "value": "123",
            "exponent": 2,
            "steps": -40,
            "result": "23"
        }, {
            "tag": "units digit, a hundred steps cut to a multiple of a hundred",
            "value": "123",
            "exponent": 0,
            "steps": 100,
            "result": "200"
        }, {
            "tag": "above the maximum",
            "value": "4090",
            "exponent": 0,
            "steps": 9,
            "roles": {
                "_max": 4095
            },
            "result": "4095",
            "flash": "warning"
        }, {
            "tag": "below the minimum",
            "value": "3",
            "exponent": 0,
            "steps": -5,
            "roles": {
                "_min": 1
            },
            "result": "1",
            "flash": "warning"
        }, {
            "tag": "negative value keeps its sign",
            "value": "-500",
            "exponent": 2,
            "steps": 1,
            "roles": {
                "_handleAbsolute": true
            },
            "result": "-600"
        }, {
            "tag": "negative value towards zero",
            "value": "-500",
            "exponent": 2,
            "steps": -1,
            "roles": {
                "_handleAbsolute": true
            },
            "result": "-400"
        }, {
            "tag": "limits apply to the magnitude",
            "value": "-500",
            "exponent": 2,
            "steps": 1,
            "roles": {
                "_handleAbsolute": true,
                "_min": 0,
                "_max": 550
            },
            "result": "-550",
            "flash": "warning"
        }, {
            "tag": "magnitude stops at the minimum",
            "value": "-500",
            "exponent": 0,
            "steps": -600,
            "roles": {
                "_handleAbsolute": true,
                "_min": 0
            },
            "result": "0",
            "flash": "warning"
        }];
    }

    function test_numericSteps(data) {
        const row = numericRow(data.value, data.roles || {
        });
        row.exponent = data.exponent;
        row.changeValueBySteps(data.steps);
        compare(row.itemValue, data.result);
        compare(valueSpy.count, 1);
        if (data.flash)
            refusedWith(data.flash);
        else
            compare(refusedSpy.count, 0);
    }

    function test_stepsKeepTheFormatAndCursor() {
        const row = numericRow("1.25", {
            "_digits": 2,
            "_addLeadingZeros": true
        });
        row.exponent = -1;
        row.changeValueBySteps(5);
        compare(field(row).text, "0001.35");
        compare(field(row).selectedText, "3");
        // Repeated decimal steps gather no rounding noise.
        for (let i = 0; i < 7; ++i) row.changeValueBySteps(1)
        compare(row.itemValue, "2.05");
    }

    function test_stepsOnNoNumber() {
        const row = numericRow("", {
            "_digits": 2
        });
        row.changeValueBySteps(1);
        compare(row.itemValue, "");
        compare(valueSpy.count, 0);
    }

    function test_timeAndDate_data() {
        return [{
            "tag": "time rounds to ten seconds first",
            "type": "time",
            "value": "13:00:04",
            "steps": 1,
            "result": "13:00:10"
        }, {
            "tag": "time over midnight",
            "type": "time",
            "value": "23:59:55",
            "steps": 1,
            "result": "00:00:10"
        }, {
            "tag": "time back over midnight",
            "type": "time",
            "value": "00:00:03",
            "steps": -1,
            "result": "23:59:50"
        }, {
            "tag": "time many steps",
            "type": "time",
            "value": "09:59:30",
            "steps": 9,
            "result": "10:01:00"
        }, {
            "tag": "date over the year",
            "type": "date",
            "value": "2020-12-31",
            "steps": 1,
            "result": "2021-01-01"
        }, {
            "tag": "date back to a leap day",
            "type": "date",
            "value": "2020-03-01",
            "steps": -1,
            "result": "2020-02-29"
        }, {
            "tag": "date back in a common year",
            "type": "date",
            "value": "2021-03-01",
            "steps": -1,
            "result": "2021-02-28"
        }, {
            "tag": "date by a month of steps",
            "type": "date",
            "value": "2020-05-20",
            "steps": 15,
            "result": "2020-06-04"
        }];
    }

    function test_timeAndDate(data) {
        const row = makeRow({
            "_action": "edit",
            "_inputType": data.type
        });
        row.updateValue(data.value);
        row.edit();
        row.changeValueBySteps(data.steps);
        compare(row.itemValue, data.result);
        compare(field(row).text, data.result);
        compare(valueSpy.count, 1);
    }

    function test_timeAndDateThatDoNotParse_data() {
        return [{
            "tag": "no date",
            "type": "date",
            "value": "n/a"
        }, {
            "tag": "impossible date",
            "type": "date",
            "value": "2021-02-30"
        }, {
            "tag": "impossible time",
            "type": "time",
            "value": "25:00:00"
        }];
    }

    function test_timeAndDateThatDoNotParse(data) {
        const row = makeRow({
            "_action": "edit",
            "_inputType": data.type
        });
        row.updateValue(data.value);
        row.edit();
        ignoreWarning(new RegExp("cannot step the " + data.type));
        row.changeValueBySteps(1);
        compare(row.itemValue, data.value);
        compare(valueSpy.count, 0);
        // Typed text is checked before it becomes the value.
        ignoreWarning(new RegExp("refusing"));
        verify(!row.acceptTextInput());
        compare(row.itemValue, data.value);
        refusedWith("error");
    }

    function test_typedInputChecked_data() {
        return [{
            "tag": "date",
            "type": "date",
            "typed": "2021-06-15",
            "accepted": true
        }, {
            "tag": "date without leading zeros",
            "type": "date",
            "typed": "2021-6-15",
            "accepted": false
        }, {
            "tag": "time",
            "type": "time",
            "typed": "07:05:00",
            "accepted": true
        }, {
            "tag": "ip",
            "type": "ip",
            "typed": "10.0.0.254",
            "accepted": true
        }, {
            "tag": "ip with a short part list",
            "type": "ip",
            "typed": "10.0.0",
            "accepted": false
        }, {
            "tag": "ip part too large",
            "type": "ip",
            "typed": "10.0.0.256",
            "accepted": false
        }, {
            "tag": "numeric half typed",
            "type": "numeric",
            "typed": "-",
            "accepted": false
        }, {
            "tag": "text",
            "type": "text",
            "typed": "any name",
            "accepted": true
        }];
    }

    function test_typedInputChecked(data) {
        const row = makeRow({
            "_action": "edit",
            "_inputType": data.type
        });
        row.updateValue("old");
        row.edit();
        for (const key of data.typed) row.keyAction(key)
        compare(row.itemValueLabel, data.typed);
        if (!data.accepted)
            ignoreWarning(new RegExp("refusing"));

        compare(row.acceptTextInput(), data.accepted);
        compare(row.itemValue, data.accepted ? data.typed : "old");
        // Refused text stays to be corrected.
        compare(row.keyboardActive, !data.accepted);
        compare(row.itemValueLabel, data.typed);
    }

    function test_keys_data() {
        return [{
            "tag": "digits replace the shown value",
            "keys": ["1", "2", ".", "5"],
            "label": "12.5"
        }, {
            "tag": "a first digit below the minimum can still grow",
            "roles": {
                "_min": 2
            },
            "keys": ["1", "0"],
            "label": "10"
        }, {
            "tag": "a first zero with the minimum 0.001",
            "roles": {
                "_min": 0.001,
                "_digits": 3
            },
            "keys": ["0", ".", "5"],
            "label": "0.5"
        }, {
            "tag": "all decimals typed below the minimum",
            "roles": {
                "_min": 0.001,
                "_digits": 3
            },
            "keys": ["0", ".", "0", "0", "0"],
            "label": "0.00",
            "flash": "warning"
        }, {
            "tag": "not a number",
            "keys": ["1", "a"],
            "label": "1",
            "flash": "error"
        }, {
            "tag": "not a number first",
            "keys": ["x"],
            "label": "",
            "flash": "error"
        }, {
            "tag": "above the maximum",
            "roles": {
                "_max": 4095
            },
            "keys": ["4", "0", "9", "6"],
            "label": "409",
            "flash": "warning"
        }, {
            "tag": "negative magnitude within the limits",
            "roles": {
                "_min": 0,
                "_max": 600,
                "_handleAbsolute": true
            },
            "keys": ["-", "5", "0", "0"],
            "label": "-500"
        }, {
            "tag": "delete empties",
            "keys": ["1", "2", "delete", "7"],
            "label": "7"
        }, {
            "tag": "return does nothing",
            "keys": ["3", "return"],
            "label": "3"
        }];
    }

    function test_keys(data) {
        const row = numericRow("55", data.roles || {
        });
        if (data.flash)
            ignoreWarning(new RegExp("refusing"));

        for (const key of data.keys) row.keyAction(key)
        compare(row.itemValueLabel, data.label);
        verify(row.keyboardActive);
        if (data.flash)
            refusedWith(data.flash);
        else
            compare(refusedSpy.count, 0);
        // Typing does not touch the value until it is taken over.
        compare(row.itemValue, "55");
    }

    function test_textKeys() {
        const row = makeRow({
            "_action": "edit",
            "_inputType": "text"
        });
        row.updateValue("abc");
        row.edit();
        row.keyAction("x");
        row.keyAction("y");
        row.keyAction("backspace");
        compare(row.itemValueLabel, "x");
        row.keyAction("delete");
        row.keyAction("delete");
        compare(row.itemValueLabel, "");
    }

    // A refused key or a clamped step leaves the wheel as the view set it.
    function test_refusalLeavesTheWheelToTheView() {
        main.setObjectState("wh1", "active");
        const row = numericRow("5", {
            "_max": 9
        });
        ignoreWarning(new RegExp("refusing \"10\""));
        row.keyAction("1");
        row.keyAction("0");
        refusedWith("warning");
        row.exponent = 0;
        row.changeValueBySteps(7);
        compare(row.itemValue, "9");
        compare(refusedSpy.count, 2);
        compare(main.getObjectState("wh1"), "active");
    }

    function test_selectSteps_data() {
        return [{
            "tag": "up",
            "value": "b",
            "steps": 1,
            "result": ["a", "Alpha"]
        }, {
            "tag": "down",
            "value": "b",
            "steps": -3,
            "result": ["c", "Gamma"]
        }, {
            "tag": "top end",
            "value": "a",
            "steps": 1,
            "result": ["a", "Alpha"]
        }, {
            "tag": "bottom end",
            "value": "c",
            "steps": -1,
            "result": ["c", "Gamma"]
        }, {
            "tag": "not among the choices, up",
            "value": "x",
            "steps": 1,
            "result": ["x", ""]
        }, {
            "tag": "not among the choices, down",
            "value": "x",
            "steps": -1,
            "result": ["b", "Beta"]
        }];
    }

    function test_selectSteps(data) {
        const row = makeRow({
            "_action": "edit",
            "_inputType": "select",
            "_selectOptions": [{
                "value": "a",
                "label": "Alpha"
            }, {
                "value": "b",
                "label": "Beta"
            }, {
                "value": "c",
                "label": "Gamma"
            }]
        });
        row.updateValue(data.value);
        compare(row.itemValueLabel, data.value === "x" ? "" : row.options.find(function(option) {
            return option.value === data.value;
        }).label);
        row.edit();
        verify(findChild(row, "arrows").visible);
        row.changeValueBySteps(data.steps);
        compare([row.itemValue, row.itemValueLabel], data.result);
        compare(valueSpy.count, 1);
        // Applying keeps the value, not the shown label.
        verify(row.acceptTextInput());
        compare(row.itemValue, data.result[0]);
    }

    function test_channelModes_data() {
        return [{
            "tag": "two modes",
            "voltages": "6000,3000",
            "currents": "0.004,0.008",
            "options": [{
                "value": "6000",
                "label": "6 kV / 4 mA"
            }, {
                "value": "3000",
                "label": "3 kV / 8 mA"
            }]
        }, {
            "tag": "fractions without rounding noise",
            "voltages": "500.5",
            "currents": "0.0003",
            "options": [{
                "value": "500",
                "label": "0.5005 kV / 0.3 mA"
            }]
        }, {
            "tag": "not yet received",
            "voltages": "",
            "currents": "",
            "options": [{
                "value": "-",
                "label": "not yet received"
            }]
        }];
    }

    function test_channelModes(data) {
        store("<hardwareConfig><device id=\"0-0\"><channel id=\"1\" voltageMode=\"3000\"/></device></hardwareConfig>" + "<hardwareDetect><device id=\"0-0\"><channel id=\"1\" voltageMode=\"3000\" voltageModeList=\"" + data.voltages + "\" currentModeList=\"" + data.currents + "\"/></device></hardwareDetect>");
        const row = makeRow({
            "_action": "edit",
            "_inputType": "select",
            "_dataSource": "config",
            "_cID": "cfgItemChOutMode",
            "_itemID": "hardwareConfig/device@id=0-0/channel@id=%(chIdx)/@voltageMode",
            "_selectOptionsDynamic": "channelModes",
            "_selectOptions": [{
                "value": "-",
                "label": "not yet received"
            }]
        });
        compare(row.getSelectOptions(), data.options);
        compare(row.itemValueLabel, data.voltages === "6000,3000" ? "3 kV / 8 mA" : "");
        // The fixed list serves again once the built list is empty.
        compare(row.entry._selectOptions.length, 1);
    }

    // The file list arrives after the row is built: the row shows the
    // first file then, and follows later lists, also while edited.
    function test_configFiles() {
        main.configFilesOnUsb = [];
        const row = makeRow({
            "_action": "edit",
            "_inputType": "select",
            "_dataSource": "configFiles",
            "_cID": "cfgItemRestoreConfig",
            "_itemID": "usb/configFiles",
            "_selectOptionsDynamic": "configFiles"
        });
        compare(row.itemValueLabel, "");
        main.configFilesOnUsb = ["bench_1.xml", "other.xml"];
        compare(row.files, ["bench_1.xml", "other.xml"]);
        compare([row.itemValue, row.itemValueLabel], ["bench_1.xml", "bench_1.xml"]);
        row.edit();
        row.changeValueBySteps(-1);
        compare(row.itemValue, "other.xml");
        main.configFilesOnUsb = ["other.xml", "third.xml"];
        compare(row.itemValue, "other.xml");
        main.configFilesOnUsb = ["third.xml"];
        compare([row.itemValue, row.itemValueLabel], ["third.xml", "third.xml"]);
        main.configFilesOnUsb = [];
        compare(row.itemValue, "");
        row.closeEdit();
    }

    // "n/a" is a value like any other: editability is the row's own.
    function test_valueNaIsEditable() {
        store("<wifi><ssid>n/a</ssid></wifi>");
        const row = makeRow({
            "_action": "edit",
            "_inputType": "text",
            "_cID": "cfgItemWifiSSID",
            "_dataSource": "config",
            "_itemID": "wifi/ssid"
        });
        compare(row.itemValueLabel, "n/a");
        verify(row.isEditable);
        wait(1100);
        verify(row.isEditable);
    }

    function test_mismatch_data() {
        return [{
            "tag": "detected value empty",
            "configured": "50",
            "detected": "",
            "badge": "CONFIG MISMATCH ()"
        }, {
            "tag": "detected value differs",
            "configured": "50",
            "detected": "100",
            "badge": "CONFIG MISMATCH (100)"
        }, {
            "tag": "same",
            "configured": "50",
            "detected": "50",
            "badge": ""
        }];
    }

    function test_mismatch(data) {
        const xml = function xml(configured, detected) {
            return "<hardwareConfig><device id=\"0-0\" adcSampleRate=\"" + configured + "\"/></hardwareConfig>" + "<hardwareDetect><device id=\"0-0\" adcSampleRate=\"" + detected + "\"/></hardwareDetect>";
        };
        store(xml(data.configured, data.detected));
        const row = makeRow({
            "_action": "edit",
            "_inputType": "select",
            "_dataSource": "config",
            "_cID": "cfgItemAdc",
            "_itemID": "hardwareConfig/device@id=0-0/@adcSampleRate",
            "_itemIDstatus": "hardwareDetect/device@id=0-0/@adcSampleRate",
            "_selectOptions": [{
                "value": "50",
                "label": "50"
            }, {
                "value": "100",
                "label": "100"
            }]
        });
        const badge = findChild(row, "mismatchBadge");
        compare(badge.visible, data.badge !== "");
        compare(row.mismatch, data.badge !== "");
        if (data.badge !== "")
            compare(findChild(row, "mismatchText").text, data.badge);

        // A new configuration is shown and compared again.
        store(xml("100", "100"));
        main.configChanged();
        compare(row.itemValueLabel, "100");
        verify(!badge.visible);
    }

    function test_limitsFromDevice() {
        main.selectedChannel = {
            "cID": "0.0.*",
            "chIndex": "*",
            "chLabel": "ALL"
        };
        main.numberOfChannels = 1;
        cache.addItem("0.0.0", "Status.voltageRampspeedMax", "0.5", "kV", "1");
        cache.addItem("0.0.0", "Control.voltageRampspeedUp", "20", "V", "1");
        const row = makeRow({
            "_action": "edit",
            "_inputType": "numeric",
            "_dataSource": "LUMA",
            "_itemID": "Control.voltageRampspeedUp",
            "_maxFromLuma": "Status.voltageRampspeedMax",
            "_min": 1
        });
        compare(row.cID, "0.0.*");
        compare(row.min, 1);
        compare(row.max, 500);
        cache.addItem("0.0.0", "Status.voltageRampspeedMax", "300", "V", "2");
        compare(row.max, 300);
        row.updateValue("20", "mV");
        compare(row.max, 300000);
        // Rates convert by their quantity (a row of its own: a rate limit
        // against a row in volts is no unit pair a supply sends).
        row.destroy();
        wait(0);
        cache.addItem("0.0.0", "Status.voltageRampspeedMax", "2", "kV/s", "3");
        cache.addItem("0.0.0", "Control.voltageRampspeedUp", "20", "V/s", "3");
        const rate = makeRow({
            "_action": "edit",
            "_inputType": "numeric",
            "_dataSource": "LUMA",
            "_itemID": "Control.voltageRampspeedUp",
            "_maxFromLuma": "Status.voltageRampspeedMax",
            "_min": 1
        });
        compare(rate.max, 2000);
        cache.addItem("0.0.0", "Control.voltageRampspeedUp", "20000", "mV/s", "3");
        compare(rate.itemUnit, "mV/s");
        compare(rate.max, 2e+06);
        // An unreadable limit keeps the last one.
        ignoreWarning(/ignoring the limit Status.voltageRampspeedMax = oops/);
        cache.addItem("0.0.0", "Status.voltageRampspeedMax", "oops", "V/s", "4");
        compare(rate.max, 2e+06);
        main.numberOfChannels = -1;
    }

    function test_limitFollowsDeviceUpdate() {
        cache.addItem("0.0.1", "Status.voltageLimit", "2", "kV", "1");
        const row = makeRow({
            "_action": "edit",
            "_inputType": "numeric",
            "_dataSource": "LUMA",
            "_itemID": "Control.voltageSet",
            "_maxFromLuma": "Status.voltageLimit",
            "_handleAbsolute": true
        });
        cache.addItem("0.0.1", "Control.voltageSet", "-500", "V", "1");
        compare(row.max, 2000);
        cache.addItem("0.0.1", "Status.voltageLimit", "1", "kV", "2");
        compare(row.max, 1000);
    }

    function test_valueIfEmpty() {
        const row = makeRow({
            "_action": "edit",
            "_inputType": "numeric",
            "_dataSource": "LUMA",
            "_itemID": "Control.voltageRampspeedDown",
            "_digits": 2,
            "_addLeadingZeros": true,
            "_valueIfEmpty": "10",
            "_unit": "V/s"
        });
        compare(row.itemValue, "");
        row.edit();
        compare([row.itemValue, row.itemUnit], ["10", "V/s"]);
        compare(field(row).text, "0010.00");
        compare(findChild(row, "unitField").text, "V/s");
    }

    function test_setDefault_data() {
        return [{
            "tag": "select",
            "entry": {
                "_action": "edit",
                "_inputType": "select",
                "_default": "0",
                "_selectOptions": [{
                    "value": "1",
                    "label": "enabled"
                }, {
                    "value": "0",
                    "label": "disabled"
                }]
            },
            "result": ["0", "disabled"]
        }, {
            "tag": "numeric",
            "entry": {
                "_action": "edit",
                "_inputType": "numeric",
                "_default": "1",
                "_digits": 2,
                "_addLeadingZeros": true
            },
            "result": ["1", "0001.00"]
        }, {
            "tag": "no default",
            "entry": {
                "_action": "edit",
                "_inputType": "numeric"
            },
            "result": ["7", "7"]
        }];
    }

    function test_setDefault(data) {
        const row = makeRow(data.entry);
        row.updateValue("7");
        row.edit();
        row.keyAction("7");
        row.setDefault();
        compare([row.itemValue, row.itemValueLabel], data.result);
        compare(row.keyboardActive, data.entry._default === undefined);
    }

    function test_editAndClose() {
        const row = numericRow("5", {
            "_digits": 1
        });
        verify(row.editActive);
        verify(findChild(row, "editBar").visible);
        verify(findChild(row, "arrows").visible);
        verify(field(row).cursorVisible);
        verify(Qt.colorEqual(field(row).color, main.text_edit));
        compare(row.sign, 1);
        row.closeEdit();
        verify(!row.editActive && !row.keyboardActive);
        verify(!findChild(row, "editBar").visible);
        verify(!findChild(row, "arrows").visible);
        verify(!field(row).cursorVisible);
        compare(field(row).selectedText, "");
        verify(Qt.colorEqual(field(row).color, row.text_color));
        const negative = numericRow("-3", {
        });
        compare(negative.sign, -1);
    }

    function test_editKeepsTheValueAgainstUpdates() {
        cache.addItem("0.0.1", "Control.currentSet", "1.0", "mA", "1");
        const row = makeRow({
            "_action": "edit",
            "_inputType": "numeric",
            "_dataSource": "LUMA",
            "_itemID": "Control.currentSet",
            "_digits": 4
        });
        row.edit();
        row.changeValueBySteps(2);
        compare(row.itemValue, "3");
        cache.addItem("0.0.1", "Control.currentSet", "1.0", "mA", "2");
        compare(row.itemValue, "3");
        row.closeEdit();
        cache.addItem("0.0.1", "Control.currentSet", "1.5", "mA", "3");
        compare(row.itemValue, "1.5");
    }

    function test_blocked() {
        controller.blocked = {
            "isChannelTurnedOn": true
        };
        store("<hardwareConfig><device id=\"0-0\"><channel id=\"1\" polarity=\"p\"/></device></hardwareConfig>");
        const row = makeRow({
            "_action": "edit",
            "_inputType": "select",
            "_dataSource": "config",
            "_cID": "cfgItemChPolarity",
            "_itemID": "hardwareConfig/device@id=0-0/channel@id=%(chIdx)/@polarity",
            "_readonlyConditionCommand": "isChannelTurnedOn",
            "_selectOptions": [{
                "value": "p",
                "label": "positive"
            }]
        });
        compare(row.state, "blocked");
        verify(!row.isEditable);
        verify(findChild(row, "lockIcon").visible);
        verify(Qt.colorEqual(findChild(row, "label").color, row.text_color_readonly));
        controller.blocked = {
        };
        // Checked once a second.
        tryCompare(row, "isEditable", true, 1500);
        compare(row.state, "");
        verify(!findChild(row, "lockIcon").visible);
        verify(Qt.colorEqual(findChild(row, "label").color, row.text_color));
    }

    function test_labelFromComponentChange() {
        const row = makeRow({
            "_action": "edit",
            "_cID": "cfgItemX"
        });
        row.label = "Old";
        main.setComponent("cfgItemX", {
            "text": "New"
        });
        compare(row.label, "New");
        main.setComponent("otherItem", {
            "text": "Other"
        });
        compare(row.label, "New");
    }

    function test_mouse() {
        const row = numericRow("5", {
            "_cID": "cfgItemM"
        });
        clickSpy.target = row;
        mouseClick(row, 20, 17);
        compare(clickSpy.signalArguments[0][0], "cfgItemM");
        doubleSpy.target = row;
        mouseDoubleClickSequence(row, 20, 17);
        compare(doubleSpy.count, 1);
        mouseClick(findChild(row, "arrowUp"));
        compare(row.itemValue, "6");
        mouseClick(findChild(row, "arrowDown"));
        mouseClick(findChild(row, "arrowDown"));
        compare(row.itemValue, "4");
        compare(valueSpy.count, 3);
    }

    // The delayed second limit read and the condition checks belong to the
    // row and end with it; a late call would log a TypeError.
    function test_destroyedRowGetsNoLateCalls() {
        const timers = main.data.length;
        const row = makeRow({
            "_action": "edit",
            "_dataSource": "LUMA",
            "_itemID": "Control.voltageSet",
            "_maxFromLuma": "Status.voltageLimit",
            "_readonlyConditionCommand": "isChannelTurnedOn"
        });
        compare(main.data.length, timers);
        row.destroy();
        wait(0);
        wait(1200);
        cache.addItem("0.0.1", "Control.voltageSet", "1", "V", "9");
    }

    name: "Menu_Item"
    width: 480
    height: 272
    when: windowShown

    // Stands in for the menu view the rows sit in.
    Item {
        id: controller

        property var blocked: ({
        })

        function getObjectState(cID) {
            return main.getObjectState(cID);
        }

        function checkCondition(name) {
            return controller.blocked[name] === true;
        }

    }

    Component {
        id: rowComponent

        Menu_Item {
        }

    }

    SignalSpy {
        id: valueSpy

        signalName: "valueChanged"
    }

    SignalSpy {
        id: refusedSpy

        signalName: "refused"
    }

    SignalSpy {
        id: clickSpy

        signalName: "clicked"
    }

    SignalSpy {
        id: doubleSpy

        signalName: "doubleClicked"
    }

}
