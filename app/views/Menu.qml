import "../components"
import "../components/menuvalues.js" as MenuValues
import "../models"
import QtQuick 2.12

// One settings menu as a list of rows: browsed with the wheel, touch, keys
// and soft keys; one value at a time is edited here and written to where it
// came from.
Item {
    id: controller

    property string cID: "menu"
    property string modelToLoad: ""
    property string backMode: "back"
    property string mode: "select"
    property bool autoApply: false
    property var currentItem
    property var itemInEdit: null
    property color text_color: "#FFFFFF"
    // The menu shown: `modelToLoad`, or the remote set-up in its place.
    property var menu: null
    property string shownMenu: ""
    // The keyboard mode of the edit, empty for an edit without keyboard.
    property string editKeyboard: ""
    // "ok", "warning" or "error": shown on the wheel for a moment.
    property string editFlash: ""
    // The current entry's help text, and the limits of the value in edit.
    property string description: ""
    readonly property string editLimits: itemInEdit && itemInEdit.entry && itemInEdit.entry._inputType === "numeric" ? MenuValues.limitsText(itemInEdit.min, itemInEdit.max, itemInEdit.itemUnit) : ""

    function initView() {
        buttonBar.resetStates();
        initButtons();
        main.loadConfiguration();
        loadMenu(modelToLoad);
        updateState(cID);
        changeButtonsBySelection();
        const channel = main.selectedChannel;
        title.text = String(menu.title).replace("%(chLabel)", channel.chLabel === undefined ? "" : channel.chLabel);
        main.setComponent("topBar", {
            "pathText": String(menu.path).replace("%(cID)", channel.cID === undefined ? "" : channel.cID)
        });
        main.setComponent("topBar", {
            "deviceName": main.deviceName
        });
        main.command("getConfigFilesList");
    }

    // Leaving the view ends its edit: nothing of it stays on the next view.
    function destroyView() {
        cancelFlash();
        endEdit();
        main.viewChanged.disconnect(initView);
        main.unsubscribe(controller);
        main.alert.disconnect(alert.add);
        main.componentTriggered.disconnect(rowAnswered);
    }

    function updateState(identifier) {
        if (!main.checkIdentifier(identifier, cID))
            return false;

        state = getObjectState(cID);
        return true;
    }

    function getObjectState(cID) {
        return main.getObjectState(cID);
    }

    function getObjectInfo(cID) {
        return main.getObjectInfo(cID);
    }

    // Without a supply the remote panel can only be pointed at one.
    function redirectsToRemote(id) {
        return !main.connected && id !== "configRemote" && main.appMode === "remote";
    }

    function loadMenu(id) {
        if (redirectsToRemote(id)) {
            command("addAlert", {
                "type": cID,
                "state": "warning",
                "message": "Not connected. Please enter the IP settings of the device."
            });
            id = "configRemote";
        }
        let model = menuStructure.getMenu(id);
        if (!model) {
            console.warn("Menu: no menu \"" + id + "\", showing the settings");
            id = "configMain";
            model = menuStructure.getMenu(id);
        }
        shownMenu = id;
        if (menu !== model) {
            menu = model;
            menuList.currentIndex = 0;
            entrySelected();
        }
    }

    function entrySelected() {
        const index = menuList.currentIndex;
        if (index < 0 || !menu || index >= menu.count)
            return ;

        currentItem = menu.get(index);
        wh1.setScrollBar(index / menu.count * 100);
        changeButtonsBySelection();
    }

    // "unknown" while one of the items is not current (a last known "0"
    // may be long out of date), else "off" when all read "0", else "on".
    function switchState(path, items) {
        let state = "off";
        for (const item of items) {
            const on = main.getItemValue(path, item)[1];
            if (!main.isItemCurrent(path, item))
                state = "unknown";
            else if (on !== "0" && state === "off")
                state = "on";
        }
        return state;
    }

    // Why the named condition blocks its entry now, "" when it does not.
    // Only current values unblock: the supply has not reported a state,
    // or the link lost it, and the entry stays blocked.
    function blockReason(name) {
        if (name !== "isAnyChannelTurnedOn" && name !== "isChannelTurnedOn" && name !== "isChannelFixed")
            return "";

        const channel = main.selectedChannel;
        const one = name !== "isAnyChannelTurnedOn" && channel.cID !== "0.0.*";
        const state = one ? switchState(channel.cID, ["Status.on", "Control.on"]) : switchState("0.0", ["Status.on"]);
        if (state === "off")
            return "";

        if (!one)
            return state === "on" ? "A CHANNEL IS ON" : "CHANNEL STATES NOT CURRENT";

        return state === "on" ? "CHANNEL " + channel.chIndex + " IS ON" : "STATE OF CHANNEL " + channel.chIndex + " NOT CURRENT";
    }

    function checkCondition(name) {
        return blockReason(name) !== "";
    }

    // An action its condition blocks is refused with the reason.
    function refuseBlocked(entry) {
        const message = String(entry._itemName).toUpperCase() + " BLOCKED: " + blockReason(entry._readonlyConditionCommand);
        console.warn("Menu: " + message);
        command("addAlert", {
            "type": cID,
            "state": "warning",
            "message": message
        });
    }

    function setButton(key, text, clickAction) {
        main.setComponent(key, {
            "text": text,
            "clickAction": clickAction
        });
    }

    function editedEntry() {
        return itemInEdit ? itemInEdit.entry : currentItem;
    }

    function initButtons() {
        if (mode !== "edit") {
            setButton("bb_bt1", "SELECT", "openSubMenu");
            setButton("bb_bt2", "", "");
            setButton("bb_bt3", "", "");
            setButton("bb_bt4", "BACK", backMode);
            return ;
        }
        const entry = editedEntry();
        const numeric = entry !== undefined && entry._inputType === "numeric";
        const hasDefault = entry !== undefined && entry._default !== undefined && entry._default !== "";
        setButton("bb_bt1", "APPLY", "apply");
        if (numeric) {
            setButton("bb_bt2", "AUTO-APPLY", "toggleAutoApply");
            setButton("bb_bt3", "DIGIT", "changeDigit");
            setButton("bb_bt4", "CANCEL", "cancel");
        } else {
            setButton("bb_bt2", "CANCEL", "cancel");
            setButton("bb_bt3", hasDefault ? "DEFAULT" : "", hasDefault ? "defaultValues" : "");
            setButton("bb_bt4", "", "");
        }
        command("disableAutoApply");
    }

    function changeButtonsBySelection() {
        const entry = currentItem;
        if (mode !== "edit") {
            const action = entry === undefined ? undefined : entry._action;
            if (action === "edit")
                setButton("bb_bt1", "EDIT", "editItem");
            else if (action === "menu")
                setButton("bb_bt1", "SELECT", "openSubMenu");
            else if (action === "command" && entry._readonlyConditionCommand !== undefined && checkCondition(entry._readonlyConditionCommand))
                setButton("bb_bt1", "BLOCKED", "blocked");
            else if (action === "command")
                setButton("bb_bt1", "SET / DO", entry._command);
            else
                setButton("bb_bt1", "", "");
        }
        description = entry !== undefined && entry._description !== undefined ? entry._description : "";
    }

    function wheelTurned(steps) {
        if (mode === "edit") {
            if (itemInEdit)
                itemInEdit.changeValueBySteps(steps);

        } else if (steps < 0) {
            menuList.incrementCurrentIndex();
        } else {
            menuList.decrementCurrentIndex();
        }
    }

    function editedValueChanged() {
        if (autoApply)
            applyEdit();

    }

    // The wheel and the keyboard show the edit's state, set here alone: a
    // flash, else "active" while editing; the keyboard while its edit takes
    // typing, which auto-apply does not.
    function showEditState() {
        const editing = itemInEdit !== null;
        main.setObjectState("wh1", editFlash !== "" ? editFlash : editing ? "active" : "");
        main.setObjectState("keyboard", editing && editKeyboard !== "" && !autoApply ? "active" : "");
    }

    // A refusal outranks a clamp, a clamp the "ok" of the apply it caused.
    function flashEdit(state) {
        const rank = {
            "ok": 1,
            "warning": 2,
            "error": 3
        };
        if (flashTimer.running && rank[editFlash] > rank[state])
            return ;

        editFlash = state;
        flashTimer.interval = state === "ok" ? 250 : 300;
        flashTimer.restart();
        showEditState();
    }

    function cancelFlash() {
        flashTimer.stop();
        editFlash = "";
    }

    function setAutoApply(on) {
        autoApply = on;
        main.setObjectState("bb_bt2", on ? "active" : "");
        showEditState();
    }

    function editItem() {
        const row = menuList.currentItem;
        if (currentItem === undefined || currentItem._action !== "edit" || !row)
            return ;

        // Decided on the values of this moment, not of the row's last check.
        row.checkBlocked();
        if (row.state === "blocked") {
            refuseBlocked(row.entry);
            return ;
        }
        if (!row.isEditable)
            return ;

        cancelFlash();
        itemInEdit = row;
        row.valueChanged.connect(editedValueChanged);
        row.edit();
        mode = "edit";
        const type = row.entry._inputType;
        const keyboardModes = {
            "date": "date",
            "time": "time",
            "numeric": "numeric",
            "text": "alpha",
            "ip": "numeric"
        };
        editKeyboard = keyboardModes[type] === undefined ? "" : keyboardModes[type];
        if (editKeyboard !== "")
            keyboard.setMode(editKeyboard);

        showEditState();
        if (type === "text") {
            row.applyTextInput();
            // The edited row goes to the top, clear of the keyboard.
            listArea.y = 24 + menuList.contentY - row.y;
        } else if (type === "ip") {
            row.applyTextInput();
        }
        main.viewChanged("Menu_Edit");
    }

    // Every way out of an edit ends here: APPLY, EXIT, CANCEL, BACK, a view
    // change and the link going down. Auto-apply ends with it.
    function endEdit() {
        const row = itemInEdit;
        if (row) {
            row.valueChanged.disconnect(editedValueChanged);
            leaveEdit();
            row.closeEdit();
        }
        itemInEdit = null;
        editKeyboard = "";
        mode = "select";
        setAutoApply(false);
    }

    // The file name a configuration is saved under on the stick: no path,
    // no characters the stick's file system or the supply reject.
    function cleanConfigName(name) {
        return name.replace(/[;*#\/\\]/g, "").replace(/ /g, "_").split(".xml").join("") + ".xml";
    }

    // The request for the new value captures all it needs, the root
    // included: the view may be gone by then, and names are no longer
    // looked up through it. The value is read back at readPaths (each
    // channel there is, for a write to all). True when the write went out.
    function writeDeviceItem(path, item, value, unit, readPaths) {
        const root = main;
        if (!root.setItemValue(path, item, value, unit))
            return false;

        root.delay(function() {
            for (const channel of readPaths) root.triggerValueUpdate(channel, item)
        }, 500);
        return true;
    }

    // A refusal keeps the edit, to be corrected; the wheel shows it.
    function refuseApply(message) {
        command("addAlert", {
            "type": cID,
            "state": "warning",
            "message": message
        });
        flashEdit("error");
    }

    function applyEdit() {
        const row = itemInEdit;
        if (row)
            row.checkBlocked();

        if (row && row.state === "blocked") {
            refuseBlocked(row.entry);
            flashEdit("error");
            return ;
        }
        if (!row || !row.isEditable)
            return ;

        const entry = row.entry;
        if (["numeric", "text", "ip", "date", "time"].includes(entry._inputType) && !row.acceptTextInput())
            return ;

        // A write the supply cannot get is refused where it was made (the
        // controller's alert names it) and the edit stays open. The wheel
        // shows "ok" for a USB command or a setting on the supply's word.
        let sent = true;
        let answered = false;
        if (entry._command === "restoreConfiguration") {
            if (row.itemValue === "") {
                refuseApply("No configuration file on the USB memory to restore.");
                return ;
            }
            sent = main.command("restoreConfiguration", {
                "file": row.itemValue,
                "cID": row.answerKey
            });
            answered = true;
        } else if (entry._command === "saveConfiguration") {
            const name = cleanConfigName(row.itemValue);
            row.updateValue(name);
            sent = main.command("saveConfiguration", {
                "name": name,
                "cID": row.answerKey
            });
            answered = true;
        }
        switch (entry._dataSource) {
        case "config":
            sent = main.setConfigValue(row.itemID, row.itemValue, row.answerKey);
            answered = true;
            break;
        case "LUMA":
            sent = writeDeviceItem(row.cID, row.itemID, row.itemValue, row.itemUnit, row.allChannels ? row.channelPaths() : [row.cID]);
            break;
        case "remoteConfig":
            sent = main.setRemoteConfig(row.itemID, row.itemValue);
            break;
        }
        if (!sent) {
            flashEdit("error");
            return ;
        }
        if (!answered)
            flashEdit("ok");

        if (!autoApply) {
            endEdit();
            initButtons();
            changeButtonsBySelection();
        }
    }

    // The supply confirmed the command of one of this menu's rows.
    function rowAnswered(identifier, params) {
        if (!params || params.answer !== "ok" || identifier === "")
            return ;

        for (let i = 0; menu && i < menu.count; ++i) {
            const cID = menu.get(i)._cID;
            if (cID !== undefined && identifier.startsWith(cID + "@")) {
                flashEdit("ok");
                return ;
            }
        }
    }

    function cancelEdit() {
        const row = itemInEdit;
        if (!row)
            return ;

        cancelFlash();
        // A row without a source has nothing to go back to.
        if (row.entry._dataSource === undefined)
            row.updateValue("");
        else
            row.refreshValue();
        endEdit();
        main.viewChanged("Menu");
    }

    // The link going down ends an edit whose value goes to the supply: it
    // cannot reach it. The connection settings are the panel's own.
    function linkChanged() {
        if (main.connected || !itemInEdit || itemInEdit.entry._dataSource === "remoteConfig")
            return ;

        cancelEdit();
        command("addAlert", {
            "type": cID,
            "state": "warning",
            "message": "Connection lost: the edit was cancelled."
        });
    }

    function leaveEdit() {
        if (itemInEdit.entry._inputType !== "text")
            return ;

        listArea.y = 25;
        itemInEdit.applyTextInput();
    }

    function keyPressed(key) {
        if (mode === "edit") {
            switch (key) {
            case "return":
                command("apply");
                break;
            case "cancel":
                command("cancel");
                break;
            case "left":
            case "right":
                itemInEdit.changeDigit(key === "right");
                itemInEdit.keyboardActive = true;
                break;
            case "up":
                itemInEdit.changeValueBySteps(1);
                break;
            case "down":
                itemInEdit.changeValueBySteps(-1);
                break;
            default:
                // The keyboard is hidden under auto-apply: nothing is typed.
                if (!autoApply)
                    itemInEdit.keyAction(key);

            }
            return ;
        }
        switch (key) {
        case "return":
            if (currentItem === undefined)
                break;

            if (currentItem._action === "edit")
                command("editItem");
            else if (currentItem._action === "menu")
                command("openSubMenu");
            break;
        case "cancel":
            command("back");
            break;
        case "up":
            menuList.decrementCurrentIndex();
            break;
        case "down":
            menuList.incrementCurrentIndex();
            break;
        }
    }

    function back() {
        const parentMenu = menu.parentMenu;
        // Going up to a menu that would only show the remote set-up again
        // would trap the user here: go home instead.
        if (modelToLoad === "configMain" || shownMenu !== modelToLoad || (parentMenu && redirectsToRemote(parentMenu)))
            command("openHomescreen");
        else if (parentMenu !== undefined && parentMenu !== "")
            main.changeView("Menu", {
            "modelToLoad": parentMenu
        }, true);
        else
            main.lastView();
    }

    function command(action, params) {
        if (params === undefined || params === null)
            params = {
        };

        switch (action) {
        case "back":
            back();
            break;
        case "openSubMenu":
            if (currentItem === undefined || currentItem._subMenu === undefined)
                break;

            if (currentItem._chId !== undefined)
                main.setSelectedChannel(currentItem._chId);

            main.changeView("Menu", {
                "modelToLoad": currentItem._subMenu
            });
            break;
        case "editItem":
            editItem();
            break;
        case "blocked":
            if (currentItem !== undefined && checkCondition(currentItem._readonlyConditionCommand))
                refuseBlocked(currentItem);

            break;
        case "keyPressed":
            keyPressed(params.key);
            break;
        case "apply":
            applyEdit();
            break;
        case "toggleAutoApply":
            setAutoApply(!autoApply);
            setButton("bb_bt4", autoApply ? "EXIT" : "CANCEL", "cancel");
            break;
        case "disableAutoApply":
            setAutoApply(false);
            break;
        case "cancel":
            cancelEdit();
            break;
        case "changeDigit":
            if (itemInEdit)
                itemInEdit.changeDigit(false);

            break;
        case "defaultValues":
            if (itemInEdit)
                itemInEdit.setDefault();

            break;
        case "addAlert":
            alert.add(params.type, params.message, params.state);
            break;
        case "removeAlert":
            alert.remove(params.type);
            break;
        default:
            main.command(action, params);
        }
    }

    focus: true
    // A desktop keyboard works the menu also while the on-screen one is hidden.
    Keys.onPressed: keyboard.physicalKey(event)
    Component.onCompleted: {
        main.viewChanged.connect(initView);
        main.subscribe(controller, cID, updateState);
        main.alert.connect(alert.add);
        main.componentTriggered.connect(rowAnswered);
    }
    Component.onDestruction: destroyView()

    MenuStructure {
        id: menuStructure
    }

    // Ends a flash of the wheel; owned by the view, so it never fires into
    // a view that is gone.
    Timer {
        id: flashTimer

        onTriggered: {
            controller.editFlash = "";
            controller.showEditState();
        }
    }

    Connections {
        function onConnectedChanged() {
            controller.linkChanged();
        }

        target: main
    }

    Item {
        id: listArea

        objectName: "listArea"
        y: 25
        width: 480
        height: 205
        clip: true

        Text {
            id: title

            objectName: "title"
            x: 10
            height: 20
            color: controller.text_color
            font.family: "Century Gothic"
            font.bold: false
            font.pixelSize: main.fontDefaultSize + 7
        }

        ListView {
            id: menuList

            objectName: "menuList"
            y: 30
            width: 480
            height: 160
            interactive: false
            displayMarginEnd: 30
            keyNavigationWraps: false
            highlightMoveDuration: 100
            model: controller.menu
            onCurrentIndexChanged: controller.entrySelected()

            highlight: Image {
                width: 480
                height: 35
                source: "../assets/Menu/bg_menu_item_grey.png"
            }

            delegate: Menu_Item {
                view: controller
                entry: model
                label: model._itemName === undefined ? "" : model._itemName
                onClicked: {
                    if (controller.mode !== "edit")
                        menuList.currentIndex = index;

                }
                onDoubleClicked: controller.command("keyPressed", {
                    "key": "return"
                })
                onRefused: controller.flashEdit(flash)
                // A command's key follows its condition while it is shown.
                onStateChanged: {
                    if (ListView.isCurrentItem)
                        controller.changeButtonsBySelection();

                }
            }

        }

    }

    Rectangle {
        objectName: "tooltipBar"
        y: 228
        width: 480
        height: 20
        visible: tooltip.text !== ""
        color: "transparent"

        Rectangle {
            anchors.fill: parent
            color: "#ff6600"
            opacity: 0.8
        }

        Text {
            id: tooltip

            objectName: "tooltip"
            text: controller.editLimits === "" ? controller.description : "Limits: " + controller.editLimits + (controller.description === "" ? "" : " | " + controller.description)
            width: 480
            height: 20
            leftPadding: 25
            topPadding: 2
            elide: Text.ElideRight
            color: controller.text_color
            font.family: "Century Gothic"
            font.pixelSize: main.fontDefaultSize
        }

        Image {
            x: -5
            y: -5
            width: 28
            height: 28
            source: "../assets/Icons/ico_info.png"
        }

    }

    Topbar {
        id: topBar

        objectName: "topBar"
        cID: "topBar"
        width: 480
        height: 20
    }

    Bottombar {
        objectName: "bottomBar"
        cID: "bottomBar"
        y: 250
        width: 480
        height: 20
    }

    Wheel {
        id: wh1

        objectName: "wh1"
        view: controller
        x: 355
        y: -50
        onTurned: controller.wheelTurned(steps)
        onPressed: main.triggerComponent("bb_bt1", {
            "action": "released"
        })
    }

    Keyboard {
        id: keyboard

        objectName: "keyboard"
        view: controller
        y: 245
        width: 480
        opacity: controller.autoApply ? 0 : 1
        onKeyPressed: controller.command("keyPressed", {
            "key": action
        })
    }

    Alert {
        id: alert

        objectName: "alert"
        y: 250
        width: 480
        height: 22
    }

    Buttonbar {
        id: buttonBar

        objectName: "buttonBar"
        cID: "buttonBar"
        x: 380
        y: 27
    }

    Image {
        z: -1
        source: "../assets/bg_main.png"
    }

}
