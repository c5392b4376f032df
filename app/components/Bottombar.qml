import QtQuick 2.12

// The bottom bar: status of the two USB interfaces and of the network link.
Item {
    id: root

    property string cID
    // The desktop reaches its own link settings from the third button.
    property string appMode: main.appMode

    width: 480
    height: 22

    Image {
        source: "../assets/Bar/bg_bottom.png"
    }

    Bottombar_Button {
        id: usbRemote

        objectName: "usbRemote"
        cID: "usbRemoteStatus"
        width: 158
    }

    Bottombar_Button {
        id: usbAux

        objectName: "usbAux"
        cID: "usbAuxStatus"
        x: usbRemote.width + 2
        width: 158
        clickAction: "openUsbSettings"
    }

    Bottombar_Button {
        objectName: "ethernet"
        cID: "ethernetStatus"
        x: usbRemote.width + usbAux.width + 4
        width: 158
        clickAction: "openIpSettings"
        icon: root.appMode === "remote" ? "../assets/Icons/zandor_ico_menu.png" : ""
    }

}
