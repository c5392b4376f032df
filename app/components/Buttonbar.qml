import QtQuick 2.12

// The four soft keys beside the front-panel buttons, top to bottom.
Item {
    id: root

    property string cID

    function resetStates() {
        for (const key of [bt1, bt2, bt3, bt4]) key.state = ""
    }

    width: 100
    height: 210

    Image {
        source: "../assets/Bar/bg_right.png"
    }

    Buttonbar_Button {
        id: bt1

        objectName: "bb_bt1"
        cID: "bb_bt1"
        y: -13
    }

    Buttonbar_Button {
        id: bt2

        objectName: "bb_bt2"
        cID: "bb_bt2"
        y: 49
    }

    Buttonbar_Button {
        id: bt3

        objectName: "bb_bt3"
        cID: "bb_bt3"
        y: 111
    }

    Buttonbar_Button {
        id: bt4

        objectName: "bb_bt4"
        cID: "bb_bt4"
        y: 172
    }

}
