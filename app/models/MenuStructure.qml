import QtQuick 2.12

// The settings menus as data: one list model per menu id, each entry a row
// that opens a menu, shows or edits a value, or runs a command. A role an
// entry does not declare reads as undefined (not as "", 0 or false).
QtObject {
    id: root

    // Read once at completion, for the channel entries and the REMOTE entry.
    property int numberOfChannels: main.numberOfChannels
    property string appMode: main.appMode
    readonly property string ntpHost: "pool.ntp.org"
    readonly property string remoteHost: "localhost"
    readonly property var menuIds: ["configMain", "configHardware", "configHardware_deviceSetup", "configHardware_deviceSetup_measurement", "configHardware_deviceSetup_control", "configHardware_deviceSetup_hardwareLimits", "configHardware_deviceSetup_display", "configHardware_deviceSetup_datetime", "configHardware_channelList", "configHardware_channelSetup", "configHardware_interfaces", "configHardware_interfaces_ethernet", "configHardware_interfaces_wifi", "configHardware_interfaces_usb", "configReset", "configInfo", "configSoftware", "configSoftware_http", "configSoftware_epics", "configSoftware_snmp", "configSoftware_hal", "configRemote", "channelSetup_voltageMenu", "channelSetup_currentMenu"]
    property Component menuComponent
    readonly property ListModel configMain: createMenu("", "Settings", "Menu")
    readonly property ListModel configHardware: createMenu("configMain", "Hardware configuration", "Settings > Hardware")
    readonly property ListModel configHardware_deviceSetup: createMenu("configHardware", "Device configuration", "Settings > Hardware > Device Setup")
    readonly property ListModel configHardware_deviceSetup_measurement: createMenu("configHardware_deviceSetup", "Device measurement setup ", "Settings > Hardware > Device > Measurement")
    readonly property ListModel configHardware_deviceSetup_control: createMenu("configHardware_deviceSetup", "Device control setup ", "Settings > Hardware > Device > Control")
    readonly property ListModel configHardware_deviceSetup_hardwareLimits: createMenu("configHardware_deviceSetup", "Device hardware limits", "Settings > Hardware > Device > Limits")
    readonly property ListModel configHardware_deviceSetup_display: createMenu("configHardware_deviceSetup", "Device display setup", "Settings > Hardware > Device > Display")
    readonly property ListModel configHardware_deviceSetup_datetime: createMenu("configHardware_deviceSetup", "Device date and time setup", "Settings > Hardware > Device > Date & Time")
    readonly property ListModel configHardware_channelList: createMenu("configHardware", "Channels", "Channels")
    readonly property ListModel configHardware_channelSetup: createMenu("configHardware_channelList", "Channel setup | %(chLabel)", "Channel setup | %(cID)")
    readonly property ListModel configHardware_interfaces: createMenu("configHardware", "Interface configuration", "Settings > Hardware > Interfaces")
    readonly property ListModel configHardware_interfaces_ethernet: createMenu("configHardware_interfaces", "Ethernet configuration", "Settings > Hardware > Interfaces > Ethernet")
    readonly property ListModel configHardware_interfaces_wifi: createMenu("configHardware_interfaces", "Wireless configuration", "Settings > Hardware > Interfaces > Wireless")
    readonly property ListModel configHardware_interfaces_usb: createMenu("configHardware_interfaces", "USB configuration", "Settings > Hardware > Interfaces > USB")
    readonly property ListModel configReset: createMenu("configMain", "Reset hard- and software", "Settings > Reset")
    readonly property ListModel configInfo: createMenu("configMain", "System Status and Information", "Settings > Info")
    readonly property ListModel configSoftware: createMenu("configMain", "Software service configuration", "Settings > Software")
    readonly property ListModel configSoftware_http: createMenu("configSoftware", "HTTP interface configuration", "Settings > Software > HTTP")
    readonly property ListModel configSoftware_epics: createMenu("configSoftware", "EPICS IOC configuration", "Settings > Software > EPICS")
    readonly property ListModel configSoftware_snmp: createMenu("configSoftware", "SNMP configuration", "Settings > Software > SNMP")
    readonly property ListModel configSoftware_hal: createMenu("configSoftware", "HALservice configuration", "Settings > Software > HALservice")
    readonly property ListModel configRemote: createMenu("configMain", "Remote Setup Menu", "Menu / Remote connection")
    readonly property ListModel channelSetup_voltageMenu: createMenu("", "Voltage settings | %(chLabel)", "Channel details | %(cID)")
    readonly property ListModel channelSetup_currentMenu: createMenu("", "Current settings | %(chLabel)", "Channel details | %(cID)")

    function getMenu(id) {
        if (menuIds.indexOf(id) < 0) {
            console.warn("MenuStructure: no menu named", id);
            return undefined;
        }
        return root[id];
    }

    function createMenu(parentMenu, title, path) {
        const roles = ["_itemName", "_action", "_subMenu", "_chId", "_cID", "_dataSource", "_itemID", "_dataPath", "_itemIDstatus", "_inputType", "_default", "_valueIfEmpty", "_unit", "_description", "_selectOptions", "_selectOptionsDynamic", "_digits", "_addLeadingZeros", "_handleAbsolute", "_min", "_max", "_minFromLuma", "_maxFromLuma", "_readonlyConditionCommand", "_command"];
        const menu = menuComponent.createObject(root, {
            "parentMenu": parentMenu,
            "title": title,
            "path": path
        });
        // A view learns the role names when it attaches: one element naming
        // them all lets every row see every role, declared or not.
        const allRoles = {
        };
        for (const role of roles) allRoles[role] = undefined
        menu.append(allRoles);
        menu.remove(0);
        return menu;
    }

    function choices(values, labels) {
        return values.map(function(value, i) {
            return {
                "value": value,
                "label": labels === undefined ? value : labels[i]
            };
        });
    }

    function enabledChoices() {
        return choices(["true", "false"], ["enabled", "disabled"]);
    }

    function navigation(label, subMenu, description) {
        const entry = {
            "_itemName": label,
            "_action": "menu",
            "_subMenu": subMenu
        };
        if (description !== undefined)
            entry._description = description;

        return entry;
    }

    function commandEntry(label, command, description) {
        return {
            "_itemName": label,
            "_action": "command",
            "_command": command,
            "_description": description
        };
    }

    function configSelect(label, cID, itemID, defaultValue, selectOptions, description) {
        const entry = {
            "_itemName": label,
            "_action": "edit",
            "_cID": cID,
            "_dataSource": "config",
            "_itemID": itemID,
            "_inputType": "select",
            "_default": defaultValue,
            "_selectOptions": selectOptions
        };
        if (description !== undefined)
            entry._description = description;

        return entry;
    }

    // A configuration value the hardware also reports: the row compares both.
    function detectedSelect(label, cID, attribute, defaultValue, selectOptions, description) {
        const entry = configSelect(label, cID, "hardwareConfig/device@id=0-0/" + attribute, defaultValue, selectOptions, description);
        entry._itemIDstatus = "hardwareDetect/device@id=0-0/" + attribute;
        return entry;
    }

    function configText(label, cID, itemID, inputType, defaultValue, description) {
        return {
            "_itemName": label,
            "_action": "edit",
            "_cID": cID,
            "_dataSource": "config",
            "_itemID": itemID,
            "_inputType": inputType,
            "_default": defaultValue,
            "_description": description
        };
    }

    function configReadonly(label, cID, itemID, description) {
        return {
            "_itemName": label,
            "_action": "readonly",
            "_cID": cID,
            "_dataSource": "config",
            "_itemID": itemID,
            "_description": description
        };
    }

    // A device item that is only shown; without a dataPath it belongs to the
    // selected channel, "" is the system level.
    function deviceReadonly(label, itemID, dataPath, inputType, description) {
        const entry = {
            "_itemName": label,
            "_action": "readonly",
            "_dataSource": "LUMA",
            "_itemID": itemID
        };
        if (dataPath !== undefined)
            entry._dataPath = dataPath;

        if (inputType !== undefined)
            entry._inputType = inputType;

        if (description !== undefined)
            entry._description = description;

        return entry;
    }

    function deviceSelect(label, itemID, dataPath, defaultValue, selectOptions, description) {
        const entry = {
            "_itemName": label,
            "_action": "edit",
            "_dataSource": "LUMA",
            "_itemID": itemID,
            "_inputType": "select",
            "_default": defaultValue,
            "_selectOptions": selectOptions,
            "_description": description
        };
        if (dataPath !== undefined)
            entry._dataPath = dataPath;

        return entry;
    }

    function systemEntry(label, itemID, inputType, defaultValue, description) {
        return {
            "_itemName": label,
            "_action": "edit",
            "_dataSource": "LUMA",
            "_itemID": itemID,
            "_dataPath": "",
            "_inputType": inputType,
            "_default": defaultValue,
            "_description": description
        };
    }

    function rampSpeed(label, itemID, quantity, description) {
        const voltage = quantity === "voltage";
        return {
            "_itemName": label,
            "_action": "edit",
            "_dataSource": "LUMA",
            "_itemID": itemID,
            "_inputType": "numeric",
            "_default": "1",
            "_digits": voltage ? 2 : 3,
            "_addLeadingZeros": true,
            "_minFromLuma": "Status." + quantity + "RampspeedMin",
            "_maxFromLuma": "Status." + quantity + "RampspeedMax",
            "_valueIfEmpty": voltage ? "10" : "1",
            "_unit": voltage ? "V/s" : "mA/s",
            "_description": description
        };
    }

    function remoteText(label, cID, key, defaultValue, description) {
        return {
            "_itemName": label,
            "_action": "edit",
            "_cID": cID,
            "_dataSource": "remoteConfig",
            "_itemID": key,
            "_inputType": "text",
            "_default": defaultValue,
            "_description": description
        };
    }

    function addEntries() {
        configMain.append(navigation("HARDWARE-SETUP", "configHardware"));
        configMain.append(navigation("SOFTWARE-SETUP", "configSoftware"));
        configMain.append(navigation("CLEAR / RESET / BACKUP / RESTORE", "configReset"));
        configMain.append(navigation("DEVICE INFO", "configInfo"));
        configHardware.append(navigation("DEVICE-SETUP", "configHardware_deviceSetup"));
        configHardware.append(navigation("CHANNEL-SETUP", "configHardware_channelList"));
        configHardware.append(navigation("INTERFACES", "configHardware_interfaces"));
        configHardware_deviceSetup.append(navigation("MEASUREMENT", "configHardware_deviceSetup_measurement"));
        configHardware_deviceSetup.append(navigation("CONTROL", "configHardware_deviceSetup_control"));
        configHardware_deviceSetup.append(navigation("HARDWARE LIMITS", "configHardware_deviceSetup_hardwareLimits"));
        configHardware_deviceSetup.append(navigation("DISPLAY", "configHardware_deviceSetup_display"));
        configHardware_deviceSetup.append(navigation("DATE & TIME", "configHardware_deviceSetup_datetime"));
        configHardware_deviceSetup_measurement.append(detectedSelect("ADC-Samplerate", "cfgItemAdc", "@adcSampleRate", "50", choices(["500", "100", "60", "50", "25", "10", "5"]), "How many samples are measured per second"));
        configHardware_deviceSetup_measurement.append(detectedSelect("Digital Filter Averages", "cfgItemFilter", "@digitalFilter", "64", choices(["1024", "512", "256", "64", "16", "1"]), "How many sample values are averaged to one"));
        const onOff = choices(["1", "0"], ["enabled", "disabled"]);
        configHardware_deviceSetup_control.append(deviceSelect("Global KILL-ENABLE", "Control.kill", "0.0", "0", onOff, "Enables/Disables KILL-ENABLE feature for all channels"));
        configHardware_deviceSetup_control.append(deviceSelect("Fine Adjustment", "Control.adjustment", "0.0", "1", onOff, "Enables/Disables FINE-ADJUSTMENT for all channels"));
        configHardware_deviceSetup_hardwareLimits.append(deviceReadonly("Hardware Voltage Limit", "Status.voltageLimit", "0.0", "numeric", "Use hardware potentiometers to adjust Limits"));
        configHardware_deviceSetup_hardwareLimits.append(deviceReadonly("Hardware Current Limit", "Status.currentLimit", "0.0", "numeric", "Use hardware potentiometers to adjust Limits"));
        const display = "hardwareConfig/device@id=0-0/";
        const brightness = choices(["9", "8", "7", "6", "5", "4", "3", "2", "1", "0"], ["100%", "90%", "80%", "70%", "60%", "50%", "40%", "30%", "20%", "10%"]);
        const standby = choices(["120", "60", "30", "10", "5", "2", "0"], ["2 hours", "1 hour", "30 minutes", "10 minutes", "5 minutes", "2 minutes", "standby off"]);
        configHardware_deviceSetup_display.append(configSelect("Display Brightness", "cfgItemBrightness", display + "@displayBrightness", "5", brightness, "Change the display brightness"));
        configHardware_deviceSetup_display.append(configSelect("Display Standby time", "cfgItemStandby", display + "@displayStandby", "10", standby, "The display will standby after..."));
        configHardware_deviceSetup_display.append(configSelect("Voltage resolution", "cfgItemVresolution", display + "@vResolution", "3", choices(["4", "3", "2", "1"]), "Select number of displayed digits after separator"));
        configHardware_deviceSetup_display.append(configSelect("Current unit", "cfgItemCunit", display + "@cUnit", "mA", choices(["mA", "µA"]), "Which unit is prefered for displayed values"));
        configHardware_deviceSetup_display.append(configSelect("Current resolution", "cfgItemCresolution", display + "@cResolution", "4", choices(["5", "4", "3", "2", "1"]), "Select number of digits after separator"));
        configHardware_deviceSetup_display.append(configSelect("Low Current unit", "cfgItemCunitLCR", display + "@cUnitLCR", "µA", choices(["mA", "µA"]), "Which unit is prefered for displayed values in LC range"));
        configHardware_deviceSetup_display.append(configSelect("Low Current resolution", "cfgItemCresolutionLCR", display + "@cResolutionLCR", "4", choices(["5", "4", "3", "2", "1"]), "Select number of digits after separator in LC range"));
        configHardware_deviceSetup_datetime.append(systemEntry("System date", "System.date", "date", "2020-05-20", "Enter current date like YYY-MM-DD, e.g. 2020-05-20"));
        configHardware_deviceSetup_datetime.append(systemEntry("System time", "System.time", "time", "13:00:00", "Enter current time like in 24h format HH:MM:SS, e.g. 14:32:00"));
        configHardware_channelList.append({
            "_itemName": "ALL CHANNELS",
            "_action": "menu",
            "_subMenu": "configHardware_channelSetup",
            "_chId": "0.0.*"
        });
        const polarity = detectedSelect("Polarity", "cfgItemChPolarity", "channel@id=%(chIdx)/@polarity", "p", choices(["p", "n"], ["positive", "negative"]), "CHANNEL MUST BE TURNED OFF BEFORE CHANGE");
        polarity._readonlyConditionCommand = "isChannelTurnedOn";
        configHardware_channelSetup.append(polarity);
        // An empty default: no DEFAULT key for the output mode.
        const outputMode = detectedSelect("Output-Mode", "cfgItemChOutMode", "channel@id=%(chIdx)/@voltageMode", "", choices(["-"], ["not yet received"]), "CHANNEL MUST BE TURNED OFF BEFORE CHANGE");
        outputMode._selectOptionsDynamic = "channelModes";
        outputMode._readonlyConditionCommand = "isChannelTurnedOn";
        configHardware_channelSetup.append(outputMode);
        configHardware_channelSetup.append(rampSpeed("Voltage Ramp Up", "Control.voltageRampspeedUp", "voltage", "Voltage increase speed for this/all channel(s)"));
        configHardware_channelSetup.append(rampSpeed("Voltage Ramp Down", "Control.voltageRampspeedDown", "voltage", "Voltage decrease speed for this/all channel(s)"));
        configHardware_channelSetup.append(rampSpeed("Current Ramp Up", "Control.currentRampspeedUp", "current", "Current increase speed for this/all channel(s)"));
        configHardware_channelSetup.append(rampSpeed("Current Ramp Down", "Control.currentRampspeedDown", "current", "Current decrease speed for this/all channel(s)"));
        configHardware_interfaces.append(navigation("Ethernet", "configHardware_interfaces_ethernet"));
        configHardware_interfaces.append(navigation("Wireless", "configHardware_interfaces_wifi"));
        configHardware_interfaces.append(navigation("USB", "configHardware_interfaces_usb"));
        configHardware_interfaces_ethernet.append(configSelect("DHCP", "cfgItemEthDHCP", "ethernet/dhcp", "true", enabledChoices(), "Ethernet interface obtains IP information by DHCP server"));
        configHardware_interfaces_ethernet.append(configText("IP-Address", "cfgItemEthIp", "ethernet/ip", "ip", "192.168.0.1", "Enter fixed Ethernet IP adress like 192.168.1.1 - applies if DHCP disabled"));
        configHardware_interfaces_ethernet.append(configText("IP-Mask", "cfgItemEthMask", "ethernet/mask", "ip", "255.255.255.0", "Enter Ethernet IP mask like 255.255.255.0"));
        configHardware_interfaces_ethernet.append(configText("DNS", "cfgItemEthDns", "ethernet/dns", "ip", "192.168.0.254", "Enter Ethernet DNS server IP adress, example 192.168.1.255"));
        configHardware_interfaces_ethernet.append(configText("IP-Gateway", "cfgItemEthGateway", "ethernet/gateway", "ip", "192.168.0.254", "Enter Ethernet Gateway IP adress, example 192.168.1.255"));
        configHardware_interfaces_ethernet.append(configText("NTP Time Server", "cfgItemEthNtp", "ethernet/ntp", "text", ntpHost, "Enter Ethernet NTP Time Servers IP adress or host, example " + ntpHost));
        const channels = ["11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1"];
        const wifiChannels = choices(channels, channels.map(function(channel) {
            return "Channel " + channel;
        }));
        configHardware_interfaces_wifi.append(configSelect("Enable WiFi", "cfgItemWifiEnabled", "wifi/enable", "false", enabledChoices(), "Enable/disable wireless feature (needs USB adapter)"));
        configHardware_interfaces_wifi.append({
            "_itemName": "IP-Address",
            "_action": "readonly",
            "_cID": "cfgItemWifiIp",
            "_dataSource": "config",
            "_itemID": "wifi/ip",
            "_inputType": "text",
            "_description": "The WiFi IP adress ist factory fixed."
        });
        configHardware_interfaces_wifi.append(configText("SSID", "cfgItemWifiSSID", "wifi/ssid", "text", "Korvat-LUMA", "Enter the desired SSID (wifi network name)"));
        configHardware_interfaces_wifi.append(configSelect("WiFi Channel", "cfgItemWifiChannel", "wifi/channel", "1", wifiChannels, "Select a WiFi channel"));
        configHardware_interfaces_wifi.append(configText("WiFi password", "cfgItemWifiPassword", "wifi/password", "text", "marigold", "Wireless password"));
        configHardware_interfaces_usb.append(commandEntry("Save USB drivers", "saveUsbDrivers", "Save drivers on a connected USB memory"));
        configHardware_interfaces_usb.append(commandEntry("Unmount USB device", "unmountUsbDevice", "Unmount USB device before unplug"));
        configReset.append(commandEntry("Clear all events and errors", "ClearAll", "Clear all events and errors"));
        configReset.append(commandEntry("Set values reset", "SetValuesReset", "Reset all set values (V=0, I=max)"));
        const factoryReset = commandEntry("Factory reset", "FactoryReset", "Reset all settings to default. CHANNELS MUST BE OFF!");
        factoryReset._readonlyConditionCommand = "isAnyChannelTurnedOn";
        configReset.append(factoryReset);
        configReset.append({
            "_itemName": "Save configuration",
            "_action": "edit",
            "_cID": "cfgItemSaveConfig",
            "_itemID": "configName",
            "_inputType": "text",
            "_default": "LUMAconfig.xml",
            "_valueIfEmpty": "LUMAconfig.xml",
            "_command": "saveConfiguration",
            "_description": "Enter a name and save configuration on USB memory"
        });
        configReset.append({
            "_itemName": "Restore configuration",
            "_action": "edit",
            "_cID": "cfgItemRestoreConfig",
            "_dataSource": "configFiles",
            "_itemID": "usb/configFiles",
            "_inputType": "select",
            "_selectOptionsDynamic": "configFiles",
            "_command": "restoreConfiguration",
            "_description": "Select and restore configuration from USB memory"
        });
        configInfo.append(deviceReadonly("Device temperature", "Status.temperature", "0.0", "numeric", "Temperature of device or module"));
        configInfo.append(configReadonly("Device model number", "cfgItemDeviceModel", "hardwareDetect/device@id=0-0/@model", "Device model number"));
        configInfo.append(configReadonly("Device serial number", "cfgItemDeviceSerial", "hardwareDetect/device@id=0-0/@serial", "Device serial number"));
        configInfo.append(configReadonly("Firmware name", "cfgItemFirmwareName", "hardwareDetect/device@id=0-0/@firmwareName", "Currently installed HV firmware"));
        configInfo.append(configReadonly("Firmware release", "cfgItemFirmwareRelease", "hardwareDetect/device@id=0-0/@firmwareRelease", "Release date of HV firmware"));
        configInfo.append(deviceReadonly("LUMA version", "Status.lumaVersion", "", undefined, "installed LUMA version"));
        configInfo.append(deviceReadonly("Connected clients", "Status.connectedClients", "", undefined, "number of connected clients of LUMA"));
        configInfo.append(deviceReadonly("CAN bus state", "Status.canState", "", undefined, "CAN bus state"));
        configInfo.append(deviceReadonly("CAN bus information", "Status.canText", "", undefined, "CAN bus text information"));
        const webConfig = "Full configuration is available using webbrowser based LUMAconfig.";
        configSoftware.append(navigation("HTTP interface", "configSoftware_http", webConfig));
        configSoftware.append(navigation("HAL interface", "configSoftware_hal", webConfig));
        configSoftware.append(navigation("EPICS IOC interface", "configSoftware_epics", webConfig));
        configSoftware.append(navigation("SNMP interface", "configSoftware_snmp", webConfig));
        configSoftware_http.append(configSelect("HTTP interface", "cfgItemHttp", "LUMAservice/http/enable", "true", enabledChoices(), "Enable/Disable HTTP interface"));
        configSoftware_epics.append(configSelect("EPICS interface", "cfgItemEpics", "epics/enable", "true", enabledChoices(), "Enable/Disable EPICS interface"));
        configSoftware_snmp.append(configSelect("SNMP interface", "cfgItemSNMP", "snmp/enable", "true", enabledChoices(), "Enable/Disable SNMP interface"));
        configSoftware_hal.append(configSelect("HALservice  interface", "cfgItemHal", "halService/enable", "true", enabledChoices()));
        configRemote.append(remoteText("Remote host", "remoteCfgItemIp", "ip", remoteHost, "Enter fixed Ethernet IP adress like 192.168.0.1 or " + remoteHost));
        configRemote.append(remoteText("Remote port", "remoteCfgItemPort", "port", "8080", "Enter websocket port, defaults to 8080"));
        configRemote.append(remoteText("User", "remoteCfgItemUser", "user", "kiwi", "Enter remote user name, default: admin"));
        configRemote.append(remoteText("Password", "remoteCfgItemPassword", "password", "kiwi", "Enter remote password, default: marigold"));
        const encryption = remoteText("Encryption", "remoteCfgItemTls", "tls", "false", "TLS needs a supply that serves wss://");
        encryption._inputType = "select";
        encryption._selectOptions = choices(["false", "true"], ["none (ws://)", "TLS (wss://)"]);
        configRemote.append(encryption);
        configRemote.append(remoteText("CA certificate", "remoteCfgItemCaCertificate", "caCertificate", "", "PEM file of a CA to trust besides the system's"));
        channelSetup_voltageMenu.append({
            "_itemName": "Voltage Set",
            "_action": "edit",
            "_dataSource": "LUMA",
            "_itemID": "Control.voltageSet",
            "_inputType": "numeric",
            "_digits": 3,
            "_addLeadingZeros": true,
            "_handleAbsolute": true,
            "_min": 0,
            "_maxFromLuma": "Status.voltageLimit"
        });
        channelSetup_voltageMenu.append(deviceReadonly("Voltage Measured", "Status.voltageMeasure", undefined, "numeric"));
        channelSetup_voltageMenu.append(deviceReadonly("Voltage Mode", "Status.voltageMode", undefined, "numeric"));
        channelSetup_voltageMenu.append(deviceReadonly("Voltage Limit", "Status.voltageLimit", undefined, "numeric", "Limited by nominal voltage, by selected Output Mode and hardware limit."));
        channelSetup_currentMenu.append({
            "_itemName": "Current Set",
            "_action": "edit",
            "_dataSource": "LUMA",
            "_itemID": "Control.currentSet",
            "_inputType": "numeric",
            "_digits": 4,
            "_addLeadingZeros": false,
            "_min": 0,
            "_maxFromLuma": "Status.currentLimit"
        });
        channelSetup_currentMenu.append(deviceReadonly("Current measured", "Status.currentMeasure", undefined, "numeric"));
        channelSetup_currentMenu.append(deviceReadonly("Current mode", "Status.currentMode", undefined, "numeric"));
        channelSetup_currentMenu.append(deviceReadonly("Current Limit", "Status.currentLimit", undefined, "numeric", "Limited by nominal current, by selected Output Mode and hardware limit."));
        const tripModes = choices(["4", "2", "1", "0"], ["no action/no event", "shutdown ch. no ramp", "turn off ch. with ramp", "no action"]);
        channelSetup_currentMenu.append(deviceSelect("Trip Mode", "Setup.delayedTripAction", undefined, "0", tripModes, "Set trip mode for this channel"));
        channelSetup_currentMenu.append({
            "_itemName": "Delayed Trip Time",
            "_action": "edit",
            "_dataSource": "LUMA",
            "_itemID": "Setup.delayedTripTime",
            "_inputType": "numeric",
            "_default": "1",
            "_digits": 0,
            "_min": 1,
            "_max": 4095,
            "_description": "Set trip time for this channel"
        });
    }

    function addDynamicEntries() {
        for (let i = 0; i < numberOfChannels; ++i) {
            configHardware_channelList.append({
                "_itemName": "CHANNEL " + i,
                "_action": "menu",
                "_subMenu": "configHardware_channelSetup",
                "_description": "edit channel " + i,
                "_chId": "0.0." + i
            });
        }
        if (appMode !== "remote")
            return ;

        configMain.append({
            "_itemName": "REMOTE",
            "_action": "menu",
            "_subMenu": "configRemote",
            "_description": "Remote control app - Host IP settings"
        });
    }

    Component.onCompleted: {
        addEntries();
        addDynamicEntries();
    }

    menuComponent: Component {
        ListModel {
            property string parentMenu
            property string title
            property string path

            // Entries differ in their roles; only dynamic roles leave the
            // undeclared ones undefined.
            dynamicRoles: true
        }

    }

}
