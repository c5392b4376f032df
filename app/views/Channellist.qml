import "../components"
import QtQuick 2.12

// All channels of the supply, one row each, with a current row moved by
// the wheel or by touch; the place to switch channels and open the lists
// of events and errors.
Item {
    id: controller

    property string cID: "0.0"
    property string mode: "select"
    // The highlight lives in the list's own scope; the view states set its image here.
    property string highlightImage: "../assets/Channel/bg_channellist_channel_grey.png"

    function initView() {
        // Filling the list moves its current row: read the selection first.
        const selected = main.getSelectedChannel();
        channels.clear();
        for (let i = 0; i < main.numberOfChannels; ++i) {
            channels.append({
                "m_cID": cID + "." + i,
                "m_chIndex": i,
                "m_chLabel": "CHANNEL " + i
            });
        }
        main.setComponent("topBar", {
            "pathText": "CHANNEL-LIST"
        });
        main.setComponent("topBar", {
            "deviceName": main.deviceName
        });
        const index = Number(selected.chIndex);
        channelList.currentIndex = Number.isInteger(index) && index >= 0 && index < channels.count ? index : 0;
        command("SetMenuDefault");
    }

    function destroyView() {
        main.viewChanged.disconnect(initView);
        main.unsubscribe(controller);
        main.alert.disconnect(alert.add);
    }

    function updateState(identifier) {
        if (!main.checkIdentifier(identifier, cID))
            return false;

        // The channels' values reach this key too; only the device's own
        // state and counters show here.
        const all = identifier === cID;
        if (all)
            state = getObjectState(cID);

        if (all || identifier === cID + "_Status.eventCounter") {
            const events = main.getItemValue(cID, "Status.eventCounter")[1];
            eventBadge.label = events + " EVENTS";
            eventBadge.state = events > 0 ? "warning" : "disabled";
        }
        if (all || identifier === cID + "_Status.errorCounter") {
            const errors = main.getItemValue(cID, "Status.errorCounter")[1];
            errorBadge.label = errors + " ERRORS";
            errorBadge.state = errors > 0 ? "error" : "disabled";
        }
        return true;
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
        else if (steps < 0)
            channelList.incrementCurrentIndex();
        else
            channelList.decrementCurrentIndex();
    }

    function setButtons(labels) {
        for (let i = 0; i < 4; ++i) {
            main.setComponent("bb_bt" + (i + 1), {
                "text": labels[i][0],
                "clickAction": labels[i][1]
            });
        }
    }

    function showMessages(params, type, listState) {
        command("SetMenuMessages");
        messages.setupList(params.cID, type, 1, true);
        messages.state = listState;
    }

    function command(action, params) {
        if (params === undefined || params === null)
            params = {
        };

        switch (action) {
        case "TurnOffEmergency":
            main.command("lumaCommand", {
                "path": params.cID + "_Control.emergency",
                "mode": "Off"
            });
            break;
        case "ClearEventError":
            if (!messages.currentItem) {
                console.warn("Channellist: no message selected to clear");
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
                "path": "0.0",
                "mode": "ClearAll"
            });
            messages.refresh();
            break;
        case "SetMenuDefault":
            buttonBar.resetStates();
            mode = "default";
            setButtons([["SELECT", "selectChannel"], ["VOLTAGE", "openVoltageMenu"], ["CURRENT", "openCurrentMenu"], ["CLEAR", "ClearAll"]]);
            break;
        case "SetMenuMessages":
            mode = "messages";
            setButtons([["CLEAR ALL", "ClearAll"], ["", ""], ["", ""], ["BACK", "closeMessages"]]);
            break;
        case "OpenMessages":
        case "ShowEvents":
            showMessages(params, "Event", "event");
            break;
        case "ShowErrors":
            showMessages(params, "Error", "error");
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
        main.viewChanged.connect(initView);
        main.subscribe(controller, cID, updateState);
        updateState(cID);
        main.alert.connect(alert.add);
    }
    Component.onDestruction: destroyView()
    states: [
        State {
            name: "ok"

            PropertyChanges {
                target: controller
                highlightImage: "../assets/Channel/bg_channellist_channel_green.png"
            }

        },
        State {
            name: "warning"

            PropertyChanges {
                target: controller
                highlightImage: "../assets/Channel/bg_channellist_channel_yellow.png"
            }

        },
        State {
            name: "error"

            PropertyChanges {
                target: controller
                highlightImage: "../assets/Channel/bg_channellist_channel_red.png"
            }

        }
    ]

    ListModel {
        id: channels
    }

    Item {
        y: 21
        width: 480
        height: 280

        ListView {
            id: channelList

            objectName: "channelList"
            x: -2
            y: 2
            width: 480
            height: 280
            contentWidth: 480
            contentHeight: 280
            flickableDirection: Flickable.AutoFlickDirection
            interactive: false
            clip: true
            focus: true
            model: channels
            onCurrentIndexChanged: {
                if (currentIndex < 0 || currentIndex >= channels.count)
                    return ;

                const row = channels.get(currentIndex);
                main.setSelectedChannel({
                    "cID": row.m_cID,
                    "chIndex": row.m_chIndex,
                    "chLabel": row.m_chLabel
                });
                wh1.setScrollBar(currentIndex / channels.count * 100);
            }

            highlight: Rectangle {
                objectName: "channelSelector"
                // Flush with the row: its accent edge stays clear of the running-state box.
                x: 0
                y: 3
                width: 480
                height: 53
                color: "transparent"

                // Sized by itself: the list fits its highlight to the row.
                Image {
                    objectName: "bgImg"
                    width: 480
                    height: 53
                    source: controller.highlightImage
                }

            }

            delegate: Channellist_Channel {
                cID: m_cID
                chIndex: m_chIndex
                chLabel: m_chLabel
                onClicked: function(path, mode) {
                    channelList.currentIndex = index;
                    controller.command("lumaCommand", {
                        "path": path,
                        "mode": mode
                    });
                }
                onDoubleClicked: {
                    channelList.currentIndex = index;
                    controller.command("selectChannel");
                }
            }

        }

        Item {
            objectName: "badges"
            x: 9
            y: 205
            width: 300
            height: 20

            Badge {
                id: eventBadge

                objectName: "eventBadge"
                x: 0
                width: 80
                height: 20
                radius: 3
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
                x: 85
                width: 80
                height: 20
                radius: 3
                cID: controller.cID
                itemId: "Status.errorCounter"
                clickAction: "ShowErrors"
                onClicked: controller.command(clickAction, {
                    "cID": controller.cID
                })
            }

        }

    }

    Messages {
        id: messages

        objectName: "messages"
    }

    Veil {
        id: blur

        objectName: "blur"
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
        onTurned: controller.wheelTurned(steps)
        onPressed: main.triggerComponent("bb_bt1", {
            "action": "released"
        })
    }

    Buttonbar {
        id: buttonBar

        objectName: "buttonBar"
        cID: "buttonBar"
        x: 380
        y: 27
        visible: main.connected
    }

    Bottombar {
        objectName: "bottomBar"
        cID: "bottomBar"
        y: 250
        width: 480
        height: 20
    }

    Alert {
        id: alert

        objectName: "alert"
        y: 250
        width: 480
        height: 22
    }

    Image {
        z: -1
        source: "../assets/bg_main.png"
    }

}
