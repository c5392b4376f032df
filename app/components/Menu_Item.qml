import QtQuick 2.12
import "menuvalues.js" as MenuValues

// One row of a settings menu: the entry's label and, for entries with a
// value, the value read from its source with its unit. The menu view drives
// the editing; the row formats, steps and checks the value but never writes
// it anywhere itself.
Item {
    id: root

    // The menu entry this row shows; roles it does not declare read as undefined.
    property var entry: ({
    })
    // The menu view the row sits in: its object states and conditions.
    property var view: null
    property string cID: ""
    property alias label: labelText.text
    property string itemID: ""
    property string itemValue: ""
    property string itemUnit: ""
    property string itemValueLabel: entry._dataSource !== undefined ? "n/a" : ""
    // Read from its source at least once; a row without a source always is.
    property bool valueKnown: entry._dataSource === undefined
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
    // A device item of every channel at once ("ALL CHANNELS").
    readonly property bool allChannels: entry._dataSource === "LUMA" && cID === "0.0.*"
    // What an update must contain to concern the row.
    readonly property string subscriptionKey: allChannels ? "0.0." : cID
    // The row's command in the state registry, per channel: "active" while
    // it waits for the supply, "error" when refused, "warning" unanswered.
    readonly property string answerKey: cID + "@" + resolvedItemID
    readonly property color answerColor: state === "error" ? main.status_color_error : state === "warning" ? main.status_color_warning : text_color

    signal clicked(string id)
    signal doubleClicked(string id)
    signal valueChanged()
    // A key, a step or the shown text was refused ("error") or cut to a
    // limit ("warning"); the view shows it.
    signal refused(string flash)

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

    function limits() {
        return {
            "min": min,
            "max": max,
            "absolute": entry._handleAbsolute === true,
            "sign": sign,
            "digits": entry._digits
        };
    }

    function refuse(state, text, reason) {
        console.warn("Menu_Item: refusing \"" + text + "\" for " + label + ": " + reason);
        refused(state);
    }

    // The channels that exist, for a row of all channels.
    function channelPaths() {
        const paths = [];
        for (let i = 0; i < main.numberOfChannels; ++i) paths.push("0.0." + i)
        return paths;
    }

    // An update of the row's item or limits at one of the channels, or the
    // row's own cID.
    function concernsAllChannels(identifier) {
        if (identifier === cID)
            return true;

        // Every channel's measurements pass here: the item is tested first.
        const separator = identifier.indexOf("_");
        const item = identifier.slice(separator + 1);
        if (item !== resolvedItemID && item !== entry._minFromLuma && item !== entry._maxFromLuma)
            return false;

        return channelPaths().includes(identifier.slice(0, separator));
    }

    function updateState(identifier) {
        if (allChannels ? !concernsAllChannels(identifier) : !main.checkIdentifier(identifier, cID))
            return false;

        if (entry._action !== "readonly" && view)
            state = view.getObjectState(answerKey);

        const limitPath = allChannels ? "0.0.0" : cID;
        if ((entry._minFromLuma !== undefined && identifier === limitPath + "_" + entry._minFromLuma) || (entry._maxFromLuma !== undefined && identifier === limitPath + "_" + entry._maxFromLuma))
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

    // The file list arrives after the row was built: its choices follow,
    // and a choice that is gone gives way to the first file.
    function filesReceived() {
        if (entry._selectOptionsDynamic !== "configFiles")
            return ;

        if (!editActive) {
            refreshValue();
            return ;
        }
        getSelectOptions();
        if (!files.includes(itemValue))
            updateValue(files.length > 0 ? files[0] : "");

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
            if (allChannels)
                refreshFromChannels();
            else
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

    // The value all channels share; "—" while they differ or one is not
    // known, with channel 0's value to start an edit from.
    function refreshFromChannels() {
        const records = channelPaths().map(function(path) {
            return main.getItemValue(path, resolvedItemID);
        });
        const first = records.length > 0 ? records[0] : ["", "", ""];
        const common = first[1] !== "" && records.every(function(record) {
            return record[1] === first[1] && record[2] === first[2];
        });
        updateValue(first[1], first[2] === "" ? undefined : first[2]);
        if (!common)
            itemValueLabel = "—";

    }

    function updateValue(value, unit) {
        itemID = resolvedItemID;
        itemValue = value === undefined || value === null ? "" : String(value);
        if (unit !== undefined && unit !== null && String(unit) !== itemUnit) {
            itemUnit = String(unit);
            setMinMax();
        }
        itemValueLabel = itemValue;
        valueKnown = true;
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
        if (entry._readonlyConditionCommand !== undefined && view)
            state = view.checkCondition(entry._readonlyConditionCommand) ? "blocked" : view.getObjectState(answerKey);

        isEditable = valueKnown && state !== "blocked";
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

    // The file choices come from the list the controller holds; asking the
    // supply for it is the view's and edit()'s business, so that an answer
    // never leads to another request.
    function getSelectOptions() {
        let offered = [];
        if (entry._selectOptionsDynamic === "channelModes") {
            offered = channelModes();
        } else if (entry._selectOptionsDynamic === "configFiles") {
            const names = main.configFilesOnUsb;
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
        if (entry._selectOptionsDynamic === "configFiles")
            main.command("getConfigFilesList");

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

    // The shown text becomes the value.
    function applyTextInput() {
        keyboardActive = false;
        // The shown text of a choice is its label, not its value.
        if (inputType() !== "select")
            updateValue(itemValueLabel, itemUnit);

    }

    // As applyTextInput(), once the whole shown text passed its checks: the
    // format and, for numbers, both limits. Returns false, keeping the text
    // to be corrected, when it is refused.
    function acceptTextInput() {
        if (inputType() !== "select") {
            const error = MenuValues.inputError(inputType(), itemValueLabel, limits());
            if (error !== "") {
                refuse("error", itemValueLabel, error);
                return false;
            }
        }
        applyTextInput();
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
        itemValueLabel = MenuValues.formatNumber(itemValue, entry._digits, entry._addLeadingZeros);
    }

    function selectDigit() {
        if (!/\d/.test(itemValueLabel)) {
            valueField.deselect();
            return ;
        }
        exponent = MenuValues.fitExponent(itemValueLabel, exponent);
        const position = MenuValues.digitPosition(itemValueLabel, exponent);
        valueField.select(position, position + 1);
    }

    function changeDigit(reverse) {
        exponent = MenuValues.nextExponent(itemValueLabel, exponent, reverse);
        selectDigit();
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
        const next = MenuValues.stepNumber(itemValue, steps, exponent, limits());
        if (next === null)
            return false;

        itemValue = next.value;
        generateLabel();
        selectDigit();
        if (next.clamped)
            refused("warning");

        return true;
    }

    function stepDate(steps) {
        const next = MenuValues.stepDate(itemValue, steps);
        if (next === null) {
            console.warn("Menu_Item: cannot step the date \"" + itemValue + "\"");
            return false;
        }
        itemValue = next;
        generateLabel();
        return true;
    }

    function stepTime(steps) {
        const next = MenuValues.stepTime(itemValue, steps);
        if (next === null) {
            console.warn("Menu_Item: cannot step the time \"" + itemValue + "\"");
            return false;
        }
        itemValue = next;
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
            const refusal = MenuValues.typingError(candidate, limits());
            if (refusal !== null) {
                refuse(refusal.state, candidate, refusal.reason);
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

        main.subscribe(root, subscriptionKey, updateState);
        main.componentChanged.connect(changeComponent);
        main.configChanged.connect(configReceived);
        main.configFilesOnUsbChanged.connect(filesReceived);
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
        main.configFilesOnUsbChanged.disconnect(filesReceived);
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
        color: root.dimmed ? root.text_color_readonly : root.answerColor
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
            color: editBar.state === "edit" || root.state === "active" ? root.text_edit : root.dimmed ? root.text_color_readonly : root.answerColor
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
            color: root.dimmed ? root.text_color_readonly : root.answerColor
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
