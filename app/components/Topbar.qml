import QtQuick 2.12

// The top bar: breadcrumb path and the home button carrying the device name.
Item {
    id: root

    property string cID
    property alias pathText: pathLabel.text
    property alias deviceName: homeButton.text

    function updateState(identifier) {
        if (!main.checkIdentifier(identifier, cID))
            return false;

        state = controller.getObjectState(cID);
        return true;
    }

    function changeComponent(identifier, params) {
        if (!main.checkIdentifier(identifier, cID) || !params)
            return ;

        if (params.pathText !== undefined)
            pathText = params.pathText;

        if (params.deviceName !== undefined)
            deviceName = params.deviceName;

    }

    width: 480
    height: 20
    Component.onCompleted: {
        main.subscribe(root, cID, updateState);
        main.componentChanged.connect(changeComponent);
        updateState(cID);
    }
    Component.onDestruction: {
        main.unsubscribe(root);
        main.componentChanged.disconnect(changeComponent);
    }

    Image {
        source: "../assets/Bar/bg_top.png"
    }

    FontLoader {
        id: boldFont

        source: "../" + main.fontDefaultBold
    }

    Text {
        id: pathLabel

        objectName: "pathText"
        x: 120
        y: 2
        color: "#FFFFFF"
        font.family: boldFont.name
        font.bold: true
        font.pixelSize: main.fontDefaultSize + 1
    }

    Topbar_Button {
        id: homeButton

        objectName: "homeButton"
        cID: "deviceName"
        image: "../assets/Icons/zandor_ico_home.png"
        clickAction: "openHomescreen"
    }

}
