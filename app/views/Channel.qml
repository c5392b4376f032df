import "../components"
import "../components/channelparts.js" as ChannelParts
import QtQuick 2.12

// The detail screen of the selected channel: state, conditions, counters,
// measured and set values, ramps and limits, and a trend chart.
Item {
    id: controller

    // Taken from the selection at once, so that nothing on this screen asks
    // the supply for items of an empty path before initView runs.
    property string cID: main.selectedChannel.cID !== undefined ? main.selectedChannel.cID : ""
    property bool emergency: false
    property string mode: "default"
    property color text_color: "#FFFFFF"
    property color text_color_on: "#FFFFFF"
    property color text_color_inv: "#333333"
    property color text_color_off: "#333333"
    property color text_color_set: "#FF6600"
    property color bg_color: main.ch_bg_color
    property color bg_color_over: main.ch_bg_color_over
    property color bg_color_pressed: main.ch_bg_color_pressed
    property color status_color_default: main.status_color_default
    property color status_color_active: main.status_color_active
    property color status_color_ok: main.status_color_ok
    property color status_color_error: main.status_color_error
    property color status_color_warning: main.status_color_warning
    property color status_color_on: main.status_color_on
    property color status_color_off: main.status_color_off
    property color status_color_disabled: main.status_color_disabled
    property int paddingX: 10
    property int paddingY: 0

    function initView() {
        command("SetMenuDefault");
        // Without a selection the screen stays blank.
        const selected = main.selectedChannel;
        if (selected.cID !== undefined) {
            chTitle.text = selected.chLabel;
            cID = selected.cID;
        }
        main.setComponent("topBar", {
            "pathText": "CHANNEL-DETAILS"
        });
        main.setComponent("topBar", {
            "deviceName": main.deviceName
        });
        // Again on every channel change: the key follows the channel.
        main.subscribe(controller, cID, updateState);
        updateState(cID);
    }

    function value(item) {
        return main.getItemValue(cID, item)[1];
    }

    function valueText(item, separator) {
        const record = main.getItemValue(cID, item);
        return record[1] + separator + record[2];
    }

    function outputModeText(voltage) {
        const number = Number(voltage);
        if (!isFinite(number)) {
            console.warn("Channel: ignoring the output mode", voltage, "of", cID);
            return chOutModeText.text;
        }
        return Math.abs(number) >= 1000 ? number / 1000 + "kV" : voltage + "V";
    }

    // One item updates only the part of the view that shows it; the
    // channel's own identifier (a state change) refreshes the whole view.
    function updateState(identifier) {
        if (cID === "" || !main.checkIdentifier(identifier, cID))
            return false;

        const prefix = cID + "_";
        if (!identifier.startsWith(prefix)) {
            refresh();
            return true;
        }
        const item = identifier.substring(prefix.length);
        // An emergency is raised again with every update of its channel.
        if (emergency || item === "Control.emergency")
            showEmergency();

        switch (item) {
        case "Status.voltageMeasure":
            ChannelParts.show(vmeas, item);
            break;
        case "Control.voltageSet":
            ChannelParts.show(vset, item);
            break;
        case "Status.currentMeasure":
            ChannelParts.show(imeas, item);
            break;
        case "Control.currentSet":
            ChannelParts.show(iset, item);
            break;
        case "Status.runningState":
        case "Control.on":
            ChannelParts.showStatus();
            break;
        case "Status.constantVoltage":
        case "Status.constantCurrent":
            ChannelParts.showMode();
            break;
        case "Setup.outputPolarity":
        case "Status.voltageMode":
            showOutput();
            break;
        case "Status.eventCounter":
        case "Status.errorCounter":
            showCounters();
            break;
        case "Control.voltageRampspeedUp":
        case "Control.voltageRampspeedDown":
        case "Status.voltageLimit":
        case "Control.currentRampspeedUp":
        case "Control.currentRampspeedDown":
        case "Status.currentLimit":
            showSettings();
            break;
        }
        return true;
    }

    function showEmergency() {
        emergency = ChannelParts.showEmergency("Emergency is on. Hold all channels off button to clear.");
    }

    function refresh() {
        state = getObjectState(cID);
        showEmergency();
        ChannelParts.show(vmeas, "Status.voltageMeasure");
        ChannelParts.show(vset, "Control.voltageSet");
        ChannelParts.show(imeas, "Status.currentMeasure");
        ChannelParts.show(iset, "Control.currentSet");
        ChannelParts.showStatus();
        ChannelParts.showMode();
        showOutput();
        showCounters();
        showSettings();
    }

    function showOutput() {
        chPol.state = value("Setup.outputPolarity");
        const voltageMode = value("Status.voltageMode");
        if (voltageMode !== "")
            chOutModeText.text = outputModeText(voltageMode);

    }

    function showCounters() {
        const events = value("Status.eventCounter");
        eventBadge.label = events + " EVENTS";
        eventBadge.state = events > 0 ? "warning" : "disabled";
        const errors = value("Status.errorCounter");
        errorBadge.label = errors + " ERRORS";
        errorBadge.state = errors > 0 ? "error" : "disabled";
    }

    function showSettings() {
        vsettings.values = [valueText("Control.voltageRampspeedUp", "  "), valueText("Control.voltageRampspeedDown", "  "), valueText("Status.voltageLimit", "  ")];
        isettings.values = [valueText("Control.currentRampspeedUp", "  "), valueText("Control.currentRampspeedDown", "  "), valueText("Status.currentLimit", "  ")];
    }

    function getObjectState(cID) {
        return main.getObjectState(cID);
    }

    function getObjectInfo(cID) {
        return main.getObjectInfo(cID);
    }

    function wheelTurned(steps) {
        if (mode === "messages")
            messages.wheelTurned(steps);

    }

    function setButtons(labels) {
        for (let i = 0; i < 4; ++i) {
            main.setComponent("bb_bt" + (i + 1), {
                "text": labels[i][0],
                "clickAction": labels[i][1]
            });
        }
    }

    function showMessages(type, listState) {
        command("SetMenuMessages");
        messages.setupList(cID, type, 1, true);
        messages.state = listState;
    }

    function command(action, params) {
        if (params === undefined || params === null)
            params = {
        };

        switch (action) {
        case "ToggleaddAlert":
            main.command("lumaCommand", {
                "path": cID + "_Control.emergency",
                "mode": "toggle"
            });
            break;
        case "ToggleChannelOnOff":
            main.command("lumaCommand", {
                "path": cID + "_Control.on",
                "mode": "toggle"
            });
            break;
        case "ClearEventError":
            if (!messages.currentItem) {
                console.warn("Channel: no message selected to clear");
                break;
            }
            main.command("lumaCommand", {
                "path": messages.currentItem.path + "_" + messages.currentItem.item,
                "mode": "ClearEventError"
            });
            messages.refresh();
            break;
        case "ClearAll":
            main.command("lumaCommand", {
                "path": cID,
                "mode": "ClearAll"
            });
            messages.refresh();
            break;
        case "SetMenuDefault":
            buttonBar.resetStates();
            mode = "default";
            setButtons([["SETUP", "openChannelSetup"], ["VOLTAGE", "openVoltageMenu"], ["CURRENT", "openCurrentMenu"], ["BACK", "openChannelList"]]);
            break;
        case "SetMenuMessages":
            mode = "messages";
            setButtons([["", ""], ["CLEAR ONE", "ClearEventError"], ["CLEAR ALL", "ClearAll"], ["BACK", "closeMessages"]]);
            break;
        case "OpenMessages":
        case "ShowEvents":
            showMessages("Event", "event");
            break;
        case "ShowErrors":
            showMessages("Error", "error");
            break;
        case "closeMessages":
            command("SetMenuDefault");
            messages.state = "hidden";
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
    Component.onCompleted: {
        initView();
        main.viewChanged.connect(initView);
        main.alert.connect(alert.add);
    }
    Component.onDestruction: {
        main.viewChanged.disconnect(initView);
        main.unsubscribe(controller);
        main.alert.disconnect(alert.add);
    }

    FontLoader {
        id: localFont

        source: "../" + main.fontDefault
    }

    FontLoader {
        id: localFontBold

        source: "../" + main.fontDefaultBold
    }

    ListModel {
        id: badgesModel

        ListElement {
            _label: "LC"
            _itemId: "Status.lowCurrentRange"
            _itemId2: "Event.lowCurrentRange"
            _itemId3: "Error.lowCurrentRange"
            _styleOn: "ok"
            _clickAction: ""
        }

        ListElement {
            _label: "INH"
            _itemId: "Status.externalInhibitActive"
            _itemId2: "Event.externalInhibitActive"
            _itemId3: "Error.externalInhibitActive"
            _clickAction: ""
        }

        ListElement {
            _label: "TRIP"
            _itemId: "Status.currentTrip"
            _itemId2: "Event.currentTrip"
            _itemId3: "Error.currentTrip"
            _clickAction: ""
        }

        ListElement {
            _label: "VLIM"
            _itemId: "Status.voltageLimitExceeded"
            _itemId2: "Event.voltageLimitExceeded"
            _itemId3: "Error.voltageLimitExceeded"
            _clickAction: ""
        }

        ListElement {
            _label: "ILIM"
            _itemId: "Status.currentLimitExceeded"
            _itemId2: "Event.currentLimitExceeded"
            _itemId3: "Error.currentLimitExceeded"
            _clickAction: ""
        }

        ListElement {
            _label: "EMGCY"
            _itemId: "Control.emergency"
            _itemId2: ""
            _itemId3: ""
            _styleOn: "error"
            _clickAction: ""
        }

    }

    Item {
        objectName: "channelInfo"
        x: controller.paddingX
        y: 17
        width: 480
        height: 55

        Text {
            id: chTitle

            objectName: "chTitle"
            text: "CHANNEL -"
            color: controller.text_color
            font.family: localFontBold.name
            font.bold: true
            font.pixelSize: main.fontDefaultSize + 18
        }

        Rectangle {
            id: chStatus

            property color savedColor

            objectName: "chStatus"
            x: -controller.paddingX
            y: 34
            width: 80
            height: 15
            color: controller.status_color_default
            states: [
                State {
                    name: "ok"

                    PropertyChanges {
                        target: chStatus
                        color: controller.status_color_on
                    }

                    PropertyChanges {
                        target: chStatusText
                        color: controller.text_color_on
                    }

                },
                State {
                    name: "info"

                    PropertyChanges {
                        target: chStatus
                        color: controller.status_color_warning
                    }

                    PropertyChanges {
                        target: chStatusText
                        color: controller.text_color_inv
                    }

                },
                State {
                    name: "off"

                    PropertyChanges {
                        target: chStatus
                        color: controller.status_color_off
                    }

                },
                State {
                    name: "error"

                    PropertyChanges {
                        target: chStatus
                        color: controller.status_color_error
                    }

                    PropertyChanges {
                        target: chStatusText
                        color: controller.text_color_on
                    }

                }
            ]

            Text {
                id: chStatusText

                objectName: "chStatusText"
                x: controller.paddingX
                y: 0
                text: "-"
                color: controller.text_color_off
                font.family: localFontBold.name
                font.bold: true
                font.pixelSize: main.fontDefaultSize
            }

            MouseArea {
                objectName: "maOnOff"
                anchors.fill: parent
                hoverEnabled: true
                onPressed: {
                    chStatus.savedColor = chStatus.color;
                    chStatus.color = controller.bg_color_pressed;
                }
                onReleased: chStatus.color = chStatus.savedColor
                onClicked: controller.command("ToggleChannelOnOff")
            }

        }

        Rectangle {
            id: chMode

            objectName: "chMode"
            x: 81 - controller.paddingX
            y: 34
            width: 23
            height: 15
            color: controller.status_color_default
            states: [
                State {
                    name: "cv"

                    PropertyChanges {
                        target: chMode
                        color: controller.status_color_active
                    }

                    PropertyChanges {
                        target: chModeText
                        text: "CV"
                    }

                },
                State {
                    name: "cc"

                    PropertyChanges {
                        target: chMode
                        color: controller.status_color_active
                    }

                    PropertyChanges {
                        target: chModeText
                        text: "CC"
                    }

                }
            ]

            Text {
                id: chModeText

                objectName: "chModeText"
                x: 2
                y: 0
                text: "-"
                color: controller.text_color
                font.family: localFontBold.name
                font.bold: true
                font.capitalization: Font.AllUppercase
                font.pixelSize: main.fontDefaultSize
            }

        }

        Rectangle {
            id: chPol

            objectName: "chPol"
            x: 300 - controller.paddingX
            y: 34
            width: 29
            height: 15
            color: "transparent"
            states: [
                State {
                    name: "p"

                    PropertyChanges {
                        target: chPol
                        color: "#FF0000"
                    }

                    PropertyChanges {
                        target: chPolText
                        text: "POS"
                    }

                },
                State {
                    name: "n"

                    PropertyChanges {
                        target: chPol
                        color: "#0000FF"
                    }

                    PropertyChanges {
                        target: chPolText
                        text: "NEG"
                    }

                }
            ]

            Text {
                id: chPolText

                objectName: "chPolText"
                x: 3
                y: 0
                color: controller.text_color
                font.family: localFontBold.name
                font.bold: true
                font.capitalization: Font.AllUppercase
                font.pixelSize: main.fontDefaultSize
            }

        }

        Rectangle {
            id: chOutMode

            objectName: "chOutMode"
            x: 330 - controller.paddingX
            y: 34
            width: 35
            height: 15
            color: "transparent"
            state: chOutModeText.text !== "" ? "active" : ""
            states: [
                State {
                    name: "active"

                    PropertyChanges {
                        target: chOutMode
                        color: "#666666"
                    }

                }
            ]

            Text {
                id: chOutModeText

                objectName: "chOutModeText"
                x: 3
                y: 0
                color: controller.text_color
                font.family: localFontBold.name
                font.bold: true
                font.pixelSize: main.fontDefaultSize
            }

        }

        ListView {
            objectName: "infoBadges"
            x: 100
            y: 34
            width: 240
            height: 20
            orientation: ListView.Horizontal
            interactive: false
            spacing: 2
            model: badgesModel

            delegate: Badge {
                radius: 1
                cID: controller.cID
                label: _label
                itemId: _itemId
                itemId2: _itemId2
                itemId3: _itemId3
                clickAction: _clickAction
                onClicked: controller.command(clickAction, params)
            }

        }

        // Left of the wheel's ring.
        Item {
            objectName: "badges"
            x: 165
            y: 10
            width: 190
            height: 20

            Badge {
                id: eventBadge

                objectName: "eventBadge"
                x: 0
                width: 92
                height: 20
                cID: controller.cID
                itemId: "Status.eventCounter"
                clickAction: "ShowEvents"
                onClicked: controller.command(clickAction, {
                    "cID": controller.cID
                })
            }

            Badge {
                id: errorBadge

                objectName: "errorBadge"
                x: 96
                width: 92
                height: 20
                cID: controller.cID
                itemId: "Status.errorCounter"
                clickAction: "ShowErrors"
                onClicked: controller.command(clickAction, {
                    "cID": controller.cID
                })
            }

        }

    }

    Item {
        objectName: "channelVoltage"
        x: controller.paddingX
        y: 55
        width: 480
        height: 55

        Text {
            text: "V"
            color: controller.text_color
            font.family: localFontBold.name
            font.bold: true
            font.pixelSize: main.fontDefaultSize + 52
        }

        Text {
            x: 40
            y: 27
            text: "MEAS"
            color: controller.text_color
            font.family: localFontBold.name
            font.bold: true
            font.pixelSize: main.fontDefaultSize + 5
        }

        Text {
            x: 36
            y: 48
            text: "SET"
            verticalAlignment: Text.AlignBottom
            color: controller.text_color_set
            font.family: localFont.name
            font.pixelSize: main.fontDefaultSize + 4
        }

        Text {
            id: vmeas

            objectName: "vmeas"
            x: 75
            y: 20
            width: 150
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignBottom
            color: controller.text_color
            font.family: localFont.name
            font.pixelSize: main.fontDefaultSize + 12
            // A long reading shrinks rather than run into its neighbour.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: main.fontDefaultSize
            font.letterSpacing: -1
        }

        Text {
            id: vset

            objectName: "vset"
            x: 75
            y: 46
            width: 150
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignBottom
            color: controller.text_color_set
            font.family: localFont.name
            font.pixelSize: main.fontDefaultSize + 6
            font.letterSpacing: 0
        }

        Channel_Settings {
            id: vsettings

            objectName: "vsettings"
            x: 235
            y: 20
            labels: ["V-UP", "V-DWN", "V-LIMIT"]
        }

    }

    Item {
        objectName: "channelCurrent"
        x: controller.paddingX
        y: 112
        width: 480
        height: 55

        Text {
            x: 10
            text: "I"
            color: controller.text_color
            font.family: localFontBold.name
            font.bold: true
            font.pixelSize: main.fontDefaultSize + 52
        }

        Text {
            x: 26
            y: 26
            text: "MEAS"
            color: controller.text_color
            font.family: localFontBold.name
            font.bold: true
            font.pixelSize: main.fontDefaultSize + 4
        }

        Text {
            x: 26
            y: 47
            text: "SET"
            verticalAlignment: Text.AlignBottom
            color: controller.text_color_set
            font.family: localFont.name
            font.pixelSize: main.fontDefaultSize + 4
        }

        Text {
            id: imeas

            objectName: "imeas"
            x: 75
            y: 17
            width: 150
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignBottom
            color: controller.text_color
            font.family: localFont.name
            font.pixelSize: main.fontDefaultSize + 12
            // A long reading shrinks rather than run into its neighbour.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: main.fontDefaultSize
            font.letterSpacing: -1
        }

        Text {
            id: iset

            objectName: "iset"
            x: 75
            y: 45
            width: 150
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignBottom
            color: controller.text_color_set
            font.family: localFont.name
            font.pixelSize: main.fontDefaultSize + 6
            font.letterSpacing: 0
        }

        Channel_Settings {
            id: isettings

            objectName: "isettings"
            x: 235
            y: 20
            labels: ["I-UP", "I-DWN", "I-LIMIT"]
        }

    }

    Veil {
        id: blur

        objectName: "blur"
        // Over the chart, under the wheel and the bars.
        z: 16
    }

    Messages {
        id: messages

        objectName: "messages"
        z: 17
    }

    Topbar {
        id: topBar

        objectName: "topBar"
        cID: "topBar"
        width: 480
        height: 20
    }

    Wheel {
        id: wh1

        objectName: "wh1"
        x: 355
        y: -50
        z: 20
        onTurned: controller.wheelTurned(steps)
        onPressed: main.triggerComponent("bb_bt1", {
            "action": "released"
        })
    }

    Chart {
        id: channelChart

        objectName: "channelChart"
        x: -5
        y: 172
        // The current axis' labels end before the wheel's ring.
        width: 370
        height: 87
        z: 15
        cID: controller.cID
    }

    Buttonbar {
        id: buttonBar

        objectName: "buttonBar"
        cID: "buttonBar"
        x: 380
        y: 27
        z: 30
        visible: main.connected
    }

    Bottombar {
        objectName: "bottomBar"
        cID: "bottomBar"
        y: 250
        width: 480
        height: 20
        z: 25
    }

    Alert {
        id: alert

        objectName: "alert"
        y: 250
        width: 480
        height: 22
        z: 50
    }

    Image {
        z: -1
        source: "../assets/bg_main.png"
    }

}
