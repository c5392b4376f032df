import QtQuick 2.12
import QtTest 1.12
import "fixtures"
import "fixtures/views.js" as Views
import "qrc:/components"

// The on-screen keyboard: the four key sets and their layout, keys by
// touch and by the physical keyboard, replacing a key set, and the states.
TestCase {
    id: testCase

    readonly property var numericKeys: ["0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ".", "C"]
    readonly property var alphaRows: [["a", "b", "c", "d", "e", "f", "g", "h", "i", "+"], ["j", "k", "l", "m", "n", "o", "p", "q", "r", "-"], ["s", "t", "u", "v", "w", "x", "y", "z", "*", "/"], ["#", ":", ";", "?", "!", "%", ".", "DEL"], ["0", "1", "2", "3", "4", "5", "6", "7", "8", "9"]]

    function initTestCase() {
        Views.waitForStart(testCase, main);
    }

    function init() {
        main.setObjectState("keyboard", "");
    }

    function createKeyboard(mode, state) {
        const keyboard = createTemporaryObject(keyboardComponent, testCase.parent, {
            "y": 242
        });
        spy.target = keyboard;
        spy.clear();
        if (mode !== undefined)
            keyboard.setMode(mode);

        if (state !== undefined)
            main.setObjectState("keyboard", state);

        return keyboard;
    }

    function keys(keyboard) {
        const container = findChild(keyboard, "keys");
        const result = [];
        for (let i = 0; i < container.children.length; ++i) result.push(container.children[i])
        return result;
    }

    function key(keyboard, label) {
        const found = keys(keyboard).filter(function(k) {
            return k.label === label;
        });
        compare(found.length, 1, label);
        return found[0];
    }

    // Labels row by row, top row first, each row left to right.
    function rows(keyboard) {
        const byY = {
        };
        for (const k of keys(keyboard)) {
            const y = k.mapToItem(keyboard, 0, 0).y;
            if (byY[y] === undefined)
                byY[y] = [];

            byY[y].push(k);
        }
        return Object.keys(byY).map(Number).sort(function(a, b) {
            return a - b;
        }).map(function(y) {
            return {
                "y": y,
                "labels": byY[y].sort(function(a, b) {
                    return a.x - b.x;
                }).map(function(k) {
                    return k.label;
                })
            };
        });
    }

    function reported() {
        return spy.signalArguments.map(function(args) {
            return args[0];
        });
    }

    function background(keyboard) {
        return String(findChild(keyboard, "bg_img").source).split("/").pop();
    }

    function test_rowSets_data() {
        return [{
            "tag": "numeric",
            "labels": numericKeys
        }, {
            "tag": "date",
            "labels": ["1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "C"]
        }, {
            "tag": "time",
            "labels": ["1", "2", "3", "4", "5", "6", "7", "8", "9", "0", ":", "C"]
        }];
    }

    function test_rowSets(data) {
        const keyboard = createKeyboard(data.tag);
        compare(keyboard.mode, data.tag);
        compare(keyboard.bgType, "bar");
        compare(rows(keyboard), [{
            "y": 0,
            "labels": data.labels
        }]);
        const all = keys(keyboard);
        compare(all.map(function(k) {
            return [k.x, k.width, k.height];
        }), data.labels.map(function(label, i) {
            return [i * 35, 35, 30];
        }));
        compare(all.map(function(k) {
            return k.clickAction;
        }), data.labels.slice(0, 11).concat(["delete"]));
        compare(findChild(all[0], "label").font.pixelSize, 17);
        compare(keyboard.height, 30);
    }

    // The panel grows upwards: the digits stay on the strip.
    function test_alphaPanel() {
        const keyboard = createKeyboard("alpha");
        compare(keyboard.bgType, "panel");
        compare(keys(keyboard).length, 48);
        compare(rows(keyboard), alphaRows.map(function(labels, i) {
            return {
                "y": (i - 4) * 30,
                "labels": labels
            };
        }));
        compare(rows(keyboard).map(function(row) {
            return row.labels.length;
        }), [10, 10, 10, 8, 10]);
        for (const k of keys(keyboard)) compare(k.x % 35, 0, k.label)
        const container = findChild(keyboard, "keys");
        compare(container.height, 150);
        compare(container.mapToItem(keyboard, 0, container.height).y, keyboard.height);
        compare(key(keyboard, "DEL").clickAction, "delete");
        compare(key(keyboard, "DEL").x, 7 * 35);
        compare(keyboard.height, 30);
    }

    function test_clicks_data() {
        return [{
            "tag": "numeric digit",
            "mode": "numeric",
            "label": "5",
            "action": "5"
        }, {
            "tag": "numeric C",
            "mode": "numeric",
            "label": "C",
            "action": "delete"
        }, {
            "tag": "numeric point",
            "mode": "numeric",
            "label": ".",
            "action": "."
        }, {
            "tag": "date separator",
            "mode": "date",
            "label": "-",
            "action": "-"
        }, {
            "tag": "time C",
            "mode": "time",
            "label": "C",
            "action": "delete"
        }, {
            "tag": "alpha letter on the top row",
            "mode": "alpha",
            "label": "a",
            "action": "a"
        }, {
            "tag": "alpha DEL",
            "mode": "alpha",
            "label": "DEL",
            "action": "delete"
        }, {
            "tag": "alpha digit on the strip",
            "mode": "alpha",
            "label": "9",
            "action": "9"
        }];
    }

    function test_clicks(data) {
        const keyboard = createKeyboard(data.mode, "active");
        mouseClick(key(keyboard, data.label));
        compare(reported(), [data.action]);
    }

    // Clicks between the keys, on the strip and on the grown panel, do not
    // reach what lies below.
    function test_gapsSwallowClicks_data() {
        return [{
            "tag": "numeric strip",
            "mode": "numeric",
            "x": 450,
            "y": 15
        }, {
            "tag": "alpha panel",
            "mode": "alpha",
            "x": 300,
            "y": -15
        }];
    }

    function test_gapsSwallowClicks(data) {
        const below = createTemporaryObject(belowComponent, testCase.parent);
        const keyboard = createKeyboard(data.mode, "active");
        mouseClick(keyboard, data.x, data.y);
        compare(below.clicks, 0);
        compare(reported(), []);
        mouseClick(below, 240, 100);
        compare(below.clicks, 1);
    }

    function test_lastNumericKeyDeletes() {
        const keyboard = createKeyboard("numeric", "active");
        const all = keys(keyboard);
        compare(all.length, 12);
        mouseClick(all[11]);
        compare(reported(), ["delete"]);
    }

    function test_pressFeedback() {
        const keyboard = createKeyboard("numeric", "active");
        const k = key(keyboard, "7");
        const bg = findChild(k, "bg");
        verify(Qt.colorEqual(bg.color, "transparent"));
        mousePress(k);
        verify(Qt.colorEqual(bg.color, main.ch_bg_color_pressed));
        mouseRelease(k);
        verify(Qt.colorEqual(bg.color, "transparent"));
    }

    function test_physicalKeys_data() {
        return [{
            "tag": "digit in numeric",
            "mode": "numeric",
            "key": Qt.Key_5,
            "actions": ["5"]
        }, {
            "tag": "letter in numeric",
            "mode": "numeric",
            "key": Qt.Key_A,
            "actions": []
        }, {
            "tag": "c is no key in numeric",
            "mode": "numeric",
            "key": Qt.Key_C,
            "actions": []
        }, {
            "tag": "letter in alpha",
            "mode": "alpha",
            "key": Qt.Key_A,
            "actions": ["a"]
        }, {
            "tag": "capital letter in alpha as typed",
            "mode": "alpha",
            "key": "A",
            "actions": ["A"]
        }, {
            "tag": "colon in time",
            "mode": "time",
            "key": Qt.Key_Colon,
            "actions": [":"]
        }, {
            "tag": "colon in date",
            "mode": "date",
            "key": Qt.Key_Colon,
            "actions": []
        }, {
            "tag": "backspace in numeric",
            "mode": "numeric",
            "key": Qt.Key_Backspace,
            "actions": ["delete"]
        }, {
            "tag": "backspace in alpha",
            "mode": "alpha",
            "key": Qt.Key_Backspace,
            "actions": ["delete"]
        }, {
            "tag": "delete",
            "mode": "date",
            "key": Qt.Key_Delete,
            "actions": ["delete"]
        }, {
            "tag": "return",
            "mode": "numeric",
            "key": Qt.Key_Return,
            "actions": ["return"]
        }, {
            "tag": "enter",
            "mode": "alpha",
            "key": Qt.Key_Enter,
            "actions": ["return"]
        }, {
            "tag": "escape",
            "mode": "time",
            "key": Qt.Key_Escape,
            "actions": ["cancel"]
        }, {
            "tag": "up",
            "mode": "numeric",
            "key": Qt.Key_Up,
            "actions": ["up"]
        }, {
            "tag": "down",
            "mode": "numeric",
            "key": Qt.Key_Down,
            "actions": ["down"]
        }, {
            "tag": "left",
            "mode": "alpha",
            "key": Qt.Key_Left,
            "actions": ["left"]
        }, {
            "tag": "right",
            "mode": "alpha",
            "key": Qt.Key_Right,
            "actions": ["right"]
        }];
    }

    function test_physicalKeys(data) {
        const keyboard = createKeyboard(data.mode, "active");
        verify(keyboard.activeFocus);
        keyClick(data.key);
        compare(reported(), data.actions);
    }

    // A new mode replaces the keys: one key set on screen, on the strip.
    function test_setModeReplacesKeys() {
        const keyboard = createKeyboard("alpha", "active");
        const alphaKey = key(keyboard, "a");
        keyboard.setMode("numeric");
        compare(keys(keyboard).length, 12);
        compare(rows(keyboard), [{
            "y": 0,
            "labels": numericKeys
        }]);
        compare(findChild(keyboard, "keys").height, 30);
        compare(keyboard.bgType, "bar");
        compare(background(keyboard), "bg_keyboard_bar_grey.png");
        keyboard.setMode("numeric");
        compare(keys(keyboard).length, 12);
        keyboard.setMode("alpha");
        compare(keys(keyboard).length, 48);
        compare(findChild(keyboard, "keys").height, 150);
        keyClick(Qt.Key_5);
        compare(reported(), ["5"]);
        // Keys of earlier sets are gone, not just hidden.
        tryVerify(function() {
            return alphaKey === null || alphaKey.label === undefined;
        });
    }

    function test_unknownMode() {
        const keyboard = createKeyboard("numeric", "active");
        ignoreWarning("Keyboard: no key set for mode hex");
        keyboard.setMode("hex");
        compare(keys(keyboard).length, 0);
        keyClick(Qt.Key_5);
        compare(reported(), []);
        keyClick(Qt.Key_Backspace);
        compare(reported(), ["delete"]);
    }

    function test_nothingBuiltAtCreation() {
        const keyboard = createKeyboard();
        compare(keys(keyboard).length, 0);
        compare(keyboard.mode, ["numeric", "alpha", "date", "time"]);
        verify(!keyboard.visible);
    }

    function test_states_data() {
        return [{
            "tag": "base",
            "state": "",
            "mode": "numeric",
            "visible": false,
            "image": "bg_keyboard_bar_grey.png"
        }, {
            "tag": "base after alpha",
            "state": "",
            "mode": "alpha",
            "visible": false,
            "image": "bg_keyboard_bar_grey.png"
        }, {
            "tag": "active",
            "state": "active",
            "mode": "numeric",
            "visible": true,
            "image": "bg_keyboard_bar_grey.png"
        }, {
            "tag": "active panel",
            "state": "active",
            "mode": "alpha",
            "visible": true,
            "image": "bg_keyboard_panel_grey.png"
        }, {
            "tag": "ok",
            "state": "ok",
            "mode": "date",
            "visible": true,
            "image": "bg_keyboard_bar_green.png"
        }, {
            "tag": "warning",
            "state": "warning",
            "mode": "alpha",
            "visible": true,
            "image": "bg_keyboard_panel_yellow.png"
        }, {
            "tag": "error",
            "state": "error",
            "mode": "time",
            "visible": true,
            "image": "bg_keyboard_bar_red.png"
        }];
    }

    function test_states(data) {
        const keyboard = createKeyboard(data.mode, "error");
        main.setObjectState("keyboard", data.state);
        compare(keyboard.state, data.state);
        compare(keyboard.visible, data.visible);
        compare(background(keyboard), data.image);
        compare(findChild(keyboard, "bg_img").status, Image.Ready);
        if (data.visible)
            verify(keyboard.activeFocus);

    }

    name: "Keyboard"
    width: 480
    height: 272
    when: windowShown

    ViewStub {
        id: controller
    }

    Component {
        id: belowComponent

        MouseArea {
            property int clicks: 0

            width: 480
            height: 272
            onClicked: ++clicks
        }

    }

    SignalSpy {
        id: spy

        signalName: "keyPressed"
    }

    Component {
        id: keyboardComponent

        Keyboard {
            view: controller
        }

    }

}
