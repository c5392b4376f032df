import "../components"
import QtQuick 2.12

// The oscilloscope screen: the plot, soft-key menus for time, vertical
// scaling and channels, and the wheel acting in the chosen mode. The supply
// reports faster while the screen is open.
Item {
    id: controller

    property string cID: "0.0."
    property string mode: "default"
    property int selectedChannel: 0
    property bool wheelLocked: false
    // Built from the supply's switches (no saved channels): only then may a
    // report of a switch turn a trace on, and never one the operator set.
    property bool firstOpen: false
    property var operatorSet: ({
    })
    readonly property var keys: ["bb_bt1", "bb_bt2", "bb_bt3", "bb_bt4"]

    signal controllerModeChanged(string mode)

    function changeControllerMode(newMode) {
        mode = newMode;
        controllerModeChanged(newMode);
    }

    function setupChartChannels() {
        if (osci.setupChannelsFromSettings()) {
            osci.loadChart();
            return ;
        }
        firstOpen = true;
        let anyOn = false;
        for (let i = 0; i < main.numberOfChannels; ++i) {
            const on = main.getItemValue("0.0." + i, "Control.on")[1] == 1;
            anyOn = anyOn || on;
            osci.addChannel(i, on ? "Status.voltageMeasure" : "off", "0.0." + i);
        }
        if (!anyOn) {
            for (const ch of osci.channels) ch.setItem("Status.voltageMeasure")
        }
        osci.loadChart();
    }

    function initView() {
        main.setComponent("topBar", {
            "pathText": "GRAPH MODE"
        });
        main.setComponent("topBar", {
            "deviceName": main.deviceName
        });
        command("SetMenuDefault");
        const saved = main.getRemoteConfig("osciMode");
        if (saved !== undefined && saved !== null && saved !== "")
            command("init_" + saved);

    }

    function updateState(identifier) {
        if (!main.checkIdentifier(identifier, cID))
            return false;

        const parts = String(identifier).split("_");
        if (parts[1] === "Control.on") {
            const n = Number(parts[0].split(".")[2]);
            if (firstOpen && !operatorSet[n] && main.isItemCurrent(parts[0], "Control.on") && main.getItemValue(parts[0], "Control.on")[1] == 1)
                osci.turnOnChannel(n);

        } else if (parts[1] === "Status.lowCurrentRange") {
            osci.changeCurrentRange(Number(parts[0].split(".")[2]));
        }
        return true;
    }

    function getObjectState(cID) {
        return main.getObjectState(cID);
    }

    function getObjectInfo(cID) {
        return main.getObjectInfo(cID);
    }

    // At most one wheel action per 200 ms; scales move one step per action,
    // shifts by the steps turned.
    function wheelTurned(steps) {
        if (wheelLocked)
            return ;

        wheelLocked = true;
        wheelLock.restart();
        const d = steps < 0 ? -1 : 1;
        switch (mode) {
        case "osc_horizontal_scale_mode":
            osci.changeXScale(d);
            break;
        case "osc_horizontal_shift_mode":
            osci.changeXOffset(steps);
            break;
        case "osc_channel_scale":
            osci.changeYScale(d);
            break;
        case "osc_channel_offset":
            osci.changeYOffset(steps);
            break;
        case "osc_channel_scale_all":
            osci.changeYScaleAll(d);
            break;
        case "osc_channel_offset_all":
            osci.changeYOffsetAll(steps);
            break;
        }
    }

    function setKeys(labels) {
        for (let i = 0; i < 4; ++i) {
            main.setComponent(keys[i], {
                "text": labels[i][0],
                "clickAction": labels[i][1]
            });
        }
    }

    function runState() {
        return osci.getRunState() ? "ok" : "active";
    }

    function setWheelMode(action, key) {
        buttonBar.resetStates();
        main.setObjectState(key, "active");
        changeControllerMode(action);
    }

    function command(action, params) {
        if (params === undefined || params === null)
            params = {
        };

        switch (action) {
        case "SetMenuDefault":
            buttonBar.resetStates();
            main.setObjectState("bb_bt1", runState());
            changeControllerMode("default");
            setKeys([["RUN/STOP", "osc_toggle_runstop"], ["H-SETTINGS", "osc_h-settings"], ["V-SETTINGS", "osc_v-settings"], ["CHANNELS", "osc_channels"]]);
            break;
        case "osc_toggle_runstop":
            osci.toggleRunStop();
            main.setObjectState("bb_bt1", runState());
            break;
        case "osc_h-settings":
            buttonBar.resetStates();
            setKeys([["SCALE", "osc_horizontal_scale_mode"], ["SHIFT", "osc_horizontal_shift_mode"], ["LATEST DATA", "osc_latest_data"], ["BACK", "SetMenuDefault"]]);
            break;
        case "osc_v-settings":
            setKeys([["AUTO ALL", "osc_auto_all_channels"], ["AUTO SINGLE", "osc_auto_single_channels"], ["MANUAL ALL", "osc_manual_all_channels"], ["BACK", "SetMenuDefault"]]);
            buttonBar.resetStates();
            main.setObjectState("bb_bt1", osci.getAutoAllChannelsOn() ? "active" : "");
            main.setObjectState("bb_bt2", osci.getAutoSingleChannelsOn() ? "active" : "");
            main.setObjectState("bb_bt3", osci.getManualAllChannelsOn() ? "active" : "");
            break;
        case "osc_channels":
            buttonBar.resetStates();
            // Keys only for the channels the supply has.
            setKeys([0, 1, 2, 3].map(function(n) {
                return n < main.numberOfChannels ? ["CH" + n, "osc_channel_select_" + n] : ["", ""];
            }));
            break;
        case "osc_channel_select_0":
        case "osc_channel_select_1":
        case "osc_channel_select_2":
        case "osc_channel_select_3":
            buttonBar.resetStates();
            selectedChannel = Number(action.split("_")[3]);
            osci.selectChannel(selectedChannel);
            setKeys([["SCALE", "osc_channel_scale"], ["OFFSET", "osc_channel_offset"], ["V / I / OFF", "osc_channel_toggle"], ["BACK", "SetMenuDefault"]]);
            break;
        case "init_osc_auto_all_channels":
            osci.autoAllChannelsOn();
            break;
        case "osc_auto_all_channels":
            buttonBar.resetStates();
            main.setObjectState("bb_bt1", osci.autoAllChannelsOn() ? "active" : "");
            break;
        case "init_osc_auto_single_channels":
            osci.autoSingleChannelsOn();
            break;
        case "osc_auto_single_channels":
            buttonBar.resetStates();
            main.setObjectState("bb_bt2", osci.autoSingleChannelsOn() ? "active" : "");
            break;
        case "init_osc_manual_all_channels":
            osci.manualAllChannelsOn();
            break;
        case "osc_manual_all_channels":
            buttonBar.resetStates();
            setKeys([["SCALE ALL", "osc_channel_scale_all"], ["OFFSET ALL", "osc_channel_offset_all"], ["V / I", "osc_channel_toggle_all"], ["BACK", "SetMenuDefault"]]);
            osci.manualAllChannelsOn();
            break;
        case "osc_horizontal_scale_mode":
        case "osc_channel_scale":
        case "osc_channel_scale_all":
            setWheelMode(action, "bb_bt1");
            break;
        case "osc_horizontal_shift_mode":
        case "osc_channel_offset":
        case "osc_channel_offset_all":
            setWheelMode(action, "bb_bt2");
            break;
        case "osc_latest_data":
            buttonBar.resetStates();
            osci.latestData();
            break;
        case "osc_channel_toggle":
            buttonBar.resetStates();
            operatorSet[selectedChannel] = true;
            osci.toggleOnOffVI();
            break;
        case "osc_channel_toggle_all":
            buttonBar.resetStates();
            for (let i = 0; i < 4; ++i) operatorSet[i] = true
            osci.toggleVIAll();
            break;
        default:
            main.command(action, params);
        }
    }

    width: 480
    height: 282
    focus: true
    Component.onCompleted: {
        main.viewChanged.connect(initView);
        main.subscribe(controller, cID, updateState);
        setupChartChannels();
        updateState(cID);
        main.alert.connect(alert.add);
    }
    Component.onDestruction: {
        main.command("ChangeCycleTime", {
            "cycleTime": main.cycleTime
        });
        main.viewChanged.disconnect(initView);
        main.unsubscribe(controller);
        main.alert.disconnect(alert.add);
    }

    Image {
        z: -1
        source: "../assets/bg_main.png"
    }

    // Opened before the supply's configuration: the channels come with it.
    Connections {
        function onNumberOfChannelsChanged() {
            if (osci.channels.length === 0)
                controller.setupChartChannels();

        }

        target: main
    }

    // Owned by the view: leaving within the second sends no late fast cycle.
    Timer {
        interval: 1000
        running: true
        onTriggered: main.command("ChangeCycleTime", {
            "cycleTime": main.cycleTimeOsc
        })
    }

    Timer {
        id: wheelLock

        interval: 200
        onTriggered: controller.wheelLocked = false
    }

    Item {
        objectName: "plotArea"
        width: 420
        height: 248

        Osci {
            id: osci

            objectName: "osci"
            anchors.fill: parent
        }

    }

    // Over the plot; the bars stay usable.
    Rectangle {
        objectName: "veil"
        width: 480
        height: 282
        z: 5
        color: "#000000"
        opacity: 0.6
        visible: !main.connected

        MouseArea {
            anchors.fill: parent
        }

    }

    Topbar {
        objectName: "topBar"
        cID: "topBar"
        width: 480
        height: 20
        z: 10
    }

    Bottombar {
        objectName: "bottomBar"
        cID: "bottomBar"
        y: 250
        width: 480
        height: 20
        z: 10
    }

    Wheel {
        objectName: "wh1"
        x: 345
        y: -50
        z: 20
        opacity: 0.1
        // Its press has no action on this screen.
        onTurned: controller.wheelTurned(steps)
    }

    Buttonbar {
        id: buttonBar

        objectName: "buttonBar"
        cID: "buttonBar"
        x: 380
        y: 27
        z: 30
        visible: main.connected
    }

    Messages {
        objectName: "messages"
        z: 40
    }

    Alert {
        id: alert

        objectName: "alert"
        y: 250
        width: 480
        height: 22
        z: 50
    }

}
