import QtQuick 2.12
import Qt.labs.settings 1.0
import cppComponents.config 1.0

Item {
    id: main

    property var objectStates: ({})
    property var objectInfos: ({})
    property string currentView: ""
    property string previousView: "ChannelList"
    property var currentViewParams: ({})
    property var previousViewParams: ({})
    property var selectedChannel: ({})
    property var osciSetup: ({})
    property int numberOfChannels: -1
    property bool connected: false
    property int cycleTime: 250
    property int cycleTimeOsc: 50
    readonly property string appMode: "remote"
    property string deviceName: ""
    property string fontDefault: "assets/Fonts/Gothic.ttf"
    property string fontDefaultBold: "assets/Fonts/Gothicb.ttf"
    property int fontDefaultSize: appMode === "Zandor" ? 11 : 12
    property var displayTimer
    property bool displayIsOn: true
    property var configFilesOnUsb

    property color text_edit: "#ff6600"
    property color text_color: "#ffffff"
    property color text_color_inv: "#333333"
    property color text_color_disabled: "#ececec"
    property color bt_bg_color: "transparent"
    property color bt_bg_color_pressed: "#80ffffff"
    property color bt_bg_color_over: "#60ffffff"
    property color bt_text_color: "#ececec"
    property color ch_bg_color: "transparent"
    property color ch_bg_color_pressed: "#80ffffff"
    property color ch_bg_color_over: "#60ffffff"
    property color status_color_default: "#30ffffff"
    property color status_color_active: "#ff6600"
    property color status_color_ok: "#51a301"
    property color status_color_error: "#ce0000"
    property color status_color_warning: "#fdcf30"
    property color status_color_warning2: "#ff6600"
    property color status_color_on: "#51a301"
    property color status_color_off: "#30ffffff"
    property color status_color_disabled: "#333"

    signal stateUpdated(string identifier)
    signal componentChanged(string identifier, var params)
    signal componentTriggered(string identifier, var params)
    signal viewChanged(string identifier)
    signal alert(string type, string message, string state)
    signal configChanged

    // Unit scales: how many of the unit make one volt, ampere or second.
    readonly property var unitScales: ({
            "mA": 1000,
            "mV": 1000,
            "ms": 1000,
            "µA": 1000000,
            "uA": 1000000,
            "nA": 1000000000,
            "kV": 0.001,
            "V": 1,
            "A": 1,
            "s": 1
        })

    // Commands that only show a view: name -> [view, params].
    readonly property var viewCommands: ({
            "openHomescreen": ["Home"],
            "openMenu": ["Menu", {
                    "modelToLoad": "configMain"
                }],
            "openUsbSettings": ["Menu", {
                    "modelToLoad": "configHardware_interfaces_usb"
                }],
            "selectChannel": ["Channel"],
            "openOsci": ["Oscilloscope"],
            "openChannelList": ["Channellist", {
                    "cID": "0.0"
                }],
            "openVoltageMenu": ["Menu", {
                    "modelToLoad": "channelSetup_voltageMenu"
                }],
            "openCurrentMenu": ["Menu", {
                    "modelToLoad": "channelSetup_currentMenu"
                }],
            "openChannelSetup": ["Menu", {
                    "modelToLoad": "configHardware_channelSetup",
                    "backMode": "lastView"
                }],
            "openTest": ["Test"]
        })

    function changeView(view, params, keepPrevious) {
        if (params === undefined || params === null)
            params = {};
        controller.params = params;
        controller.setSource("views/" + view + ".qml", params);
        controller.focus = true;
        if (keepPrevious !== true) {
            previousView = currentView;
            previousViewParams = currentViewParams;
        }
        currentView = view;
        currentViewParams = params;
        viewChanged(view);
    }

    function lastView() {
        changeView(previousView, previousViewParams);
    }

    function getSelectedChannel() {
        return selectedChannel;
    }

    function setSelectedChannel(channel) {
        if (channel !== null && typeof channel === "object" && channel.cID !== undefined) {
            selectedChannel = {
                "cID": String(channel.cID),
                "chIndex": String(channel.chIndex),
                "chLabel": String(channel.chLabel)
            };
            return;
        }
        const path = String(channel);
        const fields = path.split(".");
        selectedChannel = {
            "cID": path,
            "chIndex": fields[fields.length - 1],
            "chLabel": "Channel " + path
        };
    }

    function command(name, params) {
        if (params === undefined || params === null)
            params = {};
        const target = viewCommands[name];
        if (target !== undefined) {
            changeView(target[0], target[1]);
            return;
        }
        switch (name) {
        case "lastView":
            lastView();
            break;
        case "openIpSettings":
            changeView("Menu", {
                    "modelToLoad": appMode === "remote" ? "configRemote" : "configHardware_interfaces_ethernet"
                });
            break;
        }
    }

    function checkIdentifier(identifier, cID) {
        if (identifier === undefined && cID === undefined)
            return true;
        if (identifier === "" && cID === "")
            return true;
        if (cID === "" && typeof identifier === "string" && identifier.startsWith("_"))
            return true;
        if (typeof identifier === "string" && typeof cID === "string" && identifier !== "" && cID !== "")
            return identifier.indexOf(cID) !== -1;
        return false;
    }

    function getConfigValue(propertyName) {
        return config.getProperty(propertyName);
    }

    function setConfigValue(propertyName, value) {
        if (!config.setProperty(propertyName, value))
            return;
        config.saveConfiguration();
    }

    function getConfigNumberOfChildren(propertyName, childName) {
        return config.getNumberOfChildren(propertyName, childName);
    }

    function getRemoteConfig(prop) {
        return settings[prop];
    }

    function setRemoteConfig(prop, value) {
        if (appMode !== "remote")
            return false;
        settings[prop] = value;
    }

    function openFile(fileUrl) {
        const request = new XMLHttpRequest();
        request.open("GET", fileUrl, false);
        request.send(null);
        return request.responseText;
    }

    function saveFile(fileUrl, text) {
        const request = new XMLHttpRequest();
        request.open("PUT", fileUrl, false);
        request.send(text);
        return request.status;
    }

    function getValueByUnit(value, sourceUnit, targetUnit) {
        if (sourceUnit === undefined || sourceUnit === "" || targetUnit === undefined || targetUnit === "")
            return value;
        let factor = 1;
        const source = unitScales[sourceUnit];
        if (source !== undefined)
            factor /= source;
        else if (String(sourceUnit).endsWith("A"))
            factor /= 1000000;
        else
            console.warn("!! unknown source unit: " + sourceUnit, "value: " + value);
        const target = unitScales[targetUnit];
        if (target !== undefined)
            factor *= target;
        else
            console.warn("!! unknown target unit: " + targetUnit);
        return value * factor;
    }

    function getObjectState(cID) {
        const state = objectStates[cID];
        return state === undefined ? "" : state;
    }

    function getObjectInfo(cID) {
        const info = objectInfos[cID];
        return info === undefined ? "" : info;
    }

    function setObjectState(cID, state) {
        objectStates[cID] = state;
        stateUpdated(cID);
    }

    function setObjectInfo(cID, info) {
        objectInfos[cID] = info;
        stateUpdated(cID);
    }

    function setComponent(cID, params) {
        componentChanged(cID, params);
    }

    function triggerComponent(cID, params) {
        componentTriggered(cID, params);
    }

    function delay(cb, delayTime, timer) {
        // A handle whose call already ran refers to a released timer.
        if (timer && typeof timer.stop === "function") {
            timer.stop();
            timer.destroy();
        }
        const next = delayTimer.createObject(main, {
                "interval": delayTime
            });
        next.triggered.connect(function () {
                try {
                    cb();
                } finally {
                    next.destroy();
                }
            });
        next.start();
        return next;
    }

    width: 480
    height: 272
    visible: true
    antialiasing: false

    Component {
        id: delayTimer

        Timer {
            repeat: false
        }
    }

    Config {
        id: config
    }

    Loader {
        id: controller

        property var params: ({})

        anchors.fill: parent
        asynchronous: false
        transform: Rotation {
            origin.x: main.width / 2
            origin.y: main.height / 2
            angle: main.appMode === "Zandor" ? 180 : 0
        }
    }

    Settings {
        id: settings

        property string ip: main.appMode === "remote" ? "localhost" : "127.0.0.1"
        property string port: "8080"
        property string user: main.appMode === "remote" ? "kiwi" : "_PANEL_"
        property string password: main.appMode === "remote" ? "kiwi" : "_PANEL_"
    }

    Timer {
        id: startTimer

        interval: 1000
        running: true
        onTriggered: {
            if (main.numberOfChannels === -1 && main.appMode === "remote")
                main.command("openIpSettings");
        }
    }
}
