import QtQuick 2.12
import QtTest 1.12
import "qrc:/components/menuvalues.js" as MenuValues

// What a settings row shows, how its value steps and what typing accepts:
// the script library on its own, case by case.
TestCase {
    function test_formatNumber_data() {
        return [{
            "tag": "leading zeros, two decimals",
            "value": "5",
            "digits": 2,
            "zeros": true,
            "shown": "0005.00"
        }, {
            "tag": "leading zeros, three decimals",
            "value": "5.2",
            "digits": 3,
            "zeros": true,
            "shown": "0005.200"
        }, {
            "tag": "negative with leading zeros",
            "value": "-12.345",
            "digits": 3,
            "zeros": true,
            "shown": "-0012.345"
        }, {
            "tag": "four integer digits need none",
            "value": "1234.5",
            "digits": 3,
            "zeros": true,
            "shown": "1234.500"
        }, {
            "tag": "rounding carries before padding",
            "value": "9.9996",
            "digits": 3,
            "zeros": true,
            "shown": "0010.000"
        }, {
            "tag": "digits only",
            "value": "1.256",
            "digits": 2,
            "zeros": false,
            "shown": "1.26"
        }, {
            "tag": "no decimals",
            "value": "6.4",
            "digits": 0,
            "zeros": false,
            "shown": "6"
        }, {
            "tag": "neither: as delivered",
            "value": "1.50000",
            "digits": undefined,
            "zeros": undefined,
            "shown": "1.50000"
        }, {
            "tag": "empty stays empty",
            "value": "",
            "digits": 2,
            "zeros": true,
            "shown": ""
        }, {
            "tag": "no number stays as it is",
            "value": "n/a",
            "digits": 2,
            "zeros": true,
            "shown": "n/a"
        }];
    }

    function test_formatNumber(data) {
        compare(MenuValues.formatNumber(data.value, data.digits, data.zeros), data.shown);
    }

    // The DIGIT key walks towards higher digits and wraps to the last
    // decimal; the "right" key walks the other way; a sign is skipped.
    function test_digitWalk_data() {
        return [{
            "tag": "0005.00 by DIGIT",
            "text": "0005.00",
            "reverse": false,
            "exponents": [1, 2, 3, -2, -1, 0],
            "characters": ["0", "0", "0", "0", "0", "5"]
        }, {
            "tag": "0005.00 by right",
            "text": "0005.00",
            "reverse": true,
            "exponents": [-1, -2, 3, 2],
            "characters": ["0", "0", "0", "0"]
        }, {
            "tag": "sign never selected",
            "text": "-12.5",
            "reverse": false,
            "exponents": [1, -1, 0],
            "characters": ["1", "5", "2"]
        }, {
            "tag": "integer only",
            "text": "123",
            "reverse": false,
            "exponents": [1, 2, 0],
            "characters": ["2", "1", "3"]
        }];
    }

    function test_digitWalk(data) {
        let exponent = 0;
        const exponents = [];
        const characters = [];
        for (let i = 0; i < data.exponents.length; ++i) {
            exponent = MenuValues.nextExponent(data.text, exponent, data.reverse);
            exponents.push(exponent);
            characters.push(data.text.charAt(MenuValues.digitPosition(data.text, exponent)));
        }
        compare(exponents, data.exponents);
        compare(characters, data.characters);
    }

    function test_cursorFollowsTheText_data() {
        return [{
            "tag": "text lost its high digits",
            "text": "12",
            "exponent": 3,
            "fitted": 1
        }, {
            "tag": "text lost its decimals",
            "text": "5",
            "exponent": -2,
            "fitted": 0
        }, {
            "tag": "in range stays",
            "text": "0005.00",
            "exponent": -1,
            "fitted": -1
        }];
    }

    function test_cursorFollowsTheText(data) {
        compare(MenuValues.fitExponent(data.text, data.exponent), data.fitted);
    }

    function test_noDigitNoCursor() {
        compare(MenuValues.digitPosition("", 0), -1);
        compare(MenuValues.digitPosition("-", 0), -1);
    }

    function test_stepNumber_data() {
        return [{
            "tag": "123 + 10 steps on the units",
            "value": "123",
            "exponent": 0,
            "steps": 10,
            "result": "130"
        }, {
            "tag": "units take what the wheel gives",
            "value": "123",
            "exponent": 0,
            "steps": 7,
            "result": "130"
        }, {
            "tag": "1.25 + 20 on the first decimal",
            "value": "1.25",
            "exponent": -1,
            "steps": 20,
            "result": "2.25"
        }, {
            "tag": "1.25 + 5 on the first decimal",
            "value": "1.25",
            "exponent": -1,
            "steps": 5,
            "result": "1.35"
        }, {
            "tag": "tens by ten and cut",
            "value": "123",
            "exponent": 1,
            "steps": 25,
            "result": "220"
        }, {
            "tag": "hundreds one at a time",
            "value": "123",
            "exponent": 2,
            "steps": -7,
            "result": "23"
        }, {
            "tag": "-500 V up: the magnitude grows, the sign stays",
            "value": "-500",
            "exponent": 0,
            "steps": 1,
            "limits": {
                "absolute": true,
                "sign": -1,
                "min": 0
            },
            "result": "-501"
        }, {
            "tag": "-500 V past its maximum magnitude",
            "value": "-500",
            "exponent": 2,
            "steps": 1,
            "limits": {
                "absolute": true,
                "sign": -1,
                "min": 0,
                "max": 550
            },
            "result": "-550",
            "clamped": true
        }, {
            "tag": "below the minimum",
            "value": "3",
            "exponent": 0,
            "steps": -5,
            "limits": {
                "min": 1
            },
            "result": "1",
            "clamped": true
        }, {
            "tag": "above a limit given as text",
            "value": "4090",
            "exponent": 1,
            "steps": 1,
            "limits": {
                "max": "4095"
            },
            "result": "4095",
            "clamped": true
        }, {
            "tag": "negative zero is zero",
            "value": "-1",
            "exponent": 0,
            "steps": -5,
            "limits": {
                "absolute": true,
                "sign": -1,
                "min": 0
            },
            "result": "0",
            "clamped": true
        }, {
            "tag": "no binary noise",
            "value": "1.3",
            "exponent": -1,
            "steps": 1,
            "result": "1.4"
        }];
    }

    function test_stepNumber(data) {
        const next = MenuValues.stepNumber(data.value, data.steps, data.exponent, data.limits || {
        });
        compare(next.value, data.result);
        compare(next.clamped, data.clamped === true);
    }

    function test_stepNoNumber() {
        compare(MenuValues.stepNumber("", 1, 0, {
        }), null);
        compare(MenuValues.stepNumber("abc", 1, 0, {
        }), null);
    }

    function test_stepDateAndTime_data() {
        return [{
            "tag": "13:00:04 up",
            "step": MenuValues.stepTime,
            "value": "13:00:04",
            "steps": 1,
            "result": "13:00:10"
        }, {
            "tag": "23:59:55 up wraps",
            "step": MenuValues.stepTime,
            "value": "23:59:55",
            "steps": 1,
            "result": "00:00:10"
        }, {
            "tag": "midnight down wraps",
            "step": MenuValues.stepTime,
            "value": "00:00:00",
            "steps": -1,
            "result": "23:59:50"
        }, {
            "tag": "leap day",
            "step": MenuValues.stepDate,
            "value": "2020-02-28",
            "steps": 1,
            "result": "2020-02-29"
        }, {
            "tag": "year rolls over",
            "step": MenuValues.stepDate,
            "value": "2021-12-31",
            "steps": 1,
            "result": "2022-01-01"
        }, {
            "tag": "months back",
            "step": MenuValues.stepDate,
            "value": "2021-03-01",
            "steps": -1,
            "result": "2021-02-28"
        }, {
            "tag": "impossible date",
            "step": MenuValues.stepDate,
            "value": "2021-02-30",
            "steps": 1,
            "result": null
        }, {
            "tag": "impossible time",
            "step": MenuValues.stepTime,
            "value": "24:00:00",
            "steps": 1,
            "result": null
        }];
    }

    function test_stepDateAndTime(data) {
        compare(data.step(data.value, data.steps), data.result);
    }

    // A key is refused for its format at once, for a limit only when no
    // further key can bring the value back.
    function test_typingError_data() {
        const ramp = {
            "min": 0.001,
            "max": 1,
            "digits": 3
        };
        const trip = {
            "min": 2,
            "max": 4095,
            "digits": 0
        };
        return [{
            "tag": "minimum 0.001: a first zero",
            "candidate": "0",
            "limits": ramp,
            "state": ""
        }, {
            "tag": "minimum 0.001: 0.",
            "candidate": "0.",
            "limits": ramp,
            "state": ""
        }, {
            "tag": "minimum 0.001: 0.5",
            "candidate": "0.5",
            "limits": ramp,
            "state": ""
        }, {
            "tag": "minimum 0.001: all decimals typed below it",
            "candidate": "0.000",
            "limits": ramp,
            "state": "warning"
        }, {
            "tag": "minimum 0.001: the minimum itself",
            "candidate": "0.001",
            "limits": ramp,
            "state": ""
        }, {
            "tag": "maximum 1: past it for good",
            "candidate": "1.5",
            "limits": ramp,
            "state": "warning"
        }, {
            "tag": "more decimals than shown",
            "candidate": "0.0005",
            "limits": ramp,
            "state": "error"
        }, {
            "tag": "minimum 2: 1 can still become 10",
            "candidate": "1",
            "limits": trip,
            "state": ""
        }, {
            "tag": "minimum 2: 10",
            "candidate": "10",
            "limits": trip,
            "state": ""
        }, {
            "tag": "maximum 4095: 4096",
            "candidate": "4096",
            "limits": trip,
            "state": "warning"
        }, {
            "tag": "maximum 4095: 4095",
            "candidate": "4095",
            "limits": trip,
            "state": ""
        }, {
            "tag": "no decimals: the point",
            "candidate": "1.",
            "limits": trip,
            "state": "error"
        }, {
            "tag": "a letter",
            "candidate": "1a",
            "limits": {
            },
            "state": "error"
        }, {
            "tag": "a sign inside",
            "candidate": "1-",
            "limits": {
            },
            "state": "error"
        }, {
            "tag": "a sign alone",
            "candidate": "-",
            "limits": {
                "min": 0
            },
            "state": ""
        }, {
            "tag": "magnitude past the maximum",
            "candidate": "-3500",
            "limits": {
                "min": 0,
                "max": 3000,
                "absolute": true
            },
            "state": "warning"
        }, {
            "tag": "magnitude within the limits",
            "candidate": "-500",
            "limits": {
                "min": 0,
                "max": 3000,
                "absolute": true
            },
            "state": ""
        }, {
            "tag": "negative past the minimum",
            "candidate": "-11",
            "limits": {
                "min": -10
            },
            "state": "warning"
        }, {
            "tag": "negative that can still grow",
            "candidate": "-1",
            "limits": {
                "min": -10,
                "max": -5
            },
            "state": ""
        }];
    }

    function test_typingError(data) {
        const refusal = MenuValues.typingError(data.candidate, data.limits);
        compare(refusal === null ? "" : refusal.state, data.state);
    }

    // The whole value at APPLY: the minimum counts now.
    function test_inputError_data() {
        return [{
            "tag": "below the minimum",
            "type": "numeric",
            "text": "0",
            "limits": {
                "min": 0.001
            },
            "error": "below the minimum 0.001"
        }, {
            "tag": "above the maximum",
            "type": "numeric",
            "text": "5000",
            "limits": {
                "max": "4095"
            },
            "error": "above the maximum 4095"
        }, {
            "tag": "magnitude within",
            "type": "numeric",
            "text": "-0500.000",
            "limits": {
                "min": 0,
                "max": 600,
                "absolute": true
            },
            "error": ""
        }, {
            "tag": "leading zeros",
            "type": "numeric",
            "text": "0010.000",
            "limits": {
                "min": 1
            },
            "error": ""
        }, {
            "tag": "empty",
            "type": "numeric",
            "text": "",
            "limits": {
            },
            "error": "not a number"
        }, {
            "tag": "half typed",
            "type": "numeric",
            "text": "-",
            "limits": {
            },
            "error": "not a number"
        }, {
            "tag": "ip",
            "type": "ip",
            "text": "10.0.0.254",
            "limits": {
            },
            "error": ""
        }, {
            "tag": "ip part too large",
            "type": "ip",
            "text": "10.0.0.256",
            "limits": {
            },
            "error": "not an IPv4 address"
        }, {
            "tag": "date",
            "type": "date",
            "text": "2021-6-15",
            "limits": {
            },
            "error": "not a date YYYY-MM-DD"
        }, {
            "tag": "time",
            "type": "time",
            "text": "07:60:00",
            "limits": {
            },
            "error": "not a time HH:MM:SS"
        }, {
            "tag": "text takes anything",
            "type": "text",
            "text": "n/a",
            "limits": {
            },
            "error": ""
        }];
    }

    function test_inputError(data) {
        compare(MenuValues.inputError(data.type, data.text, data.limits), data.error);
    }

    function test_limitsText_data() {
        return [{
            "tag": "both",
            "min": 0.001,
            "max": 1,
            "unit": "mA/s",
            "text": "0.001 … 1 mA/s"
        }, {
            "tag": "converted without noise",
            "min": 0.1 * 3,
            "max": 1200,
            "unit": "V/s",
            "text": "0.3 … 1200 V/s"
        }, {
            "tag": "minimum only",
            "min": 0,
            "max": undefined,
            "unit": "V",
            "text": "at least 0 V"
        }, {
            "tag": "maximum only, no unit",
            "min": undefined,
            "max": 4095,
            "unit": "",
            "text": "at most 4095"
        }, {
            "tag": "none known",
            "min": undefined,
            "max": undefined,
            "unit": "V",
            "text": ""
        }];
    }

    function test_limitsText(data) {
        compare(MenuValues.limitsText(data.min, data.max, data.unit), data.text);
    }

    name: "MenuValues"
}
