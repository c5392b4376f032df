import QtQuick 2.12

// One status button of the bottom bar: label, optional icon and a status strip.
Item {
    id: root

    property string cID: "undefined bottom button"
    property alias text: label.text
    property alias icon: icon.source
    property string clickAction
    property string enterAction
    property string leaveAction
    property color text_color: "#ececec"
    property color text_color_off: "#333"
    property int paddingX: 10
    property color bg_color: main.bt_bg_color
    property color bg_color_over: main.bt_bg_color_over
    property color bg_color_pressed: main.bt_bg_color_pressed
    property color status_color_default: main.status_color_default
    property color status_color_active: main.status_color_active
    property color status_color_ok: main.status_color_ok
    property color status_color_error: main.status_color_error
    property color status_color_warning: main.status_color_warning

    function updateState(identifier) {
        if (!main.checkIdentifier(identifier, cID))
            return false;

        const s = controller.getObjectState(cID);
        text = String(controller.getObjectInfo(cID)).toUpperCase();
        switch (s) {
        case "connecting":
        case "info":
        case "warning":
            state = "warning";
            break;
        case "connected":
        case "ok":
            state = "ok";
            break;
        case "error":
            state = "error";
            break;
        default:
            state = "";
        }
        return true;
    }

    function changeComponent(identifier, params) {
        if (!main.checkIdentifier(identifier, cID) || !params)
            return ;

        if (params.text !== undefined)
            text = params.text;

        if (params.clickAction !== undefined)
            clickAction = params.clickAction;

        if (params.enterAction !== undefined)
            enterAction = params.enterAction;

        if (params.leaveAction !== undefined)
            leaveAction = params.leaveAction;

    }

    width: label.implicitWidth + 2 * paddingX
    height: 22
    Component.onCompleted: {
        main.subscribe(root, cID, updateState);
        main.componentChanged.connect(changeComponent);
        updateState(cID);
    }
    Component.onDestruction: {
        main.unsubscribe(root);
        main.componentChanged.disconnect(changeComponent);
    }
    states: [
        State {
            name: "active"

            PropertyChanges {
                target: label
                color: root.status_color_active
            }

        },
        State {
            name: "ok"

            PropertyChanges {
                target: strip
                color: root.status_color_ok
            }

            PropertyChanges {
                target: label
                color: root.text_color
            }

        },
        State {
            name: "error"

            PropertyChanges {
                target: strip
                color: root.status_color_error
            }

            PropertyChanges {
                target: label
                color: root.text_color
            }

        },
        State {
            name: "warning"

            PropertyChanges {
                target: strip
                color: root.status_color_warning
            }

            PropertyChanges {
                target: label
                color: root.text_color
            }

        }
    ]

    Rectangle {
        id: background

        objectName: "background"
        anchors.fill: parent
        color: root.bg_color
    }

    FontLoader {
        id: font

        source: "../" + main.fontDefault
    }

    Text {
        id: label

        objectName: "label"
        x: root.paddingX
        width: root.width - 2 * root.paddingX
        height: root.height
        verticalAlignment: Text.AlignVCenter
        horizontalAlignment: icon.status === Image.Null ? Text.AlignHCenter : Text.AlignLeft
        color: root.text_color_off
        font.family: font.name
        font.bold: true
        font.pixelSize: main.fontDefaultSize + 2
    }

    Image {
        id: icon

        objectName: "icon"
        x: 138
        y: 2
        width: 15
        height: 15
    }

    Rectangle {
        id: strip

        objectName: "strip"
        y: root.height - 4
        width: root.width
        height: 4
        color: root.status_color_default
    }

    MouseArea {
        anchors.fill: parent
        onClicked: controller.command(root.clickAction)
        onEntered: {
            controller.command(root.enterAction);
            background.color = root.bg_color_over;
        }
        onExited: {
            controller.command(root.leaveAction);
            background.color = root.bg_color;
        }
        onPressed: background.color = root.bg_color_pressed
        onReleased: background.color = root.bg_color
    }

}
