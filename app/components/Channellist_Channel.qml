import QtQuick 2.12
import "channelparts.js" as ChannelParts

// One channel as a row of the channel list: running state (also its on/off
// switch), regulation mode, active conditions, measured and set values.
Item {
    id: root

    property string cID
    property int chIndex
    property string chLabel
    property color text_color: "#FFFFFF"
    property color text_color_on: "#FFFFFF"
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
    property bool emergency: false
    // Conditions shown in the info field: item, type, text, state, action.
    readonly property var conditions: [["Event.currentTrip", "trip", "TRIP", "warning", ""], ["Status.externalInhibitActive", "inhibit", "INHIBIT", "warning", ""], ["Status.voltageLimitExceeded", "vlim", "VLIM", "warning", ""], ["Status.currentLimitExceeded", "ilim", "ILIM", "warning", ""], ["Control.emergency", "emergency", "EMGCY", "error", "TurnOffEmergency"]]

    signal clicked(string cID, string mode)
    signal doubleClicked(string cID, string mode)
    signal selected(string chIdx)

    function value(item) {
        return main.getItemValue(cID, item)[1];
    }

    // One item updates only the part of the row that shows it; the
    // channel's own identifier (a state change) refreshes the whole row.
    function updateState(identifier) {
        if (!main.checkIdentifier(identifier, cID))
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
        case "Status.eventCounter":
            showCounter(eventBadge, value(item), "warning");
            break;
        case "Status.errorCounter":
            showCounter(errorBadge, value(item), "error");
            break;
        default:
            const list = conditions;
            for (let i = 0; i < list.length; ++i) {
                if (list[i][0] === item)
                    showCondition(list[i]);

            }
        }
        return true;
    }

    function showEmergency() {
        emergency = ChannelParts.showEmergency("Emergency on channel " + chIndex + ". Hold all channels off button to clear.");
    }

    function refresh() {
        showEmergency();
        ChannelParts.show(vmeas, "Status.voltageMeasure");
        ChannelParts.show(vset, "Control.voltageSet");
        ChannelParts.show(imeas, "Status.currentMeasure");
        ChannelParts.show(iset, "Control.currentSet");
        ChannelParts.showStatus();
        ChannelParts.showMode();
        for (const condition of conditions) showCondition(condition)
        showCounter(eventBadge, value("Status.eventCounter"), "warning");
        showCounter(errorBadge, value("Status.errorCounter"), "error");
    }

    function showCondition(condition) {
        const set = value(condition[0]);
        if (set === "0")
            chInfo.message(condition[1], false, "", "", "");
        else if (set === "1")
            chInfo.message(condition[1], true, condition[2], condition[3], condition[4]);
    }

    function showCounter(badge, count, style) {
        if (count > 0) {
            badge.state = style;
            badge.label = count;
        } else {
            // The empty state first: leaving a badge state restores visibility.
            badge.state = "";
            badge.visible = false;
        }
    }

    function changeComponent(identifer, params) {
    }

    width: 400
    height: 50
    Component.onCompleted: {
        main.subscribe(root, cID, updateState);
        main.componentChanged.connect(changeComponent);
        updateState(cID);
    }
    Component.onDestruction: {
        main.unsubscribe(root);
        main.componentChanged.disconnect(changeComponent);
    }

    FontLoader {
        id: font

        source: "../" + main.fontDefault
    }

    Rectangle {
        id: bg

        property color prevColor: "transparent"

        objectName: "bg"
        anchors.fill: parent
        color: "transparent"
    }

    Item {
        x: root.paddingX
        y: root.paddingY

        Text {
            objectName: "chLabel"
            text: root.chLabel
            color: root.text_color
            font.family: font.name
            font.bold: true
            font.pixelSize: main.fontDefaultSize
        }

        Rectangle {
            id: chStatus

            objectName: "chStatus"
            x: -root.paddingX
            y: 15
            width: 90
            height: 15
            color: root.status_color_default
            states: [
                State {
                    name: "ok"

                    PropertyChanges {
                        target: chStatus
                        color: root.status_color_on
                    }

                    PropertyChanges {
                        target: chStatusText
                        color: root.text_color_on
                    }

                },
                State {
                    name: "info"

                    PropertyChanges {
                        target: chStatus
                        color: root.status_color_warning
                    }

                },
                State {
                    name: "off"

                    PropertyChanges {
                        target: chStatus
                        color: root.status_color_off
                    }

                },
                State {
                    name: "error"

                    PropertyChanges {
                        target: chStatus
                        color: root.status_color_error
                    }

                    PropertyChanges {
                        target: chStatusText
                        color: root.text_color_on
                    }

                }
            ]

            Text {
                id: chStatusText

                objectName: "chStatusText"
                x: root.paddingX
                y: 0
                text: "-"
                color: root.text_color_off
                font.family: font.name
                font.bold: true
                font.pixelSize: main.fontDefaultSize
            }

            MouseArea {
                objectName: "maOnOff"
                anchors.fill: parent
                hoverEnabled: true
                onClicked: root.clicked(root.cID + "_Control.on", "toggle")
            }

        }

        Rectangle {
            id: chMode

            objectName: "chMode"
            x: 0
            y: 33
            width: 23
            height: 14
            color: root.status_color_default
            states: [
                State {
                    name: "cv"

                    PropertyChanges {
                        target: chModeText
                        text: "CV"
                    }

                },
                State {
                    name: "cc"

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
                y: -1
                text: "-"
                color: root.text_color
                font.family: font.name
                font.bold: true
                font.capitalization: Font.AllUppercase
                font.pixelSize: main.fontDefaultSize
            }

        }

        Rectangle {
            id: chInfo

            // Info type -> {text, state, action}, in the order first set.
            property var infos: ({
            })
            property alias text: chInfoText.text
            property string action: ""
            property string currentInfo: ""

            function message(type, onOff, text, state, action) {
                if (!onOff) {
                    delete infos[type];
                    return ;
                }
                infos[type] = {
                    "text": text,
                    "state": state,
                    "action": action
                };
            }

            function showNext() {
                const types = Object.keys(infos);
                if (types.length === 0) {
                    text = "";
                    action = "";
                    state = "";
                    return ;
                }
                const next = types[(types.indexOf(currentInfo) + 1) % types.length];
                const info = infos[next];
                text = info.text;
                action = info.action;
                state = info.state;
                currentInfo = next;
            }

            objectName: "chInfo"
            x: 25
            y: 33
            width: 50
            height: 14
            color: root.bg_color
            states: [
                State {
                    name: "warning"

                    PropertyChanges {
                        target: chInfo
                        color: root.status_color_warning
                    }

                },
                State {
                    name: "error"

                    PropertyChanges {
                        target: chInfo
                        color: root.status_color_error
                    }

                    PropertyChanges {
                        target: chInfoText
                        color: root.text_color
                    }

                }
            ]

            Text {
                id: chInfoText

                objectName: "chInfoText"
                x: 2
                y: -1
                color: root.text_color_off
                font.family: font.name
                font.bold: true
                font.capitalization: Font.AllUppercase
                font.pixelSize: main.fontDefaultSize
            }

            Timer {
                objectName: "chInfoTimer"
                interval: 2000
                repeat: true
                running: true
                onTriggered: chInfo.showNext()
            }

            MouseArea {
                objectName: "maInfo"
                anchors.fill: parent
                onClicked: controller.command(chInfo.action, {
                    "cID": root.cID
                })
            }

        }

    }

    Item {
        x: 100
        y: 8
        width: 300
        height: 40

        Text {
            x: -7
            y: 9
            height: 25
            text: "MEAS"
            color: root.text_color
            font.family: font.name
            font.bold: true
            font.pixelSize: main.fontDefaultSize - 2
        }

        Text {
            id: vmeas

            objectName: "vmeas"
            x: 20
            width: 120
            height: 25
            text: "-"
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignBottom
            color: root.text_color
            font.family: font.name
            font.pixelSize: main.fontDefaultSize + 9
            // A long reading shrinks rather than run into its neighbour.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: main.fontDefaultSize
            font.letterSpacing: -1
        }

        Text {
            id: imeas

            objectName: "imeas"
            x: 150
            width: 110
            height: 25
            text: "-"
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignBottom
            color: root.text_color
            font.family: font.name
            font.pixelSize: main.fontDefaultSize + 9
            // A long reading shrinks rather than run into its neighbour.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: main.fontDefaultSize
            font.letterSpacing: -1
        }

        Text {
            x: 8
            y: 24
            width: 110
            height: 15
            text: "SET"
            verticalAlignment: Text.AlignBottom
            color: root.text_color_set
            font.family: font.name
            font.bold: true
            font.pixelSize: main.fontDefaultSize - 2
        }

        Text {
            id: vset

            objectName: "vset"
            x: 30
            y: 24
            width: 110
            height: 15
            text: "-"
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignBottom
            color: root.text_color_set
            font.family: font.name
            font.pixelSize: main.fontDefaultSize + 2
            font.letterSpacing: 0
        }

        Text {
            id: iset

            objectName: "iset"
            x: 145
            y: 24
            width: 110
            height: 15
            text: "-"
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignBottom
            color: root.text_color_set
            font.family: font.name
            font.pixelSize: main.fontDefaultSize + 2
            font.letterSpacing: 0
        }

    }

    MouseArea {
        objectName: "maSelect"
        anchors.fill: parent
        anchors.leftMargin: 100
        hoverEnabled: true
        cursorShape: containsMouse ? Qt.PointingHandCursor : Qt.ArrowCursor
        onPressed: {
            bg.prevColor = bg.color;
            bg.color = root.bg_color_pressed;
        }
        onReleased: bg.color = bg.prevColor
        onClicked: root.clicked(root.chIndex, "channelSelect")
        onDoubleClicked: root.doubleClicked(root.chIndex, "channelSelect")
    }

    Badge {
        id: eventBadge

        objectName: "eventBadge"
        x: 80
        y: 4
        visible: false
        label: ""
        cID: root.cID
        itemId: "Status.eventCounter"
        clickAction: "ShowEvents"
        onClicked: controller.command(clickAction, {
            "cID": root.cID
        })
    }

    Badge {
        id: errorBadge

        objectName: "errorBadge"
        x: 100
        y: 4
        visible: false
        label: ""
        cID: root.cID
        itemId: "Status.errorCounter"
        clickAction: "ShowErrors"
        onClicked: controller.command(clickAction, {
            "cID": root.cID
        })
    }

}
