import QtQuick 2.12

// The on-screen image of the panel's rotary wheel: turns steps, drags and
// mouse-wheel notches into `turned`, shows a list position on its outer ring
// and the selected object's state by its colour.
Rectangle {
    id: root

    property string cID: "wh1"
    // The view whose object states the wheel shows; without one, the
    // controller's registry, which every view forwards to.
    property var view: null
    property int outerRotationTarget: 0
    property string prevState
    property real startOpacity
    // A touch panel drags by passing over the wheel, a mouse by pressing it.
    property string appMode: main.appMode

    signal turned(int steps)
    signal pressed()
    signal clicked()

    function move(steps, animated) {
        const value = Number(steps);
        if (!isFinite(value)) {
            console.warn("Wheel: ignoring a turn by", steps);
            return ;
        }
        if (animated === undefined)
            animated = true;

        const n = Math.trunc(value);
        if (n !== 0) {
            turned(n);
            if (animated) {
                outerAni.start();
            } else {
                outerAni.stop();
                const kick = Math.sqrt(Math.abs(value));
                outer.rotation = Math.trunc(outerRotationTarget + (value < 0 ? -kick : kick));
            }
        }
        inner.rotation += Math.trunc(Math.abs(value) < 5 ? value * 4 : value / 2);
    }

    function setScrollBar(percent) {
        const value = Number(percent);
        if (!isFinite(value)) {
            console.warn("Wheel: ignoring a scroll position of", percent);
            return ;
        }
        outerAni.stop();
        outerRotationTarget = -Math.trunc(value / 100 * 80);
        outerAni.start();
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

    function triggerComponent(identifier, params) {
        if (!main.checkIdentifier(identifier, cID) || !params)
            return ;

        switch (params.action) {
        case "turned":
            move(params.steps);
            break;
        case "pressed":
            prevState = state;
            state = "active";
            break;
        case "released":
            state = prevState;
            pressed();
            break;
        case "canceled":
            state = prevState;
            break;
        }
    }

    function startTracking() {
        ma.clickY = Math.trunc(ma.mouseY);
        // Without a tracked move the drag ends where it started: no turn.
        ma.releaseY = ma.clickY;
        outer.rotationOffset = outer.rotation;
        ma.clickInnerRot = inner.rotation;
        checkDistance.start();
    }

    function stopTracking() {
        // A release after a press outside the circle ends no drag.
        if (!checkDistance.running)
            return 0;

        checkDistance.stop();
        inner.rotation = ma.clickInnerRot;
        return ma.clickY - ma.releaseY;
    }

    width: 330
    height: 330
    color: "transparent"
    Component.onCompleted: {
        startOpacity = opacity;
        main.subscribe(root, cID, updateState);
        main.componentChanged.connect(changeComponent);
        main.componentTriggered.connect(triggerComponent);
        updateState(cID);
    }
    Component.onDestruction: {
        main.unsubscribe(root);
        main.componentChanged.disconnect(changeComponent);
        main.componentTriggered.disconnect(triggerComponent);
    }
    states: [
        State {
            name: "ok"

            PropertyChanges {
                target: wheelBg
                source: "../assets/Wheel/bg_green.png"
            }

        },
        State {
            name: "warning"

            PropertyChanges {
                target: wheelBg
                source: "../assets/Wheel/bg_yellow.png"
            }

        },
        State {
            name: "error"

            PropertyChanges {
                target: wheelBg
                source: "../assets/Wheel/bg_red.png"
            }

        },
        State {
            name: "active"

            PropertyChanges {
                target: wheelBg
                source: "../assets/Wheel/bg_orange.png"
            }

            PropertyChanges {
                target: root
                opacity: 1
            }

        }
    ]
    transitions: [
        Transition {
            to: "active"

            NumberAnimation {
                property: "opacity"
                duration: 500
            }

        },
        Transition {
            from: "active"

            NumberAnimation {
                property: "opacity"
                to: root.startOpacity
                duration: 200
            }

        }
    ]

    Rectangle {
        id: inner

        objectName: "inner"
        width: 330
        height: 330
        radius: width / 2
        color: "transparent"

        Image {
            id: wheelBg

            objectName: "wheelBg"
            anchors.fill: parent
            source: "../assets/Wheel/bg_grey.png"
        }

        Image {
            id: arrows

            x: 60
            y: 60
            width: 29
            height: 213
            opacity: 0.5
            visible: false
            source: "../assets/Wheel/arrows.png"
        }

    }

    Rectangle {
        id: outer

        property int rotationOffset: 0

        objectName: "outer"
        width: 330
        height: 330
        radius: width / 2
        clip: true
        color: "transparent"

        Image {
            id: finger

            x: 17
            y: 75
            width: 29
            height: 49
            source: "../assets/Wheel/indicator.png"
        }

        NumberAnimation {
            id: outerAni

            target: outer
            property: "rotation"
            to: root.outerRotationTarget
            duration: 250
        }

    }

    RoundMouseArea {
        id: ma

        property int clickY: 0
        property int releaseY: 0
        property int clickInnerRot: 0

        objectName: "ma"
        width: 300
        height: 280
        anchors.centerIn: parent
        focus: true
        onClicked: root.clicked()
        onWheel: root.move(Math.trunc(wheel.angleDelta.y / 50), false)
        onEntered: {
            if (root.appMode === "Zandor")
                root.startTracking();

        }
        onExcited: {
            if (root.appMode !== "Zandor")
                return ;

            let d = Math.trunc(root.stopTracking() / 2);
            // Any short swipe still moves by one step.
            if (d >= 1 && d <= 19)
                d = 1;
            else if (d <= -1 && d >= -19)
                d = -1;
            root.move(d);
        }
        onPressed: {
            if (root.appMode !== "Zandor")
                root.startTracking();

        }
        onReleased: {
            if (root.appMode !== "Zandor")
                root.move(2 * Math.trunc(root.stopTracking()));

        }

        Timer {
            id: checkDistance

            interval: 10
            repeat: true
            onTriggered: {
                const distance = ma.clickY - ma.mouseY;
                outer.rotation = Math.max(-100, Math.min(10, outer.rotationOffset + Math.trunc(distance)));
                inner.rotation = Math.trunc(ma.clickInnerRot + distance / 10);
                ma.releaseY = ma.mouseY;
            }
        }

    }

}
