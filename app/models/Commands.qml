import QtQuick 2.12

// What the panel may send: every write the operator makes goes out at the
// moment of the action while the link is logged in, or is refused there
// with an alert that names it; nothing waits for a later link. Toggles
// follow the operator's latest press, and success is only claimed on the
// supply's answer. Time-outs run on timers, which follow a monotonic clock.
QtObject {
    id: commands

    property var link
    property var cache
    // The configuration store the settings are written into.
    property var config
    // The push cycle the current screen needs, from the panel's default
    // on; set again after every login.
    property int cycleTime: main.cycleTime
    readonly property int confirmTimeout: 5000
    readonly property int factoryResetTimeout: 10000
    // keyOf(path, item) -> {path, item, target, timer}: a toggle sent and
    // not yet confirmed by a report received after it.
    property var pendingToggles: Object.create(null)
    // Writes waiting for the supply's answer: {answers (keys), done, timer,
    // type, message}.
    property var confirmations: []
    // The one USB file command waiting for the supply's answer: {what,
    // row, sentAt (the link's count of sent envelopes after it), timer}.
    property var usbWait: null
    // The link's count of sent envelopes after the last file-list request
    // not yet answered, or -1.
    property int fileListAsked: -1
    // The supply's configuration as last received, and whether one came
    // on the current login: settings are written on top of it only.
    property string supplyConfiguration: ""
    property bool configurationRead: false
    // Settings sent and not yet confirmed: {property, value, what, row,
    // answered (a configuration came since the send), timer}.
    property var pendingSettings: []
    readonly property var refusals: ({
        "NOT CONNECTED": "not logged in to the supply",
        "LINK FAILED": "the link did not take it",
        "USB BUSY": "another USB command waits for the supply's answer",
        "CONFIGURATION NOT READ YET": "the supply's configuration of this login has not arrived yet"
    })
    readonly property var itemNames: ({
        "Control.on": "OUTPUT",
        "Control.emergency": "EMERGENCY OFF",
        "Control.clearAll": "CLEAR ALL",
        "Control.setValuesReset": "SET VALUES RESET",
        "Control.factoryReset": "FACTORY RESET",
        "Control.factorySystemReset": "SYSTEM FACTORY RESET"
    })

    function loggedIn() {
        return link.comState === "connected";
    }

    // "voltageSet" -> "VOLTAGE SET".
    function words(name) {
        return String(name).replace(/([a-z0-9])([A-Z])/g, "$1 $2").toUpperCase();
    }

    // What an alert calls a write: "VOLTAGE SET OF CHANNEL 0".
    function describe(path, item) {
        const dot = String(item).indexOf(".");
        const group = dot === -1 ? "" : item.substring(0, dot);
        let name = main.ownValue(itemNames, item);
        if (name === undefined)
            name = words(item.substring(dot + 1)) + (group === "Event" || group === "Error" ? " " + group.toUpperCase() + " CLEAR" : "");

        const fields = String(path).split(".");
        if (path === "")
            return name;

        return name + (fields.length >= 3 ? " OF CHANNEL " + fields[2] : " OF THE DEVICE");
    }

    function refuse(what, reason) {
        console.warn("Commands: " + what + " not sent: " + refusals[reason]);
        main.alert("notSent", reason + ": " + what + " NOT SENT", "warning");
    }

    // Sends one item write now, or refuses it; true when it went out.
    function write(path, item, value, unit) {
        const what = describe(path, item);
        if (!loggedIn()) {
            refuse(what, "NOT CONNECTED");
            // Editors showing the refused value read the supply's again.
            main.stateUpdated(path + "_" + item);
            return false;
        }
        const fields = main.pathFields(path);
        link.appendQueue("setItem", fields[0], fields[1], fields[2], item, value, unit);
        if (!link.sendQueue()) {
            refuse(what, "LINK FAILED");
            main.stateUpdated(path + "_" + item);
            return false;
        }
        return true;
    }

    // The next press of a pending toggle reverses its target: the supply
    // ends as the last press meant, and no press repeats the one before.
    function toggle(path, item) {
        const key = cache.keyOf(path, item);
        const pending = pendingToggles[key];
        let target;
        if (pending !== undefined) {
            target = pending.target === 1 ? 0 : 1;
        } else if (cache.isCurrent(path, item)) {
            target = cache.getItem(path, item)[1] === "1" ? 0 : 1;
        } else if (loggedIn()) {
            // Not known yet: switching blind could switch the wrong way.
            console.warn("Commands: not switching " + path + " " + item + ": its state is not known yet");
            main.alert("notSwitched", "NOT SWITCHED: STATE OF " + describe(path, item) + " NOT KNOWN YET", "warning");
            cache.triggerRequest(path, item);
            return ;
        } else {
            refuse(describe(path, item), "NOT CONNECTED");
            return ;
        }
        if (!write(path, item, target))
            return ;

        if (pending !== undefined)
            main.cancelDelay(pending.timer);

        pendingToggles[key] = {
            "path": path,
            "item": item,
            "target": target,
            "timer": main.delay(function() {
                notSwitched(key);
            }, confirmTimeout)
        };
        main.stateUpdated(path + "_" + item);
    }

    function notSwitched(key) {
        const pending = pendingToggles[key];
        if (pending === undefined)
            return ;

        delete pendingToggles[key];
        const what = describe(pending.path, pending.item) + (pending.target === 1 ? " ON" : " OFF");
        console.warn("Commands: " + what + " not confirmed by the supply within " + confirmTimeout + " ms");
        main.alert("notSwitched", "NOT SWITCHED: " + what + ", NO ANSWER FROM THE SUPPLY", "warning");
        main.stateUpdated(pending.path + "_" + pending.item);
    }

    function isSwitching(path, item) {
        return cache.keyOf(path, item) in pendingToggles;
    }

    function cancelAll() {
        for (const key of Object.keys(pendingToggles)) main.cancelDelay(pendingToggles[key].timer)
        pendingToggles = Object.create(null);
        for (const c of confirmations) main.cancelDelay(c.timer)
        confirmations = [];
        if (usbWait !== null)
            main.cancelDelay(usbWait.timer);

        usbWait = null;
        fileListAsked = -1;
        for (const s of pendingSettings) main.cancelDelay(s.timer)
        pendingSettings = [];
    }

    // Sends the writes [path, item, value]; the success alert waits for the
    // supply's report of each written item (and for done(), when given),
    // received after the send.
    function confirmedWrites(writes, done, timeout, type, message, notConfirmed) {
        for (const w of writes) {
            if (!write(w[0], w[1], w[2]))
                return false;

        }
        const confirmation = {
            "answers": writes.map(function(w) {
                return cache.keyOf(w[0], w[1]);
            }),
            "done": done,
            "type": type,
            "message": message,
            "timer": null
        };
        confirmation.timer = main.delay(function() {
            confirmations = confirmations.filter(function(c) {
                return c !== confirmation;
            });
            console.warn("Commands: " + notConfirmed.toLowerCase() + " within " + timeout + " ms");
            main.alert(type === "factoryReset" ? type : "warning", notConfirmed, "warning");
        }, timeout);
        confirmations = confirmations.concat([confirmation]);
        return true;
    }

    function clearAll(path) {
        const counted = function counted() {
            for (const item of ["Status.eventCounter", "Status.errorCounter"]) {
                if (!cache.isCurrent(path, item) || cache.getItem(path, item)[1] !== "0")
                    return false;

            }
            return true;
        };
        confirmedWrites([[path, "Control.clearAll", 1]], counted, confirmTimeout, "success", "ALL EVENTS AND ERRORS HAVE BEEN CLEARED", "CLEAR ALL NOT CONFIRMED BY THE SUPPLY");
    }

    function setValuesReset(path) {
        confirmedWrites([[path, "Control.setValuesReset", 1]], null, confirmTimeout, "success", "RESET SUCCESSFUL. STANDARD VALUES HAVE BEEN SET", "RESET OF THE SET VALUES NOT CONFIRMED BY THE SUPPLY");
    }

    function factoryReset(path) {
        if (confirmedWrites([[path, "Control.factoryReset", 1], ["", "Control.factorySystemReset", 1]], null, factoryResetTimeout, "factoryReset", "RESET SUCCESSFUL. NOW PLEASE SWITCH OFF/ON OR PUSH CONTROL RESET", "FACTORY RESET NOT CONFIRMED BY THE SUPPLY"))
            main.alert("factoryReset", "RESET IN PROGRESS. PLEASE WAIT...", "error");

    }

    // Every report: the answer to a pending toggle or confirmed write.
    function reported(path, item) {
        const key = cache.keyOf(path, item);
        const pending = pendingToggles[key];
        if (pending !== undefined && cache.getItem(path, item)[1] === String(pending.target)) {
            main.cancelDelay(pending.timer);
            delete pendingToggles[key];
        }
        if (confirmations.length === 0)
            return ;

        for (const c of confirmations.slice()) {
            c.answers = c.answers.filter(function(k) {
                return k !== key;
            });
            if (c.answers.length > 0 || (c.done && !c.done()))
                continue;

            main.cancelDelay(c.timer);
            confirmations = confirmations.filter(function(other) {
                return other !== c;
            });
            main.alert(c.type, c.message, c.type === "factoryReset" ? "warning" : "ok");
        }
    }

    // A row's look after its command: "active" while it waits, "error"
    // when refused, "warning" when the answer is not known.
    function markRow(row, state) {
        if (row !== undefined && row !== "")
            main.setObjectState(row, state);

    }

    // The supply's word on a row's command: the menu shows it on the wheel.
    function rowConfirmed(row) {
        markRow(row, "");
        if (row !== undefined && row !== "")
            main.triggerComponent(row, {
            "answer": "ok"
        });

    }

    // One USB file command at a time goes out now, or is refused: the
    // wire names no command, so a second one's answer could not be told
    // from the first's.
    function usbCommand(what, send, row) {
        if (!loggedIn()) {
            refuse(what, "NOT CONNECTED");
            return false;
        }
        if (usbWait !== null) {
            refuse(what, "USB BUSY");
            return false;
        }
        if (!send()) {
            refuse(what, "LINK FAILED");
            return false;
        }
        const entry = {
            "what": what,
            "row": row,
            "sentAt": link.sentEnvelopes,
            "timer": null
        };
        entry.timer = main.delay(function() {
            console.warn("Commands: " + what.toLowerCase() + " not confirmed by the supply within " + confirmTimeout + " ms");
            endUsbWait("warning", "warning", what + " NOT CONFIRMED BY THE SUPPLY");
        }, confirmTimeout);
        usbWait = entry;
        markRow(row, "active");
        return true;
    }

    function endUsbWait(rowState, alertState, message) {
        const entry = usbWait;
        usbWait = null;
        main.cancelDelay(entry.timer);
        if (rowState === "") {
            rowConfirmed(entry.row);
            return ;
        }
        markRow(entry.row, rowState);
        main.alert(alertState, message, alertState);
    }

    // A read, but its error answer must not be taken for a USB command's.
    function askFileList() {
        if (link.getFileList("lumaConfig", "USB"))
            fileListAsked = link.sentEnvelopes;

    }

    // The supply's events that may answer a USB command: "success" ends
    // its wait; "error" only while nothing else was sent since it and no
    // file list asked for before it is unanswered (the supply answers in
    // order); any other error is shown as it is and the wait runs on.
    function supplyAnswered(type, message) {
        if (type === "fileList") {
            fileListAsked = -1;
        } else if (type === "success") {
            if (usbWait !== null)
                endUsbWait("", "", "");

        } else if (type === "error") {
            if (fileListAsked !== -1 && (usbWait === null ? link.sentEnvelopes === fileListAsked : fileListAsked < usbWait.sentAt))
                fileListAsked = -1;
            else if (usbWait !== null && fileListAsked === -1 && link.sentEnvelopes === usbWait.sentAt)
                endUsbWait("error", "error", usbWait.what + " FAILED: " + message);
        }
    }

    // A screen's cycle time is the panel's state on the supply: kept here,
    // sent when logged in and again with every login.
    function changeCycleTime(ms) {
        cycleTime = Number(ms);
        if (loggedIn())
            link.changeCycleTime(cycleTime);

    }

    // A setting goes out now, on top of the configuration the supply sent
    // on this login, or is refused and the rows show the store again. It
    // is the supply's once a configuration received after the send holds
    // it: only then is the file saved.
    function setConfigValue(propertyName, value, row) {
        const what = "SETTING " + words(String(propertyName).split("@").pop().split("/").pop());
        if (!loggedIn() || !configurationRead) {
            refuse(what, loggedIn() ? "CONFIGURATION NOT READ YET" : "NOT CONNECTED");
            main.configChanged();
            return false;
        }
        if (!config.setProperty(propertyName, value))
            return false;

        if (!link.setConfiguration(config.getConfiguration())) {
            storeSupplyConfiguration(false);
            refuse(what, "LINK FAILED");
            main.configChanged();
            return false;
        }
        // A later write of a setting replaces the wait of an earlier one.
        for (const earlier of pendingSettings) {
            if (earlier.property === propertyName)
                main.cancelDelay(earlier.timer);

        }
        const setting = {
            "property": propertyName,
            "value": config.getProperty(propertyName),
            "what": what,
            "row": row,
            "answered": false,
            "timer": null
        };
        setting.timer = main.delay(function() {
            settingTimedOut(setting);
        }, confirmTimeout);
        pendingSettings = pendingSettings.filter(function(s) {
            return s.property !== propertyName;
        }).concat([setting]);
        markRow(row, "active");
        return true;
    }

    // The store is the supply's configuration with the settings still
    // waiting written on top, so that a later setting does not send an
    // earlier one back; the file gets the supply's alone.
    function storeSupplyConfiguration(save) {
        if (supplyConfiguration !== "")
            config.setConfiguration(supplyConfiguration);

        if (save && !config.saveConfiguration())
            main.alert("error", "THE CONFIGURATION COULD NOT BE SAVED", "error");

        for (const s of pendingSettings) config.setProperty(s.property, s.value)
    }

    // The store holds the configuration the supply just sent.
    function configurationReceived() {
        if (!loggedIn())
            return ;

        supplyConfiguration = config.getConfiguration();
        configurationRead = true;
        let confirmed = false;
        for (const s of pendingSettings.slice()) {
            s.answered = true;
            if (config.getProperty(s.property) !== s.value)
                continue;

            main.cancelDelay(s.timer);
            pendingSettings = pendingSettings.filter(function(other) {
                return other !== s;
            });
            rowConfirmed(s.row);
            confirmed = true;
        }
        storeSupplyConfiguration(confirmed);
    }

    function settingTimedOut(setting) {
        pendingSettings = pendingSettings.filter(function(s) {
            return s !== setting;
        });
        if (setting.answered) {
            console.warn("Commands: " + setting.what.toLowerCase() + " not taken: the supply's configuration holds another value");
            markRow(setting.row, "error");
            main.alert("warning", setting.what + " NOT TAKEN BY THE SUPPLY", "warning");
        } else {
            console.warn("Commands: " + setting.what.toLowerCase() + " not confirmed by the supply within " + confirmTimeout + " ms");
            markRow(setting.row, "warning");
            main.alert("warning", setting.what + " NOT CONFIRMED BY THE SUPPLY", "warning");
        }
        storeSupplyConfiguration(false);
        main.configChanged();
    }

    // The link left the logged-in state: what waits for the supply's word
    // can no longer get it, as no later login answers for this one, and
    // the next setting waits for the next login's configuration.
    function linkLost() {
        configurationRead = false;
        fileListAsked = -1;
        const lost = " NOT CONFIRMED: LINK LOST BEFORE THE SUPPLY ANSWERED";
        if (usbWait !== null) {
            console.warn("Commands: " + usbWait.what.toLowerCase() + ": link lost before the supply answered");
            endUsbWait("warning", "warning", usbWait.what + lost);
        }
        if (pendingSettings.length === 0)
            return ;

        const settings = pendingSettings;
        pendingSettings = [];
        for (const s of settings) {
            main.cancelDelay(s.timer);
            console.warn("Commands: " + s.what.toLowerCase() + ": link lost before the supply answered");
            markRow(s.row, "warning");
            main.alert("warning", s.what + lost, "warning");
        }
        storeSupplyConfiguration(false);
        main.configChanged();
    }

}
