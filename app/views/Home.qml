import "../components"
import QtQuick 2.12

// The start screen: one large button per main function of the panel.
Item {
    id: controller

    property string cID: "homescreen"
    property var currentItem

    function initView() {
        buttonBar.resetStates();
        main.setComponent("topBar", {
            "pathText": "HOME"
        });
        main.setComponent("topBar", {
            "deviceName": main.deviceName
        });
        main.setComponent("bb_bt1", {
            "text": "SELECT",
            "clickAction": "selectCurrent"
        });
        for (const key of ["bb_bt2", "bb_bt3", "bb_bt4"]) main.setComponent(key, {
            "text": "",
            "clickAction": ""
        })
    }

    function updateState(identifier) {
        return main.checkIdentifier(identifier, cID);
    }

    function getObjectState(cID) {
        return main.getObjectState(cID);
    }

    function getObjectInfo(cID) {
        return main.getObjectInfo(cID);
    }

    function wheelTurned(steps) {
        if (appsGrid.currentIndex === -1)
            appsGrid.currentIndex = 1;

        if (steps > 0 && appsGrid.currentIndex < appsGrid.count - 1)
            appsGrid.currentIndex++;
        else if (steps < 0 && appsGrid.currentIndex > 0)
            appsGrid.currentIndex--;
    }

    function command(action, params) {
        if (action === "selectCurrent")
            selectItem();
        else
            main.command(action, params);
    }

    function selectItem(index) {
        if (index === undefined)
            index = appsGrid.currentIndex;

        if (index < 0 || index >= homeButtonsModel.count) {
            console.warn("Home: no application at", index);
            return ;
        }
        currentItem = homeButtonsModel.get(index);
        command(currentItem._command);
    }

    focus: true
    Component.onCompleted: {
        main.viewChanged.connect(initView);
        main.subscribe(controller, cID, updateState);
        updateState(cID);
        main.alert.connect(alert.add);
    }
    Component.onDestruction: {
        main.viewChanged.disconnect(initView);
        main.unsubscribe(controller);
        main.alert.disconnect(alert.add);
    }

    ListModel {
        id: homeButtonsModel

        ListElement {
            _name: "Control"
            _icon: "zandor_ico_control.png"
            _command: "openChannelList"
        }

        ListElement {
            _name: "Graph"
            _icon: "zandor_ico_osci.png"
            _command: "openOsci"
        }

        ListElement {
            _name: "Settings"
            _icon: "zandor_ico_menu.png"
            _command: "openMenu"
        }

    }

    Item {
        x: 2
        y: 76
        width: 480
        height: 272

        GridView {
            id: appsGrid

            objectName: "appsGrid"
            width: 480
            height: 272
            contentWidth: 480
            contentHeight: 270
            cellWidth: 129
            cellHeight: 115
            // Moved by the wheel and tapped; a drag must not slide it under the top bar.
            interactive: false
            focus: true
            model: homeButtonsModel
            highlightFollowsCurrentItem: false

            highlight: Rectangle {
                objectName: "highlight"
                x: appsGrid.currentItem ? appsGrid.currentItem.x : 0
                y: appsGrid.currentItem ? appsGrid.currentItem.y : 0
                z: 10
                width: appsGrid.currentItem ? appsGrid.currentItem.width : 0
                height: appsGrid.currentItem ? appsGrid.currentItem.height : 0
                color: "lightsteelblue"
                radius: 5
                opacity: 0.3
            }

            delegate: Rectangle {
                id: button

                width: appsGrid.cellWidth - 4
                height: appsGrid.cellHeight - 2
                color: "transparent"
                states: [
                    State {
                        name: "pressed"
                        when: mouseArea.pressed

                        PropertyChanges {
                            target: iconImage
                            opacity: 1
                        }

                        PropertyChanges {
                            target: iconText
                            opacity: 1
                        }

                        PropertyChanges {
                            target: bgImage
                            source: "../assets/Icons/bg_icon_pressed.png"
                        }

                    }
                ]

                Image {
                    id: bgImage

                    objectName: "bgImage"
                    anchors.fill: parent
                    source: "../assets/Icons/bg_icon.png"
                }

                Column {
                    y: 24
                    anchors.horizontalCenter: parent.horizontalCenter
                    spacing: 20

                    Image {
                        id: iconImage

                        objectName: "iconImage"
                        anchors.horizontalCenter: parent.horizontalCenter
                        width: appsGrid.cellWidth / 3
                        height: appsGrid.cellHeight / 3
                        opacity: 0.5
                        source: "../assets/Icons/" + _icon
                    }

                    Text {
                        id: iconText

                        objectName: "iconText"
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: _name
                        color: "#FFFFFF"
                        font.bold: true
                        font.capitalization: Font.AllUppercase
                        font.pixelSize: main.fontDefaultSize + 2
                        opacity: 0.5
                    }

                }

                MouseArea {
                    id: mouseArea

                    objectName: "cellArea"
                    anchors.fill: parent
                    preventStealing: true
                    onClicked: controller.selectItem(index)
                }

            }

        }

    }

    Messages {
        id: messages
    }

    Topbar {
        id: topBar

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
        onPressed: controller.selectItem()
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
        z: 10
    }

    Image {
        z: -1
        source: "../assets/bg_main.png"
    }

}
