.pragma library

// One plotted channel of the oscilloscope: its samples, its vertical scale
// and offset, and the samples converted to screen divisions. Channel objects
// are independent copies of the template below. A sample whose value is
// null marks a gap: the supply's value was not current, nothing was measured.
// The divisions are kept as two flat lists, times and values (NaN for a
// gap), as the chart's feeder takes them.

// Copies plain data deeply; functions are shared.
function clone(obj) {
    if (obj === null || typeof obj !== "object")
        return obj;

    if (obj instanceof Date)
        return new Date(obj.getTime());

    if (Array.isArray(obj))
        return obj.map(clone);

    if (obj instanceof Object) {
        const copy = {};
        for (const key of Object.keys(obj))
            copy[key] = clone(obj[key]);
        return copy;
    }
    // Such an object has no toString of its own.
    console.log("Could not copy obj. type not supported " + Object.prototype.toString.call(obj));
}

const template = {
    "id": null,
    "number": null,
    "item": null,
    "mode": null,
    "points_orig": [],
    "points_norm": {
        "x": [],
        "y": []
    },
    "scaleIndex": null,
    "scale": null,
    "offsetIndex": null,
    "offset": 0,
    "min": null,
    "max": null,
    "bufferSize": null,
    "minAutoScale": null,
    "scales": [],
    "offsets": [],
    "divRange": null,
    "init": function(chNum, chId, chItem, chMode) {
        this.number = chNum;
        this.id = chId;
        this.item = chItem;
        this.mode = chMode;
    },
    "setId": function(id) {
        this.id = id;
    },
    "getId": function() {
        return this.id;
    },
    "setItem": function(item) {
        this.item = item;
    },
    "getItem": function() {
        return this.item;
    },
    "setNumber": function(number) {
        this.number = number;
    },
    "getNumber": function() {
        return this.number;
    },
    "setMode": function(mode) {
        this.mode = mode;
    },
    "getMode": function() {
        return this.mode;
    },
    "setScale": function(scale) {
        this.scale = scale;
    },
    "getScale": function() {
        return this.scale;
    },
    "setOffsetIndex": function(index) {
        this.offsetIndex = index;
    },
    "getOffsetIndex": function() {
        return this.offsetIndex;
    },
    "setOffset": function(offset) {
        this.offset = offset;
    },
    "getOffset": function() {
        return this.offset;
    },
    "getScaleIndex": function() {
        return this.scaleIndex;
    },
    "getMin": function() {
        return this.min;
    },
    "getMax": function() {
        return this.max;
    },
    "setBufferSize": function(size) {
        this.bufferSize = size;
    },
    "setOffsets": function(offsets) {
        this.offsets = offsets;
    },
    "setDivRange": function(range) {
        this.divRange = range;
    },
    "setScales": function(arr, minAutoScale) {
        this.scales = arr;
        this.minAutoScale = minAutoScale;
    },
    "setScaleIndex": function(num) {
        if (!Number.isInteger(num) || num < 0 || num >= this.scales.length)
            return false;

        this.scaleIndex = num;
        this.scale = this.scales[num];
        return true;
    },
    "increaseOffset": function(increment) {
        this.offset += increment * this.scale;
        return this.offset;
    },
    "getUnit": function() {
        if (this.item === "Status.voltageMeasure")
            return "V";

        if (this.item === "Status.currentMeasure")
            return "mA";

        return "";
    },
    "getData": function() {
        return this.points_orig;
    },
    "getNormalizedData": function() {
        return this.points_norm;
    },
    "getFirstPoint": function() {
        return this.points_orig[0];
    },
    "getLastPoint": function() {
        return this.points_orig[this.points_orig.length - 1];
    },
    // value: a cached [time, value, unit] record; nothing cached yet adds nothing.
    "addPoint": function(value, timeMs) {
        if (!value || value[0] === undefined || value[0] === "" || value[1] === undefined || value[1] === "")
            return false;

        const v = Number(value[1]);
        if (!isFinite(v)) {
            console.warn("OsiChannel: ignoring the sample", value[1], "of", this.id);
            return false;
        }
        this.points_orig.push({
            "x": timeMs,
            "y": v
        });
        this.points_norm.x.push(timeMs);
        this.points_norm.y.push(this.getNormalizedValue(v));
        return true;
    },
    // One mark per outage, however many samples were not taken.
    "addGap": function(timeMs) {
        const last = this.getLastPoint();
        if (last === undefined || last.y === null)
            return false;

        this.points_orig.push({
            "x": timeMs,
            "y": null
        });
        this.points_norm.x.push(timeMs);
        this.points_norm.y.push(NaN);
        return true;
    },
    "clear": function() {
        this.points_orig = [];
        this.points_norm = {
            "x": [],
            "y": []
        };
    },
    // Only trims: the caller rebuilds the normalised points.
    "clearPoints": function() {
        if (this.bufferSize > this.points_orig.length)
            return ;

        this.points_orig.splice(0, this.points_orig.length - this.bufferSize);
        this.points_norm = {
            "x": [],
            "y": []
        };
    },
    // Trims to the buffer and draws the samples with the present scale.
    "refresh": function() {
        this.clearPoints();
        this.calcNormalizedValues();
    },
    "calcScaleAndOffset": function(visiblePoints) {
        const points = this.points_orig;
        if (points.length === 0)
            return false;

        this.min = null;
        this.max = null;
        for (let i = Math.max(0, points.length - Math.floor(visiblePoints)); i < points.length; ++i) {
            const v = points[i].y;
            if (v === null)
                continue;

            if (this.min === null || v < this.min)
                this.min = v;

            if (this.max === null || v > this.max)
                this.max = v;

        }
        // Only gaps in view: the scale stays as it is.
        if (this.min === null)
            return false;

        this.offset = -(this.max + this.min) / 2;
        // A span within 6 of the 10 divisions leaves room around the trace.
        const needed = Math.abs(this.max - this.min) / 6;
        let result = this.scales.length - 1;
        for (let i = this.scales.length - 1; i >= 0; --i) {
            if (this.scales[i] >= needed && this.scales[i] >= this.minAutoScale)
                result = i;

        }
        this.setScaleIndex(result);
        return result;
    },
    "calcNormalizedValues": function() {
        const n = this.points_orig.length;
        const x = new Array(n);
        const y = new Array(n);
        for (let i = 0; i < n; ++i) {
            const point = this.points_orig[i];
            x[i] = point.x;
            y[i] = point.y === null ? NaN : this.getNormalizedValue(point.y);
        }
        this.points_norm = {
            "x": x,
            "y": y
        };
    },
    "getNormalizedValue": function(value) {
        return (value + this.offset) / this.scale + this.offsets[this.offsetIndex];
    },
    "getRealValue": function(normalizedValue) {
        return (normalizedValue - this.offsets[this.offsetIndex]) * this.scale - this.offset;
    },
    "debug": function() {
        for (const key of Object.keys(this)) {
            if (typeof this[key] !== "function")
                console.log(key + " " + this[key]);

        }
    }
};

function getChannel() {
    return clone(template);
}
