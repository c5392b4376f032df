import QtQuick 2.12

// A one-line bar showing the latest of a set of keyed alerts, coloured by
// severity. Each source owns one type and replaces or withdraws only it.
Item {
    id: root

    // Alert type -> {text, state}, in the order the types were first added.
    // Types come from the supply, so the table has no prototype to hit.
    property var messages: Object.create(null)

    function add(type, text, errorState) {
        if (!text && !errorState) {
            remove(type);
            return ;
        }
        messages[type] = {
            "text": text,
            "state": errorState
        };
        message.text = text;
        state = errorState;
    }

    function remove(type) {
        if (!(type in messages))
            return ;

        delete messages[type];
        const types = Object.keys(messages);
        if (types.length === 0) {
            // The text stays while the bar fades out.
            state = "";
            return ;
        }
        const shown = messages[types[types.length - 1]];
        message.text = shown.text;
        state = shown.state;
    }

    width: 480
    opacity: 0
    // Colours are set explicitly: a bound value would wait for the fade to end.
    states: [
        State {
            name: "error"

            PropertyChanges {
                target: root
                opacity: 1
            }

            PropertyChanges {
                target: background
                explicit: true
                color: main.status_color_error
            }

        },
        State {
            name: "ok"

            PropertyChanges {
                target: root
                opacity: 1
            }

            PropertyChanges {
                target: background
                explicit: true
                color: main.status_color_ok
            }

        },
        State {
            name: "success"

            PropertyChanges {
                target: root
                opacity: 1
            }

            PropertyChanges {
                target: background
                explicit: true
                color: main.status_color_ok
            }

        },
        State {
            name: "warning"

            PropertyChanges {
                target: root
                opacity: 1
            }

            PropertyChanges {
                target: background
                explicit: true
                color: main.status_color_warning
            }

            PropertyChanges {
                target: message
                color: "#000"
            }

        }
    ]
    transitions: [
        Transition {
            from: ""

            NumberAnimation {
                property: "opacity"
                duration: 500
            }

        },
        Transition {
            to: ""

            NumberAnimation {
                property: "opacity"
                duration: 200
            }

        }
    ]

    Rectangle {
        id: background

        objectName: "background"
        anchors.fill: parent
        opacity: 0.8
        color: main.status_color_default
    }

    Text {
        id: message

        objectName: "message"
        x: 10
        y: 3
        color: "#FFF"
        font.pixelSize: 11
        font.capitalization: Font.AllUppercase
    }

}
