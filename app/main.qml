import Qt.labs.settings 1.0
import QtQuick 2.12
import cppComponents.config 1.0
import cppComponents.hardware 1.0
import "models"

Item {
    id: main

    // Keyed by names that may come from the supply: no prototype to hit.
    property var objectStates: Object.create(null)
    property var objectInfos: Object.create(null)
    property string currentView: ""
    property string previousView: "ChannelList"
    property var currentViewParams: ({
    })
    property var previousViewParams: ({
    })
    property var selectedChannel: ({
    })
    property var osciSetup: ({
    })
    property int numberOfChannels: -1
    property bool connected: false
    // How values not read since the link was lost are drawn.
    readonly property real staleOpacity: 0.4
    // Components told of stateUpdated, in subscription order.
    property alias subscriptions: hub.subscriptions
    property int cycleTime: 250
    // The cycle time the current screen needs, set again at every login.
    readonly property alias requiredCycleTime: commands.cycleTime
    // Packets in one re-read request after a login.
    readonly property int refreshRequestSize: 200
    property int cycleTimeOsc: 50
    readonly property string appMode: hardware.environment() === "ARM" ? "Zandor" : "remote"
    property string deviceName: ""
    property string fontDefault: "assets/Fonts/Gothic.ttf"
    property string fontDefaultBold: "assets/Fonts/Gothicb.ttf"
    property int fontDefaultSize: appMode === "Zandor" ? 11 : 12
    property alias displayTimer: panel.displayTimer
    property alias displayIsOn: panel.displayIsOn
    property var configFilesOnUsb
    // The first screen's types load on the engine's loader thread while the
    // link logs in and the window first draws; changeView then finds them
    // ready instead of loading them while the operator waits.
    readonly property var firstViewTypes: Qt.createComponent("views/Channellist.qml", Component.Asynchronous)
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
    // Unit scales: how many of the unit make one volt, ampere or second.
    readonly property var unitScales: ({
        "mA": 1000,
        "mV": 1000,
        "ms": 1000,
        "µA": 1e+06,
        "uA": 1e+06,
        "nA": 1e+09,
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

    signal stateUpdated(string identifier)
    signal componentChanged(string identifier, var params)
    signal componentTriggered(string identifier, var params)
    signal viewChanged(string identifier)
    signal alert(string type, string message, string state)
    signal configChanged()

    // A table's own entry only: names from the supply such as "constructor"
    // must not find the object's inherited members.
    function ownValue(table, key) {
        return Object.prototype.hasOwnProperty.call(table, key) ? table[key] : undefined;
    }

    // A view that cannot be built keeps the one on screen: the operator is
    // told, and never left with an empty window.
    function changeView(view, params, keepPrevious) {
        if (params === undefined || params === null)
            params = {
        };

        const component = Qt.createComponent("views/" + view + ".qml");
        if (component.status !== Component.Ready) {
            console.warn("main: cannot open view", view + ":", component.errorString().trim());
            alert("error", "VIEW " + String(view).toUpperCase() + " CANNOT BE OPENED", "error");
            return false;
        }
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
        return true;
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
            return ;
        }
        const path = String(channel);
        const fields = path.split(".");
        selectedChannel = {
            "cID": path,
            "chIndex": fields[fields.length - 1],
            "chLabel": "Channel " + path
        };
    }

    // The USB file commands return whether they went out; the row
    // (params.cID) that made one shows the supply's answer.
    function command(name, params) {
        if (params === undefined || params === null)
            params = {
        };

        const target = ownValue(viewCommands, name);
        if (target !== undefined) {
            changeView(target[0], target[1]);
            return ;
        }
        switch (name) {
        case "lastView":
            lastView();
            break;
        case "ClearAll":
        case "SetValuesReset":
        case "FactoryReset":
            lumaCommand({
                "mode": name,
                "path": "0.0"
            });
            break;
        case "ChangeCycleTime":
            commands.changeCycleTime(params.cycleTime);
            break;
        case "lumaCommand":
            lumaCommand(params);
            break;
        case "unmountUsbDevice":
            return commands.usbCommand("USB UNMOUNT", function() {
                return lumaConnection.unmount("USB");
            }, params.cID);
        case "saveUsbDrivers":
            return commands.usbCommand("USB DRIVER SAVE", function() {
                return lumaConnection.saveFile("", "USB", "usbDriver");
            }, params.cID);
        case "saveConfiguration":
            return commands.usbCommand("CONFIGURATION SAVE TO USB", function() {
                return lumaConnection.saveFile(params.name, "USB", "lumaConfig");
            }, params.cID);
        case "restoreConfiguration":
            return commands.usbCommand("CONFIGURATION RESTORE FROM USB", function() {
                return lumaConnection.restoreFile(params.file, "USB", "lumaConfig");
            }, params.cID);
        case "getConfigFilesList":
            commands.askFileList();
            return configFilesOnUsb;
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
            return identifier.includes(cID);

        return false;
    }

    // Line, address and channel of a device path, absent levels empty.
    function pathFields(path) {
        const fields = path === undefined ? [] : String(path).split(".");
        return [fields[0] || "", fields[1] || "", fields[2] || ""];
    }

    function sendItemCommand(command, path, item, value, unit) {
        const fields = pathFields(path);
        lumaConnection.appendQueue(command, fields[0], fields[1], fields[2], item, value, unit);
        lumaConnection.sendQueue();
    }

    // Sent now while logged in, else refused with an alert; true when sent.
    function setItemValue(path, item, value, unit) {
        return commands.write(path === undefined ? "" : path, item, value, unit);
    }

    function triggerValueUpdate(path, item) {
        cache.triggerRequest(path, item);
    }

    function isItemCurrent(path, item) {
        return cache.isCurrent(path, item);
    }

    // A toggle sent and not yet confirmed by the supply.
    function isSwitching(path, item) {
        return commands.isSwitching(path, item);
    }

    // A toggle the supply did not answer: the switch may be either way
    // until the supply reports it again.
    function isSwitchStateUnknown(path, item) {
        return commands.isStateUnknown(path, item);
    }

    // Full for a value read since the link came back, dimmed for a last
    // known one.
    function itemOpacity(path, item) {
        return cache.isCurrent(path, item) ? 1 : staleOpacity;
    }

    // A last known value that is not current counts as unknown.
    function currentValue(path, item) {
        const value = getItemValue(path, item)[1];
        return isItemCurrent(path, item) ? value : "";
    }

    function getItemValue(path, item) {
        return cache.getItem(path, item, false);
    }

    function getItemValues(path, item) {
        return cache.getItem(path, item, true);
    }

    function getCurrentItemValues(path, item) {
        return cache.currentHistory(path, item);
    }

    function getItemsByPath(path, itemType, value, latestOnly) {
        return cache.getItemsByPath(path, itemType, value, latestOnly);
    }

    function requestUpdate(path, item) {
        sendItemCommand("getItem", path, item);
    }

    // Every value a screen shows is read again after a (re)login, except
    // what the queue asks for already, in requests of a bounded size.
    function queueRefresh() {
        const queued = Object.create(null);
        const keyOf = function keyOf(fields, item) {
            return cache.keyOf(fields.join("."), item);
        };
        for (const packet of lumaConnection.queue) {
            if (packet.c === "getItem")
                queued[keyOf([packet.p.p.l, packet.p.p.a, packet.p.p.c], packet.p.i)] = true;

        }
        // The start batch first, on its own.
        lumaConnection.sendQueue();
        let inRequest = 0;
        for (const entry of cache.refreshList()) {
            const fields = pathFields(entry[0]);
            const key = keyOf(fields, entry[1]);
            if (key in queued)
                continue;

            queued[key] = true;
            if (inRequest === refreshRequestSize) {
                lumaConnection.sendQueue();
                inRequest = 0;
            }
            lumaConnection.appendQueue("getItem", fields[0], fields[1], fields[2], entry[1]);
            ++inRequest;
        }
    }

    function linkStateChanged(status) {
        const wasConnected = connected;
        connected = status === "connected";
        if (wasConnected === connected)
            return ;

        if (!connected) {
            commands.linkLost();
            cache.markStale();
            stateUpdated("usbRemoteStatus");
            stateUpdated("usbAuxStatus");
        }
        panel.linkChanged(connected);
    }

    function loadConfiguration() {
        lumaConnection.getConfiguration();
    }

    function lumaCommand(params) {
        const target = String(params.path === undefined ? "" : params.path).split("_");
        const path = target[0];
        const item = target[1];
        switch (params.mode) {
        case "toggle":
            commands.toggle(path, item);
            break;
        case "On":
        case "ClearEventError":
            setItemValue(path, item, 1);
            break;
        case "Off":
            setItemValue(path, item, 0);
            break;
        case "ClearAll":
            commands.clearAll(path);
            break;
        case "SetValuesReset":
            commands.setValuesReset(path);
            break;
        case "FactoryReset":
            commands.factoryReset(path);
            break;
        }
    }

    function updateConfigFilesList(fileList) {
        configFilesOnUsb = fileList.filter(function(name) {
            return name.includes(".xml");
        });
    }

    function getConfigValue(propertyName) {
        return config.getProperty(propertyName);
    }

    // Sent now while logged in and the supply's configuration of this
    // login is in, else refused and the row shows the store again; true
    // when sent. The row (its cID) shows the supply's answer.
    function setConfigValue(propertyName, value, row) {
        return commands.setConfigValue(propertyName, value, row);
    }

    function getConfigNumberOfChildren(propertyName, childName) {
        return config.getNumberOfChildren(propertyName, childName);
    }

    function getRemoteConfig(prop) {
        return settings[prop];
    }

    // True when stored; a CA certificate file without a certificate is
    // refused where it was entered.
    function setRemoteConfig(prop, value) {
        if (appMode !== "remote")
            return false;

        if (prop === "caCertificate" && !lumaConnection.trustCaCertificate(value)) {
            alert("certificate", "NO CA CERTIFICATE IN THAT FILE, NOT STORED", "error");
            return false;
        }
        settings[prop] = value;
        lumaConnection.ip = settings.ip;
        lumaConnection.port = settings.port;
        lumaConnection.user = settings.user;
        lumaConnection.password = settings.password;
        lumaConnection.tls = settings.tls === "true";
        lumaConnection.reconnect();
        return true;
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

    // Rates such as "V/s" convert by their quantity unit.
    function getValueByUnit(value, sourceUnit, targetUnit) {
        if (sourceUnit === undefined || sourceUnit === "" || targetUnit === undefined || targetUnit === "")
            return value;

        if (sourceUnit === targetUnit)
            return Number(value);

        const rate = /^(.+)(\/[^\/]+)$/;
        const sourceRate = rate.exec(sourceUnit);
        const targetRate = rate.exec(targetUnit);
        if (sourceRate !== null && targetRate !== null && sourceRate[2] === targetRate[2])
            return getValueByUnit(value, sourceRate[1], targetRate[1]);

        let factor = 1;
        const source = ownValue(unitScales, sourceUnit);
        if (source !== undefined)
            factor /= source;
        else if (String(sourceUnit).endsWith("A"))
            factor /= 1e+06;
        else
            console.warn("!! unknown source unit: " + sourceUnit, "value: " + value);
        const target = ownValue(unitScales, targetUnit);
        if (target !== undefined)
            factor *= target;
        else
            console.warn("!! unknown target unit: " + targetUnit);
        return value * factor;
    }

    function getObjectState(cID) {
        switch (cID) {
        case "ethernetStatus":
            return appMode === "Zandor" ? currentValue("0.0", "Status.ethernetState") : lumaConnection.getComState();
        case "usbRemoteStatus":
            return currentValue("0.0", "Status.usbRemoteState");
        case "usbAuxStatus":
            return currentValue("0.0", "Status.usbAuxState");
        }
        const state = objectStates[cID];
        return state === undefined ? "" : state;
    }

    function getObjectInfo(cID) {
        switch (cID) {
        case "ethernetStatus":
            return appMode === "Zandor" ? getConfigValue("ethernet/ip") : lumaConnection.getComInfo();
        case "usbRemoteStatus":
            return currentValue("0.0", "Status.usbRemoteText");
        case "usbAuxStatus":
            return currentValue("0.0", "Status.usbAuxText");
        }
        const info = objectInfos[cID];
        return info === undefined ? "" : info;
    }

    function resetDisplayTimer() {
        return panel.resetDisplayTimer();
    }

    function panelKeyPressed(buttonId) {
        panel.keyPressed(buttonId);
    }

    function panelKeyReleased(buttonId) {
        panel.keyReleased(buttonId);
    }

    function panelWheelTurned(steps) {
        panel.wheelTurned(steps);
    }

    function panelWheelPressed() {
        panel.wheelPressed();
    }

    function updateChannelLeds(identifier) {
        panel.updateChannelLeds(identifier);
    }

    function feedFan() {
        panel.feedFan();
    }

    function receiveConfiguration(xml) {
        // A refused text leaves the store, and all read from it, as it was.
        if (!config.setConfiguration(xml))
            return ;

        // Settings waiting for it are confirmed or stay on top of it.
        commands.configurationReceived();
        deviceName = getConfigValue("hardwareDetect/device@id=0-0/@model").substring(0, 12);
        setComponent("topBar", {
            "deviceName": deviceName
        });
        configChanged();
        resetDisplayTimer();
        // The count is fixed by the first configuration that has channels;
        // until then the (empty) channel list is filled by a later one.
        if (numberOfChannels > 0)
            return ;

        const channels = Math.min(getConfigNumberOfChildren("hardwareDetect/device@id=0-0", "channel"), 4);
        if (numberOfChannels === -1 || channels > 0) {
            const first = numberOfChannels === -1;
            numberOfChannels = channels;
            if (first || currentView === "" || currentView === "Channellist")
                command("openChannelList");

        }
    }

    // The alert strip shows only its own states. A device error item is
    // raised while its value is not "0" and withdrawn when it returns to
    // "0"; a device message is a warning.
    function reportError(type, message) {
        if (type === undefined || type === "")
            type = "error";

        if (message === undefined || message === "") {
            alert(type, "", "");
            return ;
        }
        if (["error", "ok", "success", "warning"].includes(type))
            alert(type, message, type);
        else if (type === "message")
            alert(type, message, "warning");
        else if (message === "0")
            alert(type, "", "");
        else
            alert(type, message, "error");
    }

    // Calls handler(identifier) for every update whose identifier contains
    // key; subscribing again for a known owner replaces key and handler.
    function subscribe(owner, key, handler) {
        hub.subscribe(owner, key, handler);
    }

    function unsubscribe(owner) {
        hub.unsubscribe(owner);
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

    function cancelDelay(timer) {
        // A handle whose call already ran refers to a released timer.
        if (timer && typeof timer.stop === "function") {
            timer.stop();
            timer.destroy();
        }
    }

    function delay(cb, delayTime, timer) {
        cancelDelay(timer);
        const next = delayTimer.createObject(main, {
            "interval": delayTime
        });
        // Released after this call returns, even when the callback throws.
        next.triggered.connect(function() {
            next.destroy();
            cb();
        });
        next.start();
        return next;
    }

    onStateUpdated: hub.deliver(identifier)
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

    Connection {
        id: lumaConnection

        ip: main.getRemoteConfig("ip")
        port: main.getRemoteConfig("port")
        user: main.getRemoteConfig("user")
        password: main.getRemoteConfig("password")
        // The device build keeps its local link.
        tls: main.appMode === "remote" && main.getRemoteConfig("tls") === "true"
        caCertificate: main.appMode === "remote" ? main.getRemoteConfig("caCertificate") : ""
        onCertificateRefusalChanged: {
            if (certificateRefusal === "")
                main.alert("certificate", "", "");
            else
                main.alert("certificate", "SUPPLY CERTIFICATE NOT TRUSTED, NOT CONNECTED", "error");
        }
        onItemChanged: cache.addItem(path, item, value, unit, time)
        onConnectionStatusChanged: {
            if (adapter === "luma")
                main.linkStateChanged(status);

        }
        onLoggedIn: main.queueRefresh()
        onFirmwareUpdateActive: {
            if (status)
                main.alert("firmwareUpdate", "FIRMWARE UPDATE IN PROGRESS! DO NOT SWITCH OFF OR OPERATE.", "error");
            else
                main.alert("firmwareUpdate", "", "");
        }
        onError: {
            main.reportError(type, message);
            commands.supplyAnswered(type, message);
        }
        onConfigurationReceived: main.receiveConfiguration(xml)
        onUsbFileListChanged: {
            main.updateConfigFilesList(fileList);
            commands.supplyAnswered("fileList", "");
        }
    }

    Cache {
        id: cache

        onUpdated: main.stateUpdated(identifier)
        onItemStored: commands.reported(path, item)
    }

    Commands {
        id: commands

        link: lumaConnection
        cache: cache
        config: config
    }

    Subscriptions {
        id: hub
    }

    Panel {
        id: panel

        hardware: hardware
        cache: cache
    }

    Config {
        id: config
    }

    Loader {
        id: controller

        property var params: ({
        })

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
        // "true": wss://, checked against the system's certificates and
        // those in the file caCertificate names.
        property string tls: "false"
        property string caCertificate: ""
    }

    Hardware {
        id: hardware

        onButtonPressed: main.panelKeyPressed(buttonId)
        onButtonReleased: main.panelKeyReleased(buttonId)
        onWheelTurned: main.panelWheelTurned(steps)
        onWheelPressed: main.panelWheelPressed()
        Component.onCompleted: {
            if (main.appMode !== "Zandor")
                return ;

            hardware.main();
            hardware.switchOnBackLight();
            main.stateUpdated.connect(main.updateChannelLeds);
        }
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
