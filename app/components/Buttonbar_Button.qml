import QtQuick 2.12

// One soft key beside a front-panel button: a right-aligned label on a
// coloured indicator that shows the key's state.
Item {
    id: root

    property string cID: "undefined right button"
    property alias text: label.text
    property string clickAction
    property string enterAction
    property string leaveAction
    property string prevState
    // When this key last acted, to tell a double tap from a later one.
    property double lastTap: 0
    property color text_color: main.text_color
    property color text_color_disabled: main.text_color_disabled
    property color bg_color_over: main.bt_bg_color_over
    property color bg_color_pressed: main.bt_bg_color_pressed
    property color status_color_active: main.status_color_active
    property color status_color_ok: main.status_color_ok
    property color status_color_error: main.status_color_error
    property color status_color_warning: main.status_color_warning
    property int paddingX: 10

    signal clicked(string id)

    function updateState(identifier, newState) {
        if (!main.checkIdentifier(identifier, cID))
            return false;

        state = newState !== undefined ? newState : controller.getObjectState(cID);
        return true;
    }

    function changeComponent(identifier, params) {
        if (!main.checkIdentifier(identifier, cID) || !params)
            return ;

        if (params.text !== undefined)
            text = params.text;

        if (params.clickAction !== undefined && params.clickAction !== clickAction) {
            // A second tap of a double tap must not reach the action the
            // first one brought; a change long after a tap needs no wait.
            if (clickAction !== "" && Date.now() - lastTap < settling.interval)
                settling.restart();

            clickAction = params.clickAction;
        }
        if (params.enterAction !== undefined)
            enterAction = params.enterAction;

        if (params.leaveAction !== undefined)
            leaveAction = params.leaveAction;

    }

    function triggerComponent(identifier, params) {
        if (!main.checkIdentifier(identifier, cID) || !params)
            return ;

        switch (params.action) {
        case "pressed":
            prevState = state;
            state = "pressed";
            break;
        case "released":
            // The click action may change the state itself, so it runs last.
            state = prevState;
            if (act())
                clicked(cID);

            break;
        case "canceled":
            state = prevState;
            break;
        }
    }

    function act() {
        if (settling.running) {
            console.log(cID + ": ignoring a tap, the action changed just now");
            return false;
        }
        lastTap = Date.now();
        controller.command(clickAction);
        return true;
    }

    width: 100
    height: 50
    Component.onCompleted: {
        main.subscribe(root, cID, updateState);
        main.componentChanged.connect(changeComponent);
        main.componentTriggered.connect(triggerComponent);
        updateState(cID);
    }
    Component.onDestruction: {
        main.unsubscribe(root);
        main.componentChanged.disconnect(changeComponent);
        main.componentTriggered.disconnect(triggerComponent);
    }
    states: [
        State {
            name: "disabled"

            PropertyChanges {
                target: label
                color: root.text_color_disabled
            }

        },
        State {
            name: "active"

            PropertyChanges {
                target: indicator
                color: root.status_color_active
            }

        },
        State {
            name: "ok"

            PropertyChanges {
                target: indicator
                color: root.status_color_ok
            }

        },
        State {
            name: "error"

            PropertyChanges {
                target: indicator
                color: root.status_color_error
            }

        },
        State {
            name: "warning"

            PropertyChanges {
                target: indicator
                color: root.status_color_warning
            }

        },
        State {
            name: "pressed"

            PropertyChanges {
                target: indicator
                color: root.bg_color_pressed
            }

        }
    ]

    Timer {
        id: settling

        interval: 500
    }

    TextMetrics {
        id: measure

        font: label.font
        text: label.text
    }

    Rectangle {
        id: indicator

        // Colour to return to after hover and press feedback.
        property color prevColor: "transparent"

        objectName: "indicator"
        x: Math.round(root.width - root.paddingX - measure.width - 5)
        y: Math.round((root.height - measure.height) / 2)
        width: label.text === "" ? 0 : measure.width + 10
        height: label.text === "" ? 0 : measure.height + 2
        radius: 3
        color: "transparent"
    }

    Text {
        id: label

        objectName: "label"
        x: root.paddingX
        width: root.width - root.paddingX
        height: root.height
        horizontalAlignment: Text.AlignRight
        verticalAlignment: Text.AlignVCenter
        rightPadding: root.paddingX
        color: root.text_color
        font.family: "Century Gothic"
        font.bold: true
        font.pixelSize: main.fontDefaultSize
    }

    MouseArea {
        objectName: "touchArea"
        // The strip next to the wheel does not belong to the key.
        x: 25
        width: root.width - 25
        height: root.height
        hoverEnabled: true
        onClicked: {
            root.act();
            indicator.prevColor = indicator.color;
        }
        onEntered: {
            indicator.prevColor = indicator.color;
            indicator.color = root.bg_color_over;
        }
        onExited: indicator.color = indicator.prevColor
        onPressed: indicator.color = root.bg_color_pressed
        onReleased: indicator.color = indicator.prevColor
    }

}
