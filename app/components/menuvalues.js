.pragma library

// How a settings row shows, steps and checks its value: numbers with
// digits and leading zeros, the digit cursor, wheel steps on numbers, dates
// and times, and the checks of typed text. Functions of their arguments
// only; the row keeps the state.

// The shown text of a value: rounded to `digits` decimals and, with leading
// zeros, at least four integer digits. Anything else is shown as it is.
function formatNumber(value, digits, leadingZeros) {
    const number = Number(value);
    if (value === "" || !isFinite(number) || (leadingZeros !== true && digits === undefined))
        return value;

    const rounded = Math.abs(number).toFixed(digits === undefined ? 0 : digits).split(".");
    // Padded after rounding, so that 9.9996 becomes 0010.000.
    const integer = leadingZeros === true ? rounded[0].padStart(4, "0") : rounded[0];
    return (number < 0 ? "-" : "") + integer + (rounded.length > 1 ? "." + rounded[1] : "");
}

// Characters before the "." and the exponents of the highest and the lowest
// digit of a shown text; a leading "-" is no digit.
function digitRange(text) {
    const point = text.indexOf(".");
    const before = point < 0 ? text.length : point;
    return {
        "before": before,
        "highest": before - 1 - (text.startsWith("-") ? 1 : 0),
        "lowest": point < 0 ? 0 : -(text.length - point - 1)
    };
}

// The exponent brought back into the text's digits: the text may have lost
// digits since the cursor was placed.
function fitExponent(text, exponent) {
    const range = digitRange(text);
    if (exponent > range.highest)
        return Math.max(range.highest, range.lowest);

    return exponent < range.lowest ? range.lowest : exponent;
}

// Position of the character the cursor highlights, or -1 without digits.
function digitPosition(text, exponent) {
    if (!/\d/.test(text))
        return -1;

    const before = digitRange(text).before;
    return exponent >= 0 ? before - exponent - 1 : before - exponent;
}

// The cursor one digit higher (reverse false) or lower, wrapping around.
function nextExponent(text, exponent, reverse) {
    const range = digitRange(text);
    if (reverse === false)
        return exponent + 1 > range.highest ? range.lowest : exponent + 1;

    return exponent - 1 < range.lowest ? range.highest : exponent - 1;
}

// Wheel steps limited by the digit they act on: the units take what the
// wheel gives, the others one or ten steps at a time.
function stepCount(exponent, steps) {
    const direction = steps < 0 ? -1 : 1;
    if (exponent < 0)
        return Math.abs(steps) > 10 ? 10 * direction : direction;

    if (exponent === 1 && Math.abs(steps) > 10)
        return 10 * direction;

    return exponent >= 2 ? direction : steps;
}

// `value` moved by `steps` on the digit of `exponent`, kept within
// `limits` ({min, max, absolute, sign}; the limits apply to the magnitude
// when absolute). Returns {value, clamped}, or null when `value` is not a
// number.
function stepNumber(value, steps, exponent, limits) {
    const number = Number(value);
    if (value === "" || !isFinite(number))
        return null;

    const count = stepCount(exponent, steps);
    const absolute = limits.absolute === true;
    let next = (absolute ? Math.abs(number) : number) + Math.pow(10, exponent) * count;
    // Decimal steps in binary arithmetic leave noise such as 1.3499999.
    next = Number(next.toPrecision(12));
    if (exponent >= 0 && Math.abs(count) === 10)
        next = Math.trunc(next / 10) * 10;
    else if (exponent >= 0 && Math.abs(count) === 100)
        next = Math.trunc(next / 100) * 100;
    let clamped = false;
    if (limits.min !== undefined && next < Number(limits.min)) {
        next = Number(limits.min);
        clamped = true;
    }
    if (limits.max !== undefined && next > Number(limits.max)) {
        next = Number(limits.max);
        clamped = true;
    }
    const text = String(absolute ? (limits.sign < 0 ? -1 : 1) * next : next);
    return {
        "value": text === "-0" ? "0" : text,
        "clamped": clamped
    };
}

function twoDigits(value) {
    return String(value).padStart(2, "0");
}

// A calendar date YYYY-MM-DD as a UTC date, or null.
function parseDate(text) {
    const match = /^(\d{4})-(\d{2})-(\d{2})$/.exec(text);
    if (match === null)
        return null;

    const date = new Date(Date.UTC(Number(match[1]), Number(match[2]) - 1, Number(match[3])));
    // Date.UTC would quietly turn 2021-02-30 into March.
    if (date.getUTCMonth() !== Number(match[2]) - 1 || date.getUTCDate() !== Number(match[3]))
        return null;

    return date;
}

// A clock time HH:MM:SS as seconds since midnight, or null.
function parseTime(text) {
    const match = /^(\d{2}):(\d{2}):(\d{2})$/.exec(text);
    if (match === null || Number(match[1]) > 23 || Number(match[2]) > 59 || Number(match[3]) > 59)
        return null;

    return Number(match[1]) * 3600 + Number(match[2]) * 60 + Number(match[3]);
}

// The date `steps` days on, or null when `text` is no date.
function stepDate(text, steps) {
    const date = parseDate(text);
    if (date === null)
        return null;

    date.setUTCDate(date.getUTCDate() + steps);
    return date.getUTCFullYear() + "-" + twoDigits(date.getUTCMonth() + 1) + "-" + twoDigits(date.getUTCDate());
}

// The time 10 seconds a step on, from the nearest ten seconds, wrapping at
// midnight; null when `text` is no time.
function stepTime(text, steps) {
    const seconds = parseTime(text);
    if (seconds === null)
        return null;

    const day = 24 * 3600;
    const next = (((Math.round(seconds / 10) * 10 + 10 * steps) % day) + day) % day;
    return twoDigits(Math.floor(next / 3600)) + ":" + twoDigits(Math.floor(next / 60) % 60) + ":" + twoDigits(next % 60);
}

function isIpAddress(text) {
    const parts = text.split(".");
    return parts.length === 4 && parts.every(function(part) {
        return /^\d{1,3}$/.test(part) && Number(part) <= 255;
    });
}

// What is wrong with a number against `limits` ({min, max, absolute}), or "".
function limitError(number, limits) {
    const magnitude = limits.absolute === true ? Math.abs(number) : number;
    if (limits.min !== undefined && magnitude < Number(limits.min))
        return "below the minimum " + limits.min;

    if (limits.max !== undefined && magnitude > Number(limits.max))
        return "above the maximum " + limits.max;

    return "";
}

// Why a whole value of `type` is refused, or "": the check at APPLY.
function inputError(type, text, limits) {
    switch (type) {
    case "numeric":
        if (text === "" || !/^-?\d*\.?\d*$/.test(text) || !isFinite(Number(text)))
            return "not a number";
        return limitError(Number(text), limits);
    case "date":
        return parseDate(text) !== null ? "" : "not a date YYYY-MM-DD";
    case "time":
        return parseTime(text) !== null ? "" : "not a time HH:MM:SS";
    case "ip":
        return isIpAddress(text) ? "" : "not an IPv4 address";
    }
    return "";
}

// Why a number being typed is refused at this key, as {state, reason}, or
// null. The format is checked at once; a limit only where no further key
// can bring the value back: typing only moves it away from zero, so past
// the maximum (below the minimum for a negative value) it is out for good,
// and so is a value whose decimals are all typed. `limits` holds min, max,
// absolute and digits (the decimals the entry shows).
function typingError(candidate, limits) {
    if (!/^-?\d*\.?\d*$/.test(candidate))
        return {
            "state": "error",
            "reason": "not a number"
        };

    const point = candidate.indexOf(".");
    const decimals = point < 0 ? -1 : candidate.length - point - 1;
    if (limits.digits !== undefined && (decimals > limits.digits || (limits.digits === 0 && point >= 0)))
        return {
            "state": "error",
            "reason": limits.digits === 0 ? "no decimals" : "at most " + limits.digits + " decimals"
        };

    if (!/\d/.test(candidate))
        return null;

    const number = Number(candidate);
    const magnitude = limits.absolute === true ? Math.abs(number) : number;
    const complete = limits.digits !== undefined && decimals === limits.digits;
    let reason = "";
    if (complete)
        reason = limitError(number, limits);
    else if (magnitude >= 0 && limits.max !== undefined && magnitude > Number(limits.max))
        reason = "above the maximum " + limits.max;
    else if (magnitude < 0 && limits.min !== undefined && magnitude < Number(limits.min))
        reason = "below the minimum " + limits.min;
    return reason === "" ? null : {
        "state": "warning",
        "reason": reason
    };
}

// The limits as the operator reads them while editing, or "" when none is
// known.
function limitsText(min, max, unit) {
    if (min === undefined && max === undefined)
        return "";

    const shown = function shown(limit) {
        return String(Number(Number(limit).toPrecision(12)));
    };
    const suffix = unit === "" || unit === undefined ? "" : " " + unit;
    if (max === undefined)
        return "at least " + shown(min) + suffix;

    if (min === undefined)
        return "at most " + shown(max) + suffix;

    return shown(min) + " … " + shown(max) + suffix;
}
