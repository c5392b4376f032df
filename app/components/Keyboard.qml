import QtQuick 2.12

// The on-screen keyboard: a strip across the bottom of the screen, hidden
// until its object state is set, with keys built from one of four key sets.
// Every key, and on a desktop every physical key, is reported as one
// keyPressed(action); the receiver decides what it means.
Item {
    id: root

    property string cID: "keyboard"
    // The view whose object state shows or hides the keyboard; without one,
    // the controller's registry, which every view forwards to.
    property var view: null
    property var mode: ["numeric", "alpha", "date", "time"]
    property string bgType: "bar"
    property var numericKeys: ["0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ".", "C"]
    property var dateKeys: ["1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "C"]
    property var timeKeys: ["1", "2", "3", "4", "5", "6", "7", "8", "9", "0", ":", "C"]
    property var alphaKeys: ["a", "b", "c", "d", "e", "f", "g", "h", "i", "+", "br", "j", "k", "l", "m", "n", "o", "p", "q", "r", "-", "br", "s", "t", "u", "v", "w", "x", "y", "z", "*", "/", "br", "#", ":", ";", "?", "!", "%", ".", "DEL", "br", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9"]
    property var currentKeySet: []
    property int keyWidth: 35
    property int keyHeight: 30
    readonly property var physicalKeys: {
        let map = {
        };
        map[Qt.Key_Return] = "return";
        map[Qt.Key_Enter] = "return";
        map[Qt.Key_Escape] = "cancel";
        map[Qt.Key_Delete] = "delete";
        map[Qt.Key_Backspace] = "delete";
        map[Qt.Key_Down] = "down";
        map[Qt.Key_Up] = "up";
        map[Qt.Key_Left] = "left";
        map[Qt.Key_Right] = "right";
        return map;
    }

    signal keyPressed(string action)

    function setMode(newMode) {
        mode = newMode;
        // One key set on screen: the keys of an earlier mode go first.
        const previous = [];
        for (let i = 0; i < keys.children.length; ++i) previous.push(keys.children[i])
        for (const key of previous) {
            key.parent = null;
            key.destroy();
        }
        keys.anchors.topMargin = 0;
        keys.height = root.height;
        switch (newMode) {
        case "numeric":
            buildRow(numericKeys);
            break;
        case "date":
            buildRow(dateKeys);
            break;
        case "time":
            buildRow(timeKeys);
            break;
        case "alpha":
            buildPanel();
            break;
        default:
            console.warn("Keyboard: no key set for mode", newMode);
            currentKeySet = [];
        }
    }

    function createKey(text, column, row, action) {
        const key = keyComponent.createObject(keys, {
            "x": column * keyWidth,
            "y": row * keyHeight,
            "width": keyWidth,
            "height": keyHeight,
            "label": text,
            "clickAction": action
        });
        key.pressed.connect(keyPressed);
    }

    function buildRow(keySet) {
        bgType = "bar";
        currentKeySet = keySet;
        for (let i = 0; i < keySet.length; ++i) createKey(keySet[i], i, 0, keySet[i] === "C" ? "delete" : keySet[i])
    }

    // Each row break grows the panel upwards: the last row stays on the strip.
    function buildPanel() {
        bgType = "panel";
        currentKeySet = alphaKeys;
        let column = 0;
        let row = 0;
        let rowBreak = false;
        for (let i = 0; i < alphaKeys.length; ++i) {
            const text = alphaKeys[i];
            if (text === "br") {
                column = 0;
                ++row;
                keys.anchors.topMargin -= keyHeight;
                keys.height += keyHeight;
                rowBreak = true;
                continue;
            }
            if (i > 0 && !rowBreak)
                ++column;

            rowBreak = false;
            createKey(text, column, row, text === "DEL" ? "delete" : text);
        }
    }

    function updateState(identifier) {
        if (!main.checkIdentifier(identifier, cID))
            return false;

        state = (view ? view : main).getObjectState(cID);
        return true;
    }

    function changeComponent(identifier, params) {
        return main.checkIdentifier(identifier, cID);
    }

    function physicalKey(event) {
        let action = physicalKeys[event.key];
        if (action === undefined && event.text !== "" && currentKeySet.indexOf(event.text.toLowerCase()) >= 0)
            action = event.text;

        if (action === undefined)
            return ;

        event.accepted = true;
        keyPressed(action);
    }

    width: 480
    height: keyHeight
    z: 999
    visible: false
    focus: true
    Keys.onPressed: physicalKey(event)
    Component.onCompleted: {
        main.subscribe(root, cID, updateState);
        main.componentChanged.connect(changeComponent);
        forceActiveFocus();
    }
    Component.onDestruction: {
        main.unsubscribe(root);
        main.componentChanged.disconnect(changeComponent);
    }
    states: [
        State {
            name: "active"

            PropertyChanges {
                target: root
                visible: true
                focus: true
            }

            PropertyChanges {
                target: bg_img
                source: "../assets/Keyboard/bg_keyboard_" + root.bgType + "_grey.png"
            }

        },
        State {
            name: "ok"

            PropertyChanges {
                target: root
                visible: true
                focus: true
            }

            PropertyChanges {
                target: bg_img
                source: "../assets/Keyboard/bg_keyboard_" + root.bgType + "_green.png"
            }

        },
        State {
            name: "warning"

            PropertyChanges {
                target: root
                visible: true
                focus: true
            }

            PropertyChanges {
                target: bg_img
                source: "../assets/Keyboard/bg_keyboard_" + root.bgType + "_yellow.png"
            }

        },
        State {
            name: "error"

            PropertyChanges {
                target: root
                visible: true
                focus: true
            }

            PropertyChanges {
                target: bg_img
                source: "../assets/Keyboard/bg_keyboard_" + root.bgType + "_red.png"
            }

        }
    ]

    Rectangle {
        objectName: "background"
        anchors.fill: keys
        color: "transparent"

        Image {
            id: bg_img

            objectName: "bg_img"
            anchors.fill: parent
            source: "../assets/Keyboard/bg_keyboard_bar_grey.png"
        }

    }

    // Swallows clicks between the keys.
    MouseArea {
        objectName: "blocker"
        anchors.fill: keys
    }

    Item {
        id: keys

        objectName: "keys"
        anchors.top: parent.top
        anchors.left: parent.left
        width: parent.width
        height: root.height
    }

    Component {
        id: keyComponent

        Keyboard_Key {
        }

    }

}
