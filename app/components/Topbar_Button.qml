import QtQuick 2.12

// The top bar's home button: icon, label and a status strip.
Item {
    id: root

    property string cID: "undefined top button"
    property alias text: label.text
    property alias image: icon.source
    property string clickAction
    property string enterAction
    property string leaveAction
    property color text_color: "#ececec"
    property int paddingX: 30
    property color bg_color: main.bt_bg_color
    property color bg_color_over: main.bt_bg_color_over
    property color bg_color_pressed: main.bt_bg_color_pressed
    property color status_color_active: main.status_color_active
    property color status_color_ok: main.status_color_ok
    property color status_color_error: main.status_color_error
    property color status_color_warning: main.status_color_warning

    function updateState(identifier) {
        if (!main.checkIdentifier(identifier, cID))
            return false;

        state = controller.getObjectState(cID);
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

    width: measure.width + paddingX
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

        },
        State {
            name: "error"

            PropertyChanges {
                target: strip
                color: root.status_color_error
            }

        },
        State {
            name: "warning"

            PropertyChanges {
                target: strip
                color: root.status_color_warning
            }

        }
    ]

    TextMetrics {
        id: measure

        font.family: label.font.family
        font.pixelSize: label.font.pixelSize
        font.bold: true
        text: label.text
    }

    Rectangle {
        id: background

        objectName: "background"
        width: root.width
        height: root.height - 3
        color: root.bg_color
    }

    Rectangle {
        id: strip

        objectName: "strip"
        y: root.height - 2
        width: root.width
        height: 4
        color: "transparent"
    }

    Image {
        id: icon

        width: 20
        height: 20
    }

    Text {
        id: label

        objectName: "label"
        x: icon.width + 5
        y: 2
        color: root.text_color
        font.family: "Century Gothic"
        font.pixelSize: main.fontDefaultSize + 1
    }

    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
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
