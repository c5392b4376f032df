import QtQuick 2.12

// A panel that slides down over a view and lists the device's event or error
// records of one channel or of all channels.
Item {
    id: root

    property var params: ({
    })
    property var messageData: []
    // What an update must contain to refresh the list: its item kind, on
    // any path the list takes records from.
    readonly property string subscriptionKey: params.item === undefined ? "" : params.item
    property var currentItem
    property color text_color: "#FFFFFF"

    function setupList(path, item, value, lastOnly) {
        params = {
            "path": path,
            "item": item,
            "value": value,
            "lastOnly": lastOnly
        };
        refresh();
    }

    function refresh() {
        messageData = main.getItemsByPath(params.path, params.item, params.value, params.lastOnly);
        const n = messageData.length;
        let text = n + " " + params.item + (n > 1 ? "s" : "");
        if (params.path !== undefined && String(params.path).length === 5)
            text += " FOR CHANNEL " + String(params.path).charAt(4);
        else
            text += " FOR ALL CHANNELS";
        title.text = text;
    }

    function updateState(identifier) {
        if (params.item === undefined)
            return ;

        if (shows(identifier))
            refreshTimer.restart();

    }

    // Whether an update is of a record the list shows, by the rule the
    // cache lists records with: its path contains the list's path and its
    // item the list's item. "0.0_Event" thus takes "0.0.2_Event.inhibit".
    function shows(identifier) {
        const separator = identifier.indexOf("_");
        if (separator < 0)
            return false;

        const path = params.path === undefined ? "" : String(params.path);
        return identifier.slice(0, separator).includes(path) && identifier.slice(separator + 1).includes(params.item);
    }

    function wheelTurned(steps) {
        if (messageData.length === 0)
            return ;

        if (steps < 0)
            list.incrementCurrentIndex();
        else
            list.decrementCurrentIndex();
    }

    function timeStampToString(seconds) {
        const time = new Date(seconds * 1000);
        const pad = function pad(field) {
            return (field < 10 ? "0" : "") + field;
        };
        return pad(time.getHours()) + ":" + pad(time.getMinutes()) + ":" + pad(time.getSeconds());
    }

    x: 0
    y: -250
    width: 480
    height: 250
    // Told of updates once it has a list to show.
    onSubscriptionKeyChanged: main.subscribe(root, subscriptionKey, updateState)
    Component.onDestruction: main.unsubscribe(root)
    states: [
        State {
            name: "default"

            PropertyChanges {
                target: root
                y: 20
            }

        },
        State {
            name: "error"

            PropertyChanges {
                target: root
                y: 20
            }

        },
        State {
            name: "event"

            PropertyChanges {
                target: root
                y: 20
            }

        }
    ]

    // Updates come in bursts; the list is read once they settle. Owned by
    // the panel, so a pending refresh dies with it.
    Timer {
        id: refreshTimer

        interval: 200
        onTriggered: root.refresh()
    }

    FontLoader {
        id: font

        source: "../" + main.fontDefault
    }

    Rectangle {
        width: 480
        height: 250
        color: "#333"
        opacity: 0.95
    }

    Text {
        id: title

        objectName: "title"
        x: 20
        y: 10
        text: "Events / Errors"
        color: root.text_color
        font.family: font.name
        font.bold: true
        font.pixelSize: main.fontDefaultSize + 10
        font.capitalization: Font.AllUppercase
    }

    ListView {
        id: list

        objectName: "list"
        x: 20
        y: 40
        width: 350
        height: 150
        model: root.messageData
        onCurrentIndexChanged: {
            root.currentItem = root.messageData[currentIndex];
            if (typeof wh1 !== "undefined" && root.messageData.length > 0)
                wh1.setScrollBar(currentIndex / root.messageData.length * 100);

        }

        highlight: Item {
            Rectangle {
                x: -25
                width: 350
                height: 25
                color: "#000000"
                opacity: 0.5
            }

        }

        delegate: Item {
            width: 350
            height: 20

            Text {
                width: 70
                text: root.timeStampToString(modelData.time)
                color: root.text_color
                font.pixelSize: main.fontDefaultSize + 1
                font.letterSpacing: 0
            }

            Text {
                x: 75
                width: 35
                text: modelData.path
                color: root.text_color
                font.pixelSize: main.fontDefaultSize + 1
                font.letterSpacing: 0
            }

            Text {
                x: 113
                width: 172
                text: modelData.item
                // A long name ends before the value column.
                elide: Text.ElideRight
                color: root.text_color
                font.pixelSize: main.fontDefaultSize + 1
                font.letterSpacing: 0
            }

            Text {
                x: 290
                width: 50
                text: modelData.value + " " + modelData.unit
                color: root.text_color
                font.pixelSize: main.fontDefaultSize + 1
                font.letterSpacing: 0
            }

            MouseArea {
                anchors.fill: parent
                onClicked: list.currentIndex = index
            }

        }

    }

    Behavior on y {
        NumberAnimation {
            duration: 500
            easing.type: Easing.InOutQuad
        }

    }

}
