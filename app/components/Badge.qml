import QtQuick 2.12

// A small label that lights up while any of up to three device items is set.
Item {
    id: root

    property string cID
    property string itemId: ""
    // What an update must contain to reach this badge: any of its items.
    readonly property string subscriptionKey: cID + "_"
    property string itemId2: ""
    property string itemId3: ""
    property bool itemIdState: false
    property bool itemId2State: false
    property bool itemId3State: false
    property string currentItem: ""
    property string clickAction: ""
    property string styleOn: "ok"
    property string styleOff: "off"
    property alias label: label.text
    property alias radius: bg.radius
    property color text_color: "#FFFFFF"
    property color text_color_on: "#FFFFFF"
    property color text_color_off: "#444"
    property color text_color_set: "#FF6600"
    property color bg_color: main.ch_bg_color
    property color bg_color_over: main.ch_bg_color_over
    property color bg_color_pressed: main.ch_bg_color_pressed
    property color status_color_default: main.status_color_default
    property color status_color_active: main.status_color_active
    property color status_color_ok: main.status_color_ok
    property color status_color_error: main.status_color_error
    property color status_color_on: main.status_color_on
    property color status_color_off: main.status_color_off
    property color status_color_disabled: main.status_color_disabled
    property color status_color_warning: main.status_color_warning2
    property int paddingX: 0
    property int paddingY: 0

    signal clicked(string clickAction, var params)

    function isSet(item) {
        // An empty name is never set and must not be requested from the device.
        const value = item === "" ? "" : main.getItemValue(cID, item)[1];
        return value !== "" && value != "0";
    }

    function onStyleFor(item) {
        // A delegate's model may fix the on-style; elsewhere the name is unbound.
        if (typeof _styleOn !== "undefined")
            return _styleOn;

        switch (item.split(".")[0]) {
        case "Status":
            return item === "Status.eventCounter" ? "warning" : "error";
        case "Event":
            return "warning";
        case "Error":
            return "error";
        case "Control":
            return "ok";
        default:
            return "disabled";
        }
    }

    // An update of any of the three items refreshes the badge: each can
    // decide its look.
    function concerns(identifier) {
        return [itemId, itemId2, itemId3].some(function(item) {
            return item !== "" && main.checkIdentifier(identifier, cID + "_" + item);
        });
    }

    function updateState(identifier) {
        if (!concerns(identifier))
            return false;

        itemIdState = isSet(itemId);
        itemId2State = isSet(itemId2);
        itemId3State = isSet(itemId3);
        if (itemId3State)
            currentItem = itemId3;
        else if (itemId2State)
            currentItem = itemId2;
        else if (itemIdState)
            currentItem = itemId;
        styleOn = onStyleFor(currentItem);
        state = itemIdState || itemId2State || itemId3State ? styleOn : styleOff;
        // Dimmed until its item is read (again, after a reconnection).
        opacity = itemId === "" ? 1 : main.itemOpacity(cID, itemId);
        return true;
    }

    width: measure.width + 4
    height: 15
    Component.onCompleted: {
        main.subscribe(root, subscriptionKey, updateState);
        updateState(cID + "_" + itemId);
        updateState(cID + "_" + itemId2);
        updateState(cID + "_" + itemId3);
    }
    onSubscriptionKeyChanged: main.subscribe(root, subscriptionKey, updateState)
    Component.onDestruction: main.unsubscribe(root)
    states: [
        State {
            name: "warning"

            PropertyChanges {
                target: root
                visible: true
            }

            PropertyChanges {
                target: bg
                color: root.status_color_warning
            }

            PropertyChanges {
                target: label
                color: root.text_color_on
            }

        },
        State {
            name: "error"

            PropertyChanges {
                target: root
                visible: true
            }

            PropertyChanges {
                target: bg
                color: root.status_color_error
            }

            PropertyChanges {
                target: label
                color: root.text_color_on
            }

        },
        State {
            name: "ok"

            PropertyChanges {
                target: root
                visible: true
            }

            PropertyChanges {
                target: bg
                color: root.status_color_ok
            }

            PropertyChanges {
                target: label
                color: root.text_color_on
            }

        },
        State {
            name: "disabled"

            PropertyChanges {
                target: root
                visible: true
            }

        }
    ]

    FontLoader {
        id: font

        source: "../" + main.fontDefault
    }

    TextMetrics {
        id: measure

        font.family: font.name
        font.bold: true
        font.pixelSize: main.fontDefaultSize
        text: label.text
    }

    Rectangle {
        id: bg

        objectName: "bg"
        anchors.fill: parent
        clip: true
        radius: 2
        color: root.status_color_disabled

        Text {
            id: label

            objectName: "label"
            anchors.fill: parent
            horizontalAlignment: Text.AlignHCenter
            topPadding: 0
            rightPadding: 1
            color: root.text_color_off
            font.family: font.name
            font.bold: true
            font.pixelSize: Math.round(root.height * 0.7)
        }

    }

    MouseArea {
        id: ma

        anchors.fill: parent
        onClicked: root.clicked(root.clickAction, {
            "path": root.cID,
            "item": root.currentItem
        })
    }

}
