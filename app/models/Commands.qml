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
    // USB commands waiting for the supply's success or error event.
    property var usbCommands: []
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
        console.warn("Commands: " + what + " not sent: " + (reason === "NOT CONNECTED" ? "not logged in to the supply" : "the link did not take it"));
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
        for (const u of usbCommands) main.cancelDelay(u.timer)
        usbCommands = [];
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

    // A USB command goes out now or is refused; its success is the
    // supply's own "success" event, which the alerts show as it comes.
    function usbCommand(what, send) {
        if (!loggedIn()) {
            refuse(what, "NOT CONNECTED");
            return false;
        }
        if (!send()) {
            refuse(what, "LINK FAILED");
            return false;
        }
        const entry = {
            "what": what,
            "timer": null
        };
        entry.timer = main.delay(function() {
            usbCommands = usbCommands.filter(function(u) {
                return u !== entry;
            });
            console.warn("Commands: " + what.toLowerCase() + " not confirmed by the supply within " + confirmTimeout + " ms");
            main.alert("warning", what + " NOT CONFIRMED BY THE SUPPLY", "warning");
        }, confirmTimeout);
        usbCommands = usbCommands.concat([entry]);
        return true;
    }

    // The supply's success or error event answers the oldest USB command.
    function supplyAnswered(type) {
        if ((type !== "success" && type !== "error") || usbCommands.length === 0)
            return ;

        main.cancelDelay(usbCommands[0].timer);
        usbCommands = usbCommands.slice(1);
    }

    // A screen's cycle time is the panel's state on the supply: kept here,
    // sent when logged in and again with every login.
    function changeCycleTime(ms) {
        cycleTime = Number(ms);
        if (loggedIn())
            link.changeCycleTime(cycleTime);

    }

    // A configuration write goes out now, or the store stays as the supply
    // last sent it and the rows show that again.
    function setConfigValue(config, propertyName, value) {
        const what = "SETTING " + words(String(propertyName).split("@").pop().split("/").pop());
        if (!loggedIn()) {
            refuse(what, "NOT CONNECTED");
            main.configChanged();
            return false;
        }
        const before = config.getConfiguration();
        if (!config.setProperty(propertyName, value))
            return false;

        if (!link.setConfiguration(config.getConfiguration())) {
            config.setConfiguration(before);
            refuse(what, "LINK FAILED");
            main.configChanged();
            return false;
        }
        if (!config.saveConfiguration())
            main.alert("error", "THE CONFIGURATION COULD NOT BE SAVED", "error");

        return true;
    }

}
