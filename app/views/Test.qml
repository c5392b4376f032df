import "../components"
import QtQuick 2.12

// The touch test: a tap surface and the soft keys to leave it.
Item {
    id: controller

    function command(command, params) {
        main.command(command, params);
    }

    // The soft keys read their state from the view they sit in.
    function getObjectState(cID) {
        return main.getObjectState(cID);
    }

    Test_Touch {
        id: touch

        objectName: "touch"
    }

    Buttonbar {
        id: buttonBar

        objectName: "buttonBar"
        cID: "buttonBar"
        x: 380
        y: 27
        width: 150
        height: 272
    }

    // The keys label themselves once they are complete.
    Timer {
        interval: 20
        running: true
        onTriggered: {
            main.setComponent("bb_bt1", {
                "text": "BACK",
                "clickAction": "lastView"
            });
            main.setComponent("bb_bt2", {
                "text": "HOME",
                "clickAction": "openHomescreen"
            });
            main.setComponent("bb_bt3", {
                "text": "",
                "clickAction": ""
            });
            main.setComponent("bb_bt4", {
                "text": "",
                "clickAction": ""
            });
        }
    }

}
