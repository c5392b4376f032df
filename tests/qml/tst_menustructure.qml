import QtQuick 2.12
import QtTest 1.12
import "fixtures/views.js" as Views
import "qrc:/models"

// The settings menus as data: ids, headings, the links between menus, the
// entries added at completion, and the roles of the distinctive entries.
TestCase {
    id: testCase

    readonly property var roles: ["_itemName", "_action", "_subMenu", "_chId", "_cID", "_dataSource", "_itemID", "_dataPath", "_itemIDstatus", "_inputType", "_default", "_valueIfEmpty", "_unit", "_description", "_selectOptions", "_selectOptionsDynamic", "_digits", "_addLeadingZeros", "_handleAbsolute", "_min", "_max", "_minFromLuma", "_maxFromLuma", "_readonlyConditionCommand", "_command"]

    function initTestCase() {
        Views.waitForStart(testCase, main);
    }

    function createStructure(numberOfChannels, appMode) {
        return createTemporaryObject(structureComponent, testCase, {
            "numberOfChannels": numberOfChannels,
            "appMode": appMode
        });
    }

    function labels(menu) {
        const result = [];
        for (let i = 0; i < menu.count; ++i) result.push(menu.get(i)._itemName)
        return result;
    }

    function entry(menu, label) {
        for (let i = 0; i < menu.count; ++i) {
            if (menu.get(i)._itemName === label)
                return menu.get(i);

        }
        fail("no entry " + label);
    }

    // The declared roles of an entry as a plain map, choices as a list.
    function declared(item) {
        const result = {
        };
        for (const role of roles) {
            const value = item[role];
            if (value === undefined)
                continue;

            if (role === "_selectOptions") {
                result[role] = [];
                for (let i = 0; i < value.count; ++i) result[role].push({
                    "value": value.get(i).value,
                    "label": value.get(i).label
                })
            } else {
                result[role] = value;
            }
        }
        return result;
    }

    function choices(values, labels) {
        return values.map(function(value, i) {
            return {
                "value": value,
                "label": labels ? labels[i] : value
            };
        });
    }

    function test_menus_data() {
        return [{
            "tag": "configMain",
            "parentMenu": "",
            "title": "Settings",
            "path": "Menu",
            "labels": ["HARDWARE-SETUP", "SOFTWARE-SETUP", "CLEAR / RESET / BACKUP / RESTORE", "DEVICE INFO"]
        }, {
            "tag": "configHardware",
            "parentMenu": "configMain",
            "title": "Hardware configuration",
            "path": "Settings > Hardware",
            "labels": ["DEVICE-SETUP", "CHANNEL-SETUP", "INTERFACES"]
        }, {
            "tag": "configHardware_deviceSetup",
            "parentMenu": "configHardware",
            "title": "Device configuration",
            "path": "Settings > Hardware > Device Setup",
            "labels": ["MEASUREMENT", "CONTROL", "HARDWARE LIMITS", "DISPLAY", "DATE & TIME"]
        }, {
            "tag": "configHardware_deviceSetup_measurement",
            "parentMenu": "configHardware_deviceSetup",
            "title": "Device measurement setup ",
            "path": "Settings > Hardware > Device > Measurement",
            "labels": ["ADC-Samplerate", "Digital Filter Averages"]
        }, {
            "tag": "configHardware_deviceSetup_control",
            "parentMenu": "configHardware_deviceSetup",
            "title": "Device control setup ",
            "path": "Settings > Hardware > Device > Control",
            "labels": ["Global KILL-ENABLE", "Fine Adjustment"]
        }, {
            "tag": "configHardware_deviceSetup_hardwareLimits",
            "parentMenu": "configHardware_deviceSetup",
            "title": "Device hardware limits",
            "path": "Settings > Hardware > Device > Limits",
            "labels": ["Hardware Voltage Limit", "Hardware Current Limit"]
        }, {
            "tag": "configHardware_deviceSetup_display",
            "parentMenu": "configHardware_deviceSetup",
            "title": "Device display setup",
            "path": "Settings > Hardware > Device > Display",
            "labels": ["Display Brightness", "Display Standby time", "Voltage resolution", "Current unit", "Current resolution", "Low Current unit", "Low Current resolution"]
        }, {
            "tag": "configHardware_deviceSetup_datetime",
            "parentMenu": "configHardware_deviceSetup",
            "title": "Device date and time setup",
            "path": "Settings > Hardware > Device > Date & Time",
            "labels": ["System date", "System time"]
        }, {
            "tag": "configHardware_channelList",
            "parentMenu": "configHardware",
            "title": "Channels",
            "path": "Channels",
            "labels": ["ALL CHANNELS"]
        }, {
            "tag": "configHardware_channelSetup",
            "parentMenu": "configHardware_channelList",
            "title": "Channel setup | %(chLabel)",
            "path": "Channel setup | %(cID)",
            "labels": ["Polarity", "Output-Mode", "Voltage Ramp Up", "Voltage Ramp Down", "Current Ramp Up", "Current Ramp Down"]
        }, {
            "tag": "configHardware_interfaces",
            "parentMenu": "configHardware",
            "title": "Interface configuration",
            "path": "Settings > Hardware > Interfaces",
            "labels": ["Ethernet", "Wireless", "USB"]
        }, {
            "tag": "configHardware_interfaces_ethernet",
            "parentMenu": "configHardware_interfaces",
            "title": "Ethernet configuration",
            "path": "Settings > Hardware > Interfaces > Ethernet",
            "labels": ["DHCP", "IP-Address", "IP-Mask", "DNS", "IP-Gateway", "NTP Time Server"]
        }, {
            "tag": "configHardware_interfaces_wifi",
            "parentMenu": "configHardware_interfaces",
            "title": "Wireless configuration",
            "path": "Settings > Hardware > Interfaces > Wireless",
            "labels": ["Enable WiFi", "IP-Address", "SSID", "WiFi Channel", "WiFi password"]
        }, {
            "tag": "configHardware_interfaces_usb",
            "parentMenu": "configHardware_interfaces",
            "title": "USB configuration",
            "path": "Settings > Hardware > Interfaces > USB",
            "labels": ["Save USB drivers", "Unmount USB device"]
        }, {
            "tag": "configReset",
            "parentMenu": "configMain",
            "title": "Reset hard- and software",
            "path": "Settings > Reset",
            "labels": ["Clear all events and errors", "Set values reset", "Factory reset", "Save configuration", "Restore configuration"]
        }, {
            "tag": "configInfo",
            "parentMenu": "configMain",
            "title": "System Status and Information",
            "path": "Settings > Info",
            "labels": ["Device temperature", "Device model number", "Device serial number", "Firmware name", "Firmware release", "LUMA version", "Connected clients", "CAN bus state", "CAN bus information"]
        }, {
            "tag": "configSoftware",
            "parentMenu": "configMain",
            "title": "Software service configuration",
            "path": "Settings > Software",
            "labels": ["HTTP interface", "HAL interface", "EPICS IOC interface", "SNMP interface"]
        }, {
            "tag": "configSoftware_http",
            "parentMenu": "configSoftware",
            "title": "HTTP interface configuration",
            "path": "Settings > Software > HTTP",
            "labels": ["HTTP interface"]
        }, {
            "tag": "configSoftware_epics",
            "parentMenu": "configSoftware",
            "title": "EPICS IOC configuration",
            "path": "Settings > Software > EPICS",
            "labels": ["EPICS interface"]
        }, {
            "tag": "configSoftware_snmp",
            "parentMenu": "configSoftware",
            "title": "SNMP configuration",
            "path": "Settings > Software > SNMP",
            "labels": ["SNMP interface"]
        }, {
            "tag": "configSoftware_hal",
            "parentMenu": "configSoftware",
            "title": "HALservice configuration",
            "path": "Settings > Software > HALservice",
            "labels": ["HALservice  interface"]
        }, {
            "tag": "configRemote",
            "parentMenu": "configMain",
            "title": "Remote Setup Menu",
            "path": "Menu / Remote connection",
            "labels": ["Remote host", "Remote port", "User", "Password", "Encryption", "CA certificate"]
        }, {
            "tag": "channelSetup_voltageMenu",
            "parentMenu": "",
            "title": "Voltage settings | %(chLabel)",
            "path": "Channel details | %(cID)",
            "labels": ["Voltage Set", "Voltage Measured", "Voltage Mode", "Voltage Limit"]
        }, {
            "tag": "channelSetup_currentMenu",
            "parentMenu": "",
            "title": "Current settings | %(chLabel)",
            "path": "Channel details | %(cID)",
            "labels": ["Current Set", "Current measured", "Current mode", "Current Limit", "Trip Mode", "Delayed Trip Time"]
        }];
    }

    function test_menus(data) {
        const structure = createStructure(0, "Zandor");
        const menu = structure.getMenu(data.tag);
        verify(menu !== undefined);
        verify(menu === structure[data.tag]);
        compare(menu.parentMenu, data.parentMenu);
        compare(menu.title, data.title);
        compare(menu.path, data.path);
        compare(labels(menu), data.labels);
    }

    // Every link names a menu, with all entries of completion present.
    function test_linksResolve() {
        const structure = createStructure(4, "remote");
        const ids = test_menus_data().map(function(row) {
            return row.tag;
        });
        compare(structure.menuIds.slice().sort(), ids.slice().sort());
        let links = 0;
        for (const id of ids) {
            const menu = structure.getMenu(id);
            if (menu.parentMenu !== "") {
                verify(ids.indexOf(menu.parentMenu) >= 0, id + " has parent " + menu.parentMenu);
                ++links;
            }
            for (let i = 0; i < menu.count; ++i) {
                const item = menu.get(i);
                if (item._action === "menu") {
                    verify(ids.indexOf(item._subMenu) >= 0, item._itemName + " opens " + item._subMenu);
                    ++links;
                } else {
                    compare(item._subMenu, undefined, item._itemName);
                }
            }
        }
        // 21 parents, 19 fixed navigation entries, ALL CHANNELS, 4 channels, REMOTE.
        compare(links, 21 + 19 + 1 + 4 + 1);
    }

    function test_channelEntries_data() {
        return [{
            "tag": "not yet known",
            "channels": -1
        }, {
            "tag": "none",
            "channels": 0
        }, {
            "tag": "two",
            "channels": 2
        }, {
            "tag": "four",
            "channels": 4
        }];
    }

    function test_channelEntries(data) {
        const menu = createStructure(data.channels, "Zandor").configHardware_channelList;
        const expected = [{
            "_itemName": "ALL CHANNELS",
            "_action": "menu",
            "_subMenu": "configHardware_channelSetup",
            "_chId": "0.0.*"
        }];
        for (let i = 0; i < data.channels; ++i) expected.push({
            "_itemName": "CHANNEL " + i,
            "_action": "menu",
            "_subMenu": "configHardware_channelSetup",
            "_description": "edit channel " + i,
            "_chId": "0.0." + i
        })
        const actual = [];
        for (let i = 0; i < menu.count; ++i) actual.push(declared(menu.get(i)))
        compare(actual, expected);
    }

    function test_remoteEntry_data() {
        return [{
            "tag": "remote",
            "appMode": "remote",
            "labels": ["HARDWARE-SETUP", "SOFTWARE-SETUP", "CLEAR / RESET / BACKUP / RESTORE", "DEVICE INFO", "REMOTE"]
        }, {
            "tag": "panel",
            "appMode": "Zandor",
            "labels": ["HARDWARE-SETUP", "SOFTWARE-SETUP", "CLEAR / RESET / BACKUP / RESTORE", "DEVICE INFO"]
        }];
    }

    function test_remoteEntry(data) {
        const menu = createStructure(2, data.appMode).configMain;
        compare(labels(menu), data.labels);
        if (data.appMode === "remote")
            compare(declared(menu.get(4)), {
            "_itemName": "REMOTE",
            "_action": "menu",
            "_subMenu": "configRemote",
            "_description": "Remote control app - Host IP settings"
        });

    }

    function test_defaultsFromController() {
        const structure = createTemporaryObject(structureComponent, testCase);
        compare(structure.numberOfChannels, main.numberOfChannels);
        compare(structure.appMode, main.appMode);
        compare(structure.configHardware_channelList.count, 1 + Math.max(main.numberOfChannels, 0));
        compare(structure.configMain.count, main.appMode === "remote" ? 5 : 4);
    }

    function test_unknownMenu_data() {
        return [{
            "tag": "misspelt",
            "id": "configmain"
        }, {
            "tag": "another member",
            "id": "numberOfChannels"
        }, {
            "tag": "empty",
            "id": ""
        }, {
            "tag": "absent",
            "id": undefined
        }];
    }

    function test_unknownMenu(data) {
        const structure = createStructure(0, "Zandor");
        ignoreWarning("MenuStructure: no menu named " + data.id);
        compare(structure.getMenu(data.id), undefined);
    }

    // Each entry with every declared role; all others must be undefined.
    function test_entries_data() {
        const enabled = choices(["true", "false"], ["enabled", "disabled"]);
        return [{
            "tag": "standby time",
            "menu": "configHardware_deviceSetup_display",
            "label": "Display Standby time",
            "roles": {
                "_itemName": "Display Standby time",
                "_action": "edit",
                "_cID": "cfgItemStandby",
                "_dataSource": "config",
                "_itemID": "hardwareConfig/device@id=0-0/@displayStandby",
                "_inputType": "select",
                "_default": "10",
                "_selectOptions": choices(["120", "60", "30", "10", "5", "2", "0"], ["2 hours", "1 hour", "30 minutes", "10 minutes", "5 minutes", "2 minutes", "standby off"]),
                "_description": "The display will standby after..."
            }
        }, {
            "tag": "brightness",
            "menu": "configHardware_deviceSetup_display",
            "label": "Display Brightness",
            "roles": {
                "_itemName": "Display Brightness",
                "_action": "edit",
                "_cID": "cfgItemBrightness",
                "_dataSource": "config",
                "_itemID": "hardwareConfig/device@id=0-0/@displayBrightness",
                "_inputType": "select",
                "_default": "5",
                "_selectOptions": choices(["9", "8", "7", "6", "5", "4", "3", "2", "1", "0"], ["100%", "90%", "80%", "70%", "60%", "50%", "40%", "30%", "20%", "10%"]),
                "_description": "Change the display brightness"
            }
        }, {
            "tag": "low current unit",
            "menu": "configHardware_deviceSetup_display",
            "label": "Low Current unit",
            "roles": {
                "_itemName": "Low Current unit",
                "_action": "edit",
                "_cID": "cfgItemCunitLCR",
                "_dataSource": "config",
                "_itemID": "hardwareConfig/device@id=0-0/@cUnitLCR",
                "_inputType": "select",
                "_default": "µA",
                "_selectOptions": choices(["mA", "µA"]),
                "_description": "Which unit is prefered for displayed values in LC range"
            }
        }, {
            "tag": "ADC rate, compared with the hardware",
            "menu": "configHardware_deviceSetup_measurement",
            "label": "ADC-Samplerate",
            "roles": {
                "_itemName": "ADC-Samplerate",
                "_action": "edit",
                "_cID": "cfgItemAdc",
                "_dataSource": "config",
                "_itemID": "hardwareConfig/device@id=0-0/@adcSampleRate",
                "_itemIDstatus": "hardwareDetect/device@id=0-0/@adcSampleRate",
                "_inputType": "select",
                "_default": "50",
                "_selectOptions": choices(["500", "100", "60", "50", "25", "10", "5"]),
                "_description": "How many samples are measured per second"
            }
        }, {
            "tag": "kill enable at the module",
            "menu": "configHardware_deviceSetup_control",
            "label": "Global KILL-ENABLE",
            "roles": {
                "_itemName": "Global KILL-ENABLE",
                "_action": "edit",
                "_dataSource": "LUMA",
                "_itemID": "Control.kill",
                "_dataPath": "0.0",
                "_inputType": "select",
                "_default": "0",
                "_selectOptions": choices(["1", "0"], ["enabled", "disabled"]),
                "_description": "Enables/Disables KILL-ENABLE feature for all channels"
            }
        }, {
            "tag": "system time at the empty path",
            "menu": "configHardware_deviceSetup_datetime",
            "label": "System time",
            "roles": {
                "_itemName": "System time",
                "_action": "edit",
                "_dataSource": "LUMA",
                "_itemID": "System.time",
                "_dataPath": "",
                "_inputType": "time",
                "_default": "13:00:00",
                "_description": "Enter current time like in 24h format HH:MM:SS, e.g. 14:32:00"
            }
        }, {
            "tag": "polarity",
            "menu": "configHardware_channelSetup",
            "label": "Polarity",
            "roles": {
                "_itemName": "Polarity",
                "_action": "edit",
                "_cID": "cfgItemChPolarity",
                "_dataSource": "config",
                "_itemID": "hardwareConfig/device@id=0-0/channel@id=%(chIdx)/@polarity",
                "_itemIDstatus": "hardwareDetect/device@id=0-0/channel@id=%(chIdx)/@polarity",
                "_inputType": "select",
                "_default": "p",
                "_selectOptions": choices(["p", "n"], ["positive", "negative"]),
                "_readonlyConditionCommand": "isChannelTurnedOn",
                "_description": "CHANNEL MUST BE TURNED OFF BEFORE CHANGE"
            }
        }, {
            "tag": "output mode with its fallback and an empty default",
            "menu": "configHardware_channelSetup",
            "label": "Output-Mode",
            "roles": {
                "_itemName": "Output-Mode",
                "_action": "edit",
                "_cID": "cfgItemChOutMode",
                "_dataSource": "config",
                "_itemID": "hardwareConfig/device@id=0-0/channel@id=%(chIdx)/@voltageMode",
                "_itemIDstatus": "hardwareDetect/device@id=0-0/channel@id=%(chIdx)/@voltageMode",
                "_inputType": "select",
                "_default": "",
                "_selectOptionsDynamic": "channelModes",
                "_selectOptions": choices(["-"], ["not yet received"]),
                "_readonlyConditionCommand": "isChannelTurnedOn",
                "_description": "CHANNEL MUST BE TURNED OFF BEFORE CHANGE"
            }
        }, {
            "tag": "voltage ramp",
            "menu": "configHardware_channelSetup",
            "label": "Voltage Ramp Down",
            "roles": {
                "_itemName": "Voltage Ramp Down",
                "_action": "edit",
                "_dataSource": "LUMA",
                "_itemID": "Control.voltageRampspeedDown",
                "_inputType": "numeric",
                "_default": "1",
                "_digits": 2,
                "_addLeadingZeros": true,
                "_minFromLuma": "Status.voltageRampspeedMin",
                "_maxFromLuma": "Status.voltageRampspeedMax",
                "_valueIfEmpty": "10",
                "_unit": "V/s",
                "_description": "Voltage decrease speed for this/all channel(s)"
            }
        }, {
            "tag": "current ramp",
            "menu": "configHardware_channelSetup",
            "label": "Current Ramp Up",
            "roles": {
                "_itemName": "Current Ramp Up",
                "_action": "edit",
                "_dataSource": "LUMA",
                "_itemID": "Control.currentRampspeedUp",
                "_inputType": "numeric",
                "_default": "1",
                "_digits": 3,
                "_addLeadingZeros": true,
                "_minFromLuma": "Status.currentRampspeedMin",
                "_maxFromLuma": "Status.currentRampspeedMax",
                "_valueIfEmpty": "1",
                "_unit": "mA/s",
                "_description": "Current increase speed for this/all channel(s)"
            }
        }, {
            "tag": "NTP server names its host",
            "menu": "configHardware_interfaces_ethernet",
            "label": "NTP Time Server",
            "roles": {
                "_itemName": "NTP Time Server",
                "_action": "edit",
                "_cID": "cfgItemEthNtp",
                "_dataSource": "config",
                "_itemID": "ethernet/ntp",
                "_inputType": "text",
                "_default": "pool.ntp.org",
                "_description": "Enter Ethernet NTP Time Servers IP adress or host, example pool.ntp.org"
            }
        }, {
            "tag": "ethernet address",
            "menu": "configHardware_interfaces_ethernet",
            "label": "IP-Address",
            "roles": {
                "_itemName": "IP-Address",
                "_action": "edit",
                "_cID": "cfgItemEthIp",
                "_dataSource": "config",
                "_itemID": "ethernet/ip",
                "_inputType": "ip",
                "_default": "192.168.0.1",
                "_description": "Enter fixed Ethernet IP adress like 192.168.1.1 - applies if DHCP disabled"
            }
        }, {
            "tag": "wifi address is read-only",
            "menu": "configHardware_interfaces_wifi",
            "label": "IP-Address",
            "roles": {
                "_itemName": "IP-Address",
                "_action": "readonly",
                "_cID": "cfgItemWifiIp",
                "_dataSource": "config",
                "_itemID": "wifi/ip",
                "_inputType": "text",
                "_description": "The WiFi IP adress ist factory fixed."
            }
        }, {
            "tag": "wifi channels downwards",
            "menu": "configHardware_interfaces_wifi",
            "label": "WiFi Channel",
            "roles": {
                "_itemName": "WiFi Channel",
                "_action": "edit",
                "_cID": "cfgItemWifiChannel",
                "_dataSource": "config",
                "_itemID": "wifi/channel",
                "_inputType": "select",
                "_default": "1",
                "_selectOptions": choices(["11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1"], ["Channel 11", "Channel 10", "Channel 9", "Channel 8", "Channel 7", "Channel 6", "Channel 5", "Channel 4", "Channel 3", "Channel 2", "Channel 1"]),
                "_description": "Select a WiFi channel"
            }
        }, {
            "tag": "unmount",
            "menu": "configHardware_interfaces_usb",
            "label": "Unmount USB device",
            "roles": {
                "_itemName": "Unmount USB device",
                "_action": "command",
                "_command": "unmountUsbDevice",
                "_description": "Unmount USB device before unplug"
            }
        }, {
            "tag": "factory reset",
            "menu": "configReset",
            "label": "Factory reset",
            "roles": {
                "_itemName": "Factory reset",
                "_action": "command",
                "_command": "FactoryReset",
                "_readonlyConditionCommand": "isAnyChannelTurnedOn",
                "_description": "Reset all settings to default. CHANNELS MUST BE OFF!"
            }
        }, {
            "tag": "save configuration",
            "menu": "configReset",
            "label": "Save configuration",
            "roles": {
                "_itemName": "Save configuration",
                "_action": "edit",
                "_cID": "cfgItemSaveConfig",
                "_itemID": "configName",
                "_inputType": "text",
                "_default": "LUMAconfig.xml",
                "_valueIfEmpty": "LUMAconfig.xml",
                "_command": "saveConfiguration",
                "_description": "Enter a name and save configuration on USB memory"
            }
        }, {
            "tag": "restore configuration",
            "menu": "configReset",
            "label": "Restore configuration",
            "roles": {
                "_itemName": "Restore configuration",
                "_action": "edit",
                "_cID": "cfgItemRestoreConfig",
                "_dataSource": "configFiles",
                "_itemID": "usb/configFiles",
                "_inputType": "select",
                "_selectOptionsDynamic": "configFiles",
                "_command": "restoreConfiguration",
                "_description": "Select and restore configuration from USB memory"
            }
        }, {
            "tag": "temperature",
            "menu": "configInfo",
            "label": "Device temperature",
            "roles": {
                "_itemName": "Device temperature",
                "_action": "readonly",
                "_dataSource": "LUMA",
                "_itemID": "Status.temperature",
                "_dataPath": "0.0",
                "_inputType": "numeric",
                "_description": "Temperature of device or module"
            }
        }, {
            "tag": "CAN text at the system level",
            "menu": "configInfo",
            "label": "CAN bus information",
            "roles": {
                "_itemName": "CAN bus information",
                "_action": "readonly",
                "_dataSource": "LUMA",
                "_itemID": "Status.canText",
                "_dataPath": "",
                "_description": "CAN bus text information"
            }
        }, {
            "tag": "firmware release",
            "menu": "configInfo",
            "label": "Firmware release",
            "roles": {
                "_itemName": "Firmware release",
                "_action": "readonly",
                "_cID": "cfgItemFirmwareRelease",
                "_dataSource": "config",
                "_itemID": "hardwareDetect/device@id=0-0/@firmwareRelease",
                "_description": "Release date of HV firmware"
            }
        }, {
            "tag": "software service navigation",
            "menu": "configSoftware",
            "label": "EPICS IOC interface",
            "roles": {
                "_itemName": "EPICS IOC interface",
                "_action": "menu",
                "_subMenu": "configSoftware_epics",
                "_description": "Full configuration is available using webbrowser based LUMAconfig."
            }
        }, {
            "tag": "HAL label with two blanks and no help",
            "menu": "configSoftware_hal",
            "label": "HALservice  interface",
            "roles": {
                "_itemName": "HALservice  interface",
                "_action": "edit",
                "_cID": "cfgItemHal",
                "_dataSource": "config",
                "_itemID": "halService/enable",
                "_inputType": "select",
                "_default": "true",
                "_selectOptions": enabled
            }
        }, {
            "tag": "HTTP service",
            "menu": "configSoftware_http",
            "label": "HTTP interface",
            "roles": {
                "_itemName": "HTTP interface",
                "_action": "edit",
                "_cID": "cfgItemHttp",
                "_dataSource": "config",
                "_itemID": "LUMAservice/http/enable",
                "_inputType": "select",
                "_default": "true",
                "_selectOptions": enabled,
                "_description": "Enable/Disable HTTP interface"
            }
        }, {
            "tag": "remote host names its default",
            "menu": "configRemote",
            "label": "Remote host",
            "roles": {
                "_itemName": "Remote host",
                "_action": "edit",
                "_cID": "remoteCfgItemIp",
                "_dataSource": "remoteConfig",
                "_itemID": "ip",
                "_inputType": "text",
                "_default": "localhost",
                "_description": "Enter fixed Ethernet IP adress like 192.168.0.1 or localhost"
            }
        }, {
            "tag": "remote password",
            "menu": "configRemote",
            "label": "Password",
            "roles": {
                "_itemName": "Password",
                "_action": "edit",
                "_cID": "remoteCfgItemPassword",
                "_dataSource": "remoteConfig",
                "_itemID": "password",
                "_inputType": "text",
                "_default": "kiwi",
                "_description": "Enter remote password, default: marigold"
            }
        }, {
            "tag": "remote encryption, plain by default",
            "menu": "configRemote",
            "label": "Encryption",
            "roles": {
                "_itemName": "Encryption",
                "_action": "edit",
                "_cID": "remoteCfgItemTls",
                "_dataSource": "remoteConfig",
                "_itemID": "tls",
                "_inputType": "select",
                "_default": "false",
                "_selectOptions": [{
                    "value": "false",
                    "label": "none (ws://)"
                }, {
                    "value": "true",
                    "label": "TLS (wss://)"
                }],
                "_description": "TLS needs a supply that serves wss://"
            }
        }, {
            "tag": "remote CA certificate, no default",
            "menu": "configRemote",
            "label": "CA certificate",
            "roles": {
                "_itemName": "CA certificate",
                "_action": "edit",
                "_cID": "remoteCfgItemCaCertificate",
                "_dataSource": "remoteConfig",
                "_itemID": "caCertificate",
                "_inputType": "text",
                "_default": "",
                "_description": "PEM file of a CA to trust besides the system's"
            }
        }, {
            "tag": "voltage set keeps its sign, no default",
            "menu": "channelSetup_voltageMenu",
            "label": "Voltage Set",
            "roles": {
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
            }
        }, {
            "tag": "voltage limit at the channel",
            "menu": "channelSetup_voltageMenu",
            "label": "Voltage Limit",
            "roles": {
                "_itemName": "Voltage Limit",
                "_action": "readonly",
                "_dataSource": "LUMA",
                "_itemID": "Status.voltageLimit",
                "_inputType": "numeric",
                "_description": "Limited by nominal voltage, by selected Output Mode and hardware limit."
            }
        }, {
            "tag": "current set without leading zeros",
            "menu": "channelSetup_currentMenu",
            "label": "Current Set",
            "roles": {
                "_itemName": "Current Set",
                "_action": "edit",
                "_dataSource": "LUMA",
                "_itemID": "Control.currentSet",
                "_inputType": "numeric",
                "_digits": 4,
                "_addLeadingZeros": false,
                "_min": 0,
                "_maxFromLuma": "Status.currentLimit"
            }
        }, {
            "tag": "trip mode",
            "menu": "channelSetup_currentMenu",
            "label": "Trip Mode",
            "roles": {
                "_itemName": "Trip Mode",
                "_action": "edit",
                "_dataSource": "LUMA",
                "_itemID": "Setup.delayedTripAction",
                "_inputType": "select",
                "_default": "0",
                "_selectOptions": choices(["4", "2", "1", "0"], ["no action/no event", "shutdown ch. no ramp", "turn off ch. with ramp", "no action"]),
                "_description": "Set trip mode for this channel"
            }
        }, {
            "tag": "delayed trip time",
            "menu": "channelSetup_currentMenu",
            "label": "Delayed Trip Time",
            "roles": {
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
            }
        }];
    }

    function test_entries(data) {
        const structure = createStructure(1, "remote");
        compare(declared(entry(structure.getMenu(data.menu), data.label)), data.roles);
    }

    // Rows are a view's delegates: every role name resolves, undeclared
    // ones to undefined, also for roles only a later entry brings.
    function test_rolesInDelegates() {
        const structure = createStructure(1, "remote");
        const view = createTemporaryObject(viewComponent, testCase, {
            "model": structure.configMain
        });
        compare(view.count, 5);
        const seen = [];
        for (let i = 0; i < view.count; ++i) seen.push(view.itemAt(i).roles)
        const navigation = {
            "_default": undefined,
            "_dataPath": undefined,
            "_min": undefined,
            "_digits": undefined,
            "_addLeadingZeros": undefined,
            "_selectOptions": undefined,
            "_description": undefined
        };
        compare(seen.slice(0, 4), [navigation, navigation, navigation, navigation]);
        navigation._description = "Remote control app - Host IP settings";
        compare(seen[4], navigation);
        compare(view.itemAt(0).label, "HARDWARE-SETUP");
    }

    name: "MenuStructure"

    Component {
        id: structureComponent

        MenuStructure {
        }

    }

    Component {
        id: viewComponent

        Repeater {

            delegate: Item {
                readonly property string label: _itemName
                readonly property var roles: ({
                    "_default": _default,
                    "_dataPath": _dataPath,
                    "_min": _min,
                    "_digits": _digits,
                    "_addLeadingZeros": _addLeadingZeros,
                    "_selectOptions": _selectOptions,
                    "_description": _description
                })
            }

        }

    }

}
