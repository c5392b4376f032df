import QtQuick 2.12

// One row of a settings menu: the entry's label and, for entries with a
// value, the value read from its source with its unit. The menu view drives
// the editing; the row formats, steps and checks the value but never writes
// it anywhere itself.
Item {
    id: root

    // The menu entry this row shows; roles it does not declare read as undefined.
    property var entry: ({
    })
    property string cID: ""
    property alias label: labelText.text
    property string itemID: ""
    property string itemValue: ""
    property string itemUnit: ""
    property string itemValueLabel: entry._dataSource !== undefined ? "n/a" : ""
    property int exponent: 0
    property int sign: 1
    property bool editActive: false
    property bool isEditable: false
    property bool mismatch: false
    property string mismatchInfo: ""
    property bool keyboardActive: false
    property var min
    property var max
    property var options: []
    property var files: []
    property color text_color: "#ececec"
    property color text_color_readonly: "#aaaaaa"
    property color text_edit: main.text_edit
    property int paddingX: 10
    // `_itemID` with the selected channel put in.
    property string resolvedItemID: ""
    readonly property bool dimmed: state === "readonly" || state === "blocked"

    signal clicked(string id)
    signal doubleClicked(string id)
    signal valueChanged()

    function inputType() {
        return entry._inputType;
    }

    function chIndex() {
        const index = main.selectedChannel.chIndex;
        return index === undefined ? "" : String(index);
    }

    function withChannel(text) {
        return String(text).replace("%(chIdx)", chIndex());
    }

    // A wheel flash ends by restoring what the wheel showed before, unless
    // someone has changed it since. The row may be gone by then, and names
    // are no longer looked up through it: the callback keeps its own
    // reference to the root.
    function flashWheel(flash) {
        const root = main;
        const previous = root.getObjectState("wh1");
        root.setObjectState("wh1", flash);
        root.delay(function() {
            if (root.getObjectState("wh1") === flash)
                root.setObjectState("wh1", previous === flash ? "" : previous);

        }, 300);
    }

    function updateState(identifier) {
        if (!main.checkIdentifier(identifier, cID))
            return false;

        if (entry._action !== "readonly")
            state = controller.getObjectState(cID);

        if ((entry._minFromLuma !== undefined && identifier === cID + "_" + entry._minFromLuma) || (entry._maxFromLuma !== undefined && identifier === cID + "_" + entry._maxFromLuma))
            setMinMax();

        checkBlocked();
        if (!editActive)
            refreshValue();

        return true;
    }

    function changeComponent(identifier, params) {
        if (main.checkIdentifier(identifier, cID) && params && params.text !== undefined)
            label = params.text;

    }

    // A new configuration may carry new values: show them, then compare
    // them with what the hardware detected.
    function configReceived() {
        if (entry._dataSource === "config" && !editActive)
            refreshValue();

        checkMismatch();
    }

    function refreshValue() {
        if (entry._action !== "edit" && entry._action !== "readonly")
            return ;

        switch (entry._dataSource) {
        case "config":
            updateValue(main.getConfigValue(resolvedItemID));
            break;
        case "remoteConfig":
            updateValue(main.getRemoteConfig(resolvedItemID));
            break;
        case "LUMA":
            refreshFromDevice();
            break;
        case "configFiles":
            updateValue("");
            if (files.length > 0)
                updateValue(files[0]);

            break;
        }
    }

    function refreshFromDevice() {
        const record = main.getItemValue(cID, resolvedItemID);
        updateValue(record[1], record[2]);
    }

    function updateValue(value, unit) {
        itemID = resolvedItemID;
        itemValue = value === undefined || value === null ? "" : String(value);
        if (unit !== undefined && unit !== null && String(unit) !== itemUnit) {
            itemUnit = String(unit);
            setMinMax();
        }
        itemValueLabel = itemValue;
        if (entry._action === "readonly")
            state = "readonly";

        if (inputType() === "select") {
            const choice = getSelectOptions().find(function(option) {
                return option.value === itemValue;
            });
            itemValueLabel = choice === undefined ? "" : choice.label;
        }
        checkBlocked();
        return true;
    }

    function setMinMax() {
        const channel = main.selectedChannel.cID;
        const path = channel === "0.0.*" ? "0.0.0" : channel;
        const limit = function limit(item, current) {
            if (item === undefined)
                return current;

            const record = main.getItemValue(path, item);
            if (record[1] === undefined || record[1] === "")
                return current;

            const value = Number(record[1]);
            if (!isFinite(value)) {
                console.warn("Menu_Item: ignoring the limit " + item + " = " + record[1]);
                return current;
            }
            return main.getValueByUnit(value, record[2], itemUnit);
        };
        min = limit(entry._minFromLuma, min);
        max = limit(entry._maxFromLuma, max);
    }

    function checkMismatch() {
        if (entry._itemIDstatus === undefined)
            return ;

        const detected = main.getConfigValue(withChannel(entry._itemIDstatus));
        mismatch = detected !== itemValue;
        mismatchInfo = mismatch ? detected : "";
    }

    function checkBlocked() {
        if (entry._readonlyConditionCommand !== undefined)
            state = controller.checkCondition(entry._readonlyConditionCommand) ? "blocked" : "";

        isEditable = itemValueLabel !== "n/a" && state !== "blocked";
    }

    // Choices of a model arrive as a list model, those of a test as a list.
    function choicesOf(list) {
        if (list === undefined || list === null)
            return [];

        const choices = [];
        const count = Array.isArray(list) ? list.length : list.count;
        for (let i = 0; i < count; ++i) {
            const choice = Array.isArray(list) ? list[i] : list.get(i);
            choices.push({
                "value": String(choice.value),
                "label": String(choice.label)
            });
        }
        return choices;
    }

    // Numbers in their shortest form, free of binary rounding noise.
    function shortNumber(value) {
        return String(Number(value.toPrecision(12)));
    }

    function channelModes() {
        const base = "hardwareDetect/device@id=0-0/channel@id=" + chIndex();
        const listOf = function listOf(text) {
            return text === "" ? [] : text.split(",").map(Number);
        };
        const voltages = listOf(main.getConfigValue(base + "/@voltageModeList"));
        const currents = listOf(main.getConfigValue(base + "/@currentModeList"));
        if (voltages.length !== currents.length)
            console.warn("Menu_Item: channel " + chIndex() + " reports " + voltages.length + " voltage and " + currents.length + " current modes");

        const modes = [];
        for (let k = 0; k < Math.min(voltages.length, currents.length); ++k) {
            if (!isFinite(voltages[k]) || !isFinite(currents[k])) {
                console.warn("Menu_Item: skipping the unreadable channel mode " + k);
                continue;
            }
            modes.push({
                "value": String(Math.trunc(voltages[k])),
                "label": shortNumber(voltages[k] / 1000) + " kV / " + shortNumber(currents[k] * 1000) + " mA"
            });
        }
        return modes;
    }

    function getSelectOptions() {
        let offered = [];
        if (entry._selectOptionsDynamic === "channelModes") {
            offered = channelModes();
        } else if (entry._selectOptionsDynamic === "configFiles") {
            const names = main.command("getConfigFilesList");
            files = Array.isArray(names) ? names.slice() : [];
            offered = files.map(function(name) {
                return {
                    "value": name,
                    "label": name
                };
            });
        }
        if (offered.length === 0)
            offered = choicesOf(entry._selectOptions);

        options = offered;
        return options;
    }

    function edit() {
        editActive = true;
        getSelectOptions();
        editBar.state = "edit";
        if (itemValue === "" && entry._valueIfEmpty !== undefined)
            updateValue(entry._valueIfEmpty, entry._unit);

        switch (inputType()) {
        case "text":
            valueField.cursorVisible = true;
            break;
        case "select":
            arrows.visible = true;
            break;
        default:
            valueField.cursorVisible = true;
            arrows.visible = true;
            generateLabel();
            selectDigit();
        }
        sign = Number(itemValue) < 0 ? -1 : 1;
    }

    function closeEdit() {
        keyboardActive = false;
        editActive = false;
        editBar.state = "";
        valueField.cursorVisible = false;
        arrows.visible = false;
        valueField.deselect();
        getSelectOptions();
    }

    // Checks typed text before it becomes the value: a number, a calendar
    // date, a clock time or an IPv4 address where the entry needs one.
    function inputError(text) {
        switch (inputType()) {
        case "numeric":
            return text !== "" && isFinite(Number(text)) ? "" : "not a number";
        case "date":
            return parseDate(text) !== null ? "" : "not a date YYYY-MM-DD";
        case "time":
            return parseTime(text) !== null ? "" : "not a time HH:MM:SS";
        case "ip":
            return isIpAddress(text) ? "" : "not an IPv4 address";
        }
        return "";
    }

    function isIpAddress(text) {
        const parts = text.split(".");
        return parts.length === 4 && parts.every(function(part) {
            return /^\d{1,3}$/.test(part) && Number(part) <= 255;
        });
    }

    // Returns false, and keeps the value, when the shown text is refused.
    function applyTextInput() {
        // The shown text of a choice is its label, not its value.
        if (inputType() === "select") {
            keyboardActive = false;
            return true;
        }
        const error = inputError(itemValueLabel);
        if (error !== "") {
            // The typed text stays, to be corrected.
            console.warn("Menu_Item: refusing \"" + itemValueLabel + "\" for " + label + ": " + error);
            flashWheel("error");
            return false;
        }
        keyboardActive = false;
        updateValue(itemValueLabel, itemUnit);
        return true;
    }

    function setDefault() {
        if (entry._default === undefined)
            return ;

        updateValue(entry._default);
        keyboardActive = false;
        if (editActive && inputType() !== "select" && inputType() !== "text") {
            generateLabel();
            selectDigit();
        }
    }

    function generateLabel() {
        const value = Number(itemValue);
        const digits = entry._digits === undefined ? 0 : entry._digits;
        if (itemValue === "" || !isFinite(value) || (entry._addLeadingZeros !== true && entry._digits === undefined)) {
            itemValueLabel = itemValue;
            return ;
        }
        const rounded = Math.abs(value).toFixed(digits).split(".");
        let integer = rounded[0];
        // Padded after rounding, so that 9.9996 becomes 0010.000.
        if (entry._addLeadingZeros === true)
            integer = integer.padStart(4, "0");

        itemValueLabel = (value < 0 ? "-" : "") + integer + (rounded.length > 1 ? "." + rounded[1] : "");
    }

    // Exponents of the highest and the lowest digit of the shown text; a
    // leading "-" is no digit.
    function digitRange() {
        const text = itemValueLabel;
        const point = text.indexOf(".");
        const before = point < 0 ? text.length : point;
        return {
            "before": before,
            "highest": before - 1 - (text.startsWith("-") ? 1 : 0),
            "lowest": point < 0 ? 0 : -(text.length - point - 1)
        };
    }

    function selectDigit() {
        if (!/\d/.test(itemValueLabel)) {
            valueField.deselect();
            return ;
        }
        const range = digitRange();
        // The text may have lost digits since the cursor was placed.
        if (exponent > range.highest)
            exponent = Math.max(range.highest, range.lowest);
        else if (exponent < range.lowest)
            exponent = range.lowest;
        const position = exponent >= 0 ? range.before - exponent - 1 : range.before - exponent;
        valueField.select(position, position + 1);
    }

    function changeDigit(reverse) {
        const range = digitRange();
        if (reverse === false)
            exponent = exponent + 1 > range.highest ? range.lowest : exponent + 1;
        else
            exponent = exponent - 1 < range.lowest ? range.highest : exponent - 1;
        selectDigit();
    }

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

    function parseTime(text) {
        const match = /^(\d{2}):(\d{2}):(\d{2})$/.exec(text);
        if (match === null || Number(match[1]) > 23 || Number(match[2]) > 59 || Number(match[3]) > 59)
            return null;

        return Number(match[1]) * 3600 + Number(match[2]) * 60 + Number(match[3]);
    }

    function twoDigits(value) {
        return String(value).padStart(2, "0");
    }

    function stepChoice(steps) {
        const choices = options;
        const index = choices.findIndex(function(option) {
            return option.value === itemValue;
        });
        const next = index < 0 ? (steps > 0 ? -1 : 1) : (steps > 0 ? index - 1 : index + 1);
        if (next < 0 || next >= choices.length)
            return ;

        itemValue = choices[next].value;
        itemValueLabel = choices[next].label;
    }

    // Returns false when the value is not a number and nothing changed.
    function stepNumber(steps) {
        const value = Number(itemValue);
        if (itemValue === "" || !isFinite(value))
            return false;

        const direction = steps < 0 ? -1 : 1;
        let count = steps;
        if (exponent < 0)
            count = Math.abs(steps) > 10 ? 10 * direction : direction;
        else if (exponent === 1 && Math.abs(steps) > 10)
            count = 10 * direction;
        else if (exponent >= 2)
            count = direction;
        const absolute = entry._handleAbsolute === true;
        let next = (absolute ? Math.abs(value) : value) + Math.pow(10, exponent) * count;
        // Decimal steps in binary arithmetic leave noise such as 1.3499999.
        next = Number(next.toPrecision(12));
        if (exponent >= 0 && Math.abs(count) === 10)
            next = Math.trunc(next / 10) * 10;
        else if (exponent >= 0 && Math.abs(count) === 100)
            next = Math.trunc(next / 100) * 100;
        if (min !== undefined && next < Number(min)) {
            next = Number(min);
            flashWheel("warning");
        }
        if (max !== undefined && next > Number(max)) {
            next = Number(max);
            flashWheel("warning");
        }
        itemValue = String(absolute ? sign * next : next);
        if (itemValue === "-0")
            itemValue = "0";

        generateLabel();
        selectDigit();
        return true;
    }

    function stepDate(steps) {
        const date = parseDate(itemValue);
        if (date === null) {
            console.warn("Menu_Item: cannot step the date \"" + itemValue + "\"");
            return false;
        }
        date.setUTCDate(date.getUTCDate() + steps);
        itemValue = date.getUTCFullYear() + "-" + twoDigits(date.getUTCMonth() + 1) + "-" + twoDigits(date.getUTCDate());
        generateLabel();
        return true;
    }

    function stepTime(steps) {
        const seconds = parseTime(itemValue);
        if (seconds === null) {
            console.warn("Menu_Item: cannot step the time \"" + itemValue + "\"");
            return false;
        }
        const day = 24 * 3600;
        const next = (((Math.round(seconds / 10) * 10 + 10 * steps) % day) + day) % day;
        itemValue = twoDigits(Math.floor(next / 3600)) + ":" + twoDigits(Math.floor(next / 60) % 60) + ":" + twoDigits(next % 60);
        generateLabel();
        return true;
    }

    function changeValueBySteps(steps) {
        keyboardActive = false;
        switch (inputType()) {
        case "select":
            stepChoice(steps);
            break;
        case "numeric":
            if (!stepNumber(steps))
                return ;

            break;
        case "date":
            if (!stepDate(steps))
                return ;

            break;
        case "time":
            if (!stepTime(steps))
                return ;

            break;
        }
        valueChanged();
    }

    function refuseKey(candidate, flash, reason) {
        console.warn("Menu_Item: refusing \"" + candidate + "\" for " + label + ": " + reason);
        flashWheel(flash);
    }

    function keyAction(key) {
        if (!keyboardActive) {
            itemValueLabel = "";
            keyboardActive = true;
        }
        const type = inputType();
        if (type === "select" || key === "return")
            return ;

        if (key === "delete" || key === "backspace") {
            itemValueLabel = type === "numeric" ? "" : itemValueLabel.slice(0, -1);
        } else if (type === "numeric") {
            const candidate = itemValueLabel + key;
            // Anything that can still grow into a number is accepted.
            if (!/^-?\d*\.?\d*$/.test(candidate)) {
                refuseKey(candidate, "error", "not a number");
                return ;
            }
            const value = Number(candidate);
            const magnitude = entry._handleAbsolute === true ? Math.abs(value) : value;
            if (/\d/.test(candidate) && ((min !== undefined && magnitude < Number(min)) || (max !== undefined && magnitude > Number(max)))) {
                refuseKey(candidate, "warning", "outside " + min + " .. " + max);
                return ;
            }
            itemValueLabel = candidate;
        } else {
            itemValueLabel += key;
        }
        valueField.cursorPosition = valueField.length;
    }

    width: 480
    height: 35
    Component.onCompleted: {
        if (entry._itemID !== undefined)
            resolvedItemID = withChannel(entry._itemID);

        if (entry._dataSource === "LUMA")
            cID = entry._dataPath !== undefined ? entry._dataPath : "0.0." + chIndex();

        if (entry._cID !== undefined)
            cID = entry._cID;

        if (entry._min !== undefined)
            min = entry._min;

        if (entry._max !== undefined)
            max = entry._max;

        main.subscribe(root, cID, updateState);
        main.componentChanged.connect(changeComponent);
        main.configChanged.connect(configReceived);
        updateState(cID);
        setMinMax();
        checkMismatch();
        limitsAgain.start();
        conditionTimer.start();
    }
    Component.onDestruction: {
        conditionTimer.stop();
        main.unsubscribe(root);
        main.componentChanged.disconnect(changeComponent);
        main.configChanged.disconnect(configReceived);
    }

    // The row's own timers die with it: no late call reaches a destroyed row.
    Timer {
        id: limitsAgain

        interval: 1000
        onTriggered: root.setMinMax()
    }

    Timer {
        id: conditionTimer

        objectName: "conditionTimer"
        interval: 1000
        repeat: true
        onTriggered: root.checkBlocked()
    }

    Image {
        id: editBar

        objectName: "editBar"
        width: 480
        height: 42
        visible: false
        source: "../assets/Menu/bg_menu_item_edit_sm_grey.png"
        states: [
            State {
                name: "edit"

                PropertyChanges {
                    target: editBar
                    visible: true
                }

            }
        ]
    }

    Text {
        id: labelText

        objectName: "label"
        x: root.paddingX
        y: 6
        width: 470
        height: 35
        verticalAlignment: Text.AlignVCenter
        rightPadding: root.paddingX
        elide: Text.ElideRight
        color: root.dimmed ? root.text_color_readonly : root.text_color
        font.family: "Century Gothic"
        font.bold: true
        font.pixelSize: main.fontDefaultSize + 1
    }

    Item {
        objectName: "valueFrame"
        x: 155
        y: 5
        width: 212
        height: 35
        clip: true

        TextInput {
            id: valueField

            objectName: "valueField"
            width: 170
            height: 35
            text: root.itemValueLabel
            // Keys arrive through the menu view only, so that every typed
            // character passes the row's checks.
            readOnly: !root.keyboardActive
            activeFocusOnPress: false
            cursorVisible: false
            horizontalAlignment: TextInput.AlignRight
            verticalAlignment: TextInput.AlignVCenter
            rightPadding: root.paddingX
            selectionColor: "#333333"
            persistentSelection: true
            color: editBar.state === "edit" ? root.text_edit : root.dimmed ? root.text_color_readonly : root.text_color
            font.family: "Century Gothic"
            font.bold: true
            font.pixelSize: text.length < 15 ? main.fontDefaultSize + 4 : main.fontDefaultSize + 1
        }

        Text {
            objectName: "unitField"
            x: 154
            y: root.itemUnit.length > 3 ? 2 : 0
            width: root.itemUnit === "" ? 0 : 50
            height: 35
            text: root.itemUnit.substring(0, 5)
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            color: root.dimmed ? root.text_color_readonly : root.text_color
            font.family: "Century Gothic"
            font.bold: true
            font.pixelSize: root.itemUnit.length > 3 ? valueField.font.pixelSize - 3 : valueField.font.pixelSize
        }

        Image {
            objectName: "lockIcon"
            x: 10
            y: 7
            width: 15
            height: 15
            opacity: 0.5
            visible: root.state === "blocked"
            source: "../assets/Icons/ico_lock.png"
        }

    }

    Rectangle {
        objectName: "mismatchBadge"
        x: 10
        y: 4
        width: mismatchText.width + 20
        height: 10
        color: "#FF6600"
        radius: 2
        clip: true
        visible: root.mismatch

        Text {
            id: mismatchText

            objectName: "mismatchText"
            x: 4
            y: -1
            text: "CONFIG MISMATCH (" + root.mismatchInfo + ")"
            color: "#FFFFFF"
            font.family: "Century Gothic"
            font.pixelSize: main.fontDefaultSize - 2
        }

    }

    MouseArea {
        objectName: "rowArea"
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: root.clicked(root.cID)
        onDoubleClicked: root.doubleClicked(root.cID)
    }

    Item {
        id: arrows

        objectName: "arrows"
        visible: false

        Image {
            x: 170
            y: 11
            width: 10
            height: 8
            source: "../assets/Menu/arrow_input_select_up.png"

            MouseArea {
                objectName: "arrowUp"
                anchors.fill: parent
                anchors.margins: -4
                onClicked: root.changeValueBySteps(1)
            }

        }

        Image {
            x: 170
            y: 25
            width: 10
            height: 8
            source: "../assets/Menu/arrow_input_select_down.png"

            MouseArea {
                objectName: "arrowDown"
                anchors.fill: parent
                anchors.margins: -4
                onClicked: root.changeValueBySteps(-1)
            }

        }

    }

}
