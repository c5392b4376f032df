import QtQuick 2.12

// What the panel may send, and when the supply has taken it. Every write
// the operator makes goes out at the moment of the action while the link is
// logged in, or is refused there with an alert that names it; nothing waits
// for a later link. The protocol has no answer to a write as such: a write
// is taken when the supply reports the item as written after the send, on
// the same login; otherwise it ends in a warning that names it. Toggles
// follow the operator's latest press, and one the supply leaves unanswered
// leaves the switch state unknown until its next report. Success is only
// claimed on the supply's word. Time-outs run on timers, which follow a
// monotonic clock.
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
    // Writes of this login waiting for the supply's word, oldest first:
    // {kind, what, answers: [{path, item, key, value, unit, seen, taken}],
    // done, alert, success, error, timeout, timer}.
    property var waits: []
    // Key -> [path, item] of switches whose toggle got no answer: their
    // state is not known until the supply reports them again.
    property var unknownStates: Object.create(null)
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
    // How the supply's word is read for each kind of write (a trigger is a
    // clear or reset, which the supply reports back as "0"): whether only a
    // report of the written value takes it, the alert it warns with, and
    // the warnings (%1 the write, %2 the supply's error text).
    readonly property var kinds: ({
        "value": {
            "exact": true,
            "alert": "warning",
            "notConfirmed": "%1 NOT CONFIRMED BY THE SUPPLY",
            "refused": "%1 NOT CONFIRMED, THE SUPPLY REPORTED: %2",
            "lost": "%1 NOT CONFIRMED, LINK LOST BEFORE THE SUPPLY ANSWERED"
        },
        "trigger": {
            "exact": false,
            "alert": "warning",
            "notConfirmed": "%1 NOT CONFIRMED BY THE SUPPLY",
            "refused": "%1 NOT CONFIRMED, THE SUPPLY REPORTED: %2",
            "lost": "%1 NOT CONFIRMED, LINK LOST BEFORE THE SUPPLY ANSWERED"
        },
        "toggle": {
            "exact": true,
            "alert": "notSwitched",
            "notConfirmed": "NOT SWITCHED: %1, NO ANSWER FROM THE SUPPLY",
            "refused": "NOT SWITCHED: %1, THE SUPPLY REPORTED: %2",
            "lost": "NOT SWITCHED: %1, LINK LOST BEFORE THE SUPPLY ANSWERED"
        }
    })
    readonly property var triggerItems: ["Control.clearAll", "Control.setValuesReset", "Control.factoryReset", "Control.factorySystemReset"]
    readonly property var refusals: ({
        "NOT CONNECTED": "not logged in to the supply",
        "LINK FAILED": "the link did not take it",
        "STILL WAITING": "the same command still waits for the supply's answer",
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

        if (fields.length < 3)
            return name + " OF THE DEVICE";

        return name + (fields[2] === "*" ? " OF EVERY CHANNEL" : " OF CHANNEL " + fields[2]);
    }

    function refuse(what, reason) {
        console.warn("Commands: " + what + " not sent: " + refusals[reason]);
        main.alert("notSent", reason + ": " + what + " NOT SENT", "warning");
    }

    function isTrigger(item) {
        const group = String(item).split(".")[0];
        return group === "Event" || group === "Error" || triggerItems.includes(item);
    }

    // Sends one item write now, or refuses it; true when it went out.
    function send(path, item, value, unit) {
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

    // The items whose reports answer a write: every channel's for "0.0.*".
    function answersFor(path, item, value, unit) {
        const fields = String(path).split(".");
        let paths = [path];
        if (fields.length === 3 && fields[2] === "*" && main.numberOfChannels > 0) {
            paths = [];
            for (let i = 0; i < main.numberOfChannels; ++i) paths.push(fields[0] + "." + fields[1] + "." + i)
        }
        return paths.map(function(p) {
            return {
                "path": p,
                "item": item,
                "key": cache.keyOf(p, item),
                "value": value,
                "unit": unit === undefined ? "" : unit,
                "seen": null,
                "taken": false
            };
        });
    }

    function waitingOn(answers, kind) {
        return waits.some(function(w) {
            return w.kind === kind && w.answers.some(function(a) {
                return answers.some(function(b) {
                    return a.key === b.key;
                });
            });
        });
    }

    // Starts the wait for the supply's word on a write that went out.
    function expect(wait, timeout) {
        wait.error = "";
        wait.timeout = timeout;
        wait.timer = main.delay(function() {
            expired(wait);
        }, timeout);
        waits = waits.concat([wait]);
    }

    function drop(wait) {
        main.cancelDelay(wait.timer);
        waits = waits.filter(function(w) {
            return w !== wait;
        });
    }

    // Sends one item write now, or refuses it; true when it went out. Its
    // wait ends on the supply's report or in a warning. A clear or reset
    // still waiting is not sent again: one answer would take both.
    function write(path, item, value, unit) {
        const kind = isTrigger(item) ? "trigger" : "value";
        const answers = answersFor(path, item, value, unit);
        if (kind === "trigger" && waitingOn(answers, kind)) {
            refuse(describe(path, item), "STILL WAITING");
            return false;
        }
        if (!send(path, item, value, unit))
            return false;

        // A later value replaces an earlier one still waiting (auto-apply
        // sends one per wheel step): the supply's word on it stands for both.
        if (kind === "value") {
            for (const w of waits.slice()) {
                if (w.kind === "value" && w.answers.length === answers.length && w.answers.every(function(a, i) {
                    return a.key === answers[i].key;
                }))
                    drop(w);

            }
        }
        expect({
            "kind": kind,
            "what": describe(path, item),
            "answers": answers
        }, confirmTimeout);
        return true;
    }

    function pendingToggle(key) {
        for (const w of waits) {
            if (w.kind === "toggle" && w.answers[0].key === key)
                return w;

        }
        return null;
    }

    // The next press of a pending toggle reverses its target: the supply
    // ends as the last press meant, and no press repeats the one before. A
    // press on a state not known asks the supply for it instead.
    function toggle(path, item) {
        const key = cache.keyOf(path, item);
        const pending = pendingToggle(key);
        let target;
        if (pending !== null) {
            target = pending.answers[0].value === 1 ? 0 : 1;
        } else if (cache.isCurrent(path, item) && !(key in unknownStates)) {
            target = cache.getItem(path, item)[1] === "1" ? 0 : 1;
        } else if (loggedIn()) {
            // Switching blind could switch the wrong way.
            console.warn("Commands: not switching " + path + " " + item + ": its state is not known yet");
            main.alert("notSwitched", "NOT SWITCHED: STATE OF " + describe(path, item) + " NOT KNOWN YET", "warning");
            cache.triggerRequest(path, item);
            return ;
        } else {
            refuse(describe(path, item), "NOT CONNECTED");
            return ;
        }
        if (!send(path, item, target))
            return ;

        if (pending !== null)
            drop(pending);

        expect({
            "kind": "toggle",
            "what": describe(path, item) + (target === 1 ? " ON" : " OFF"),
            "answers": answersFor(path, item, target)
        }, confirmTimeout);
        main.stateUpdated(path + "_" + item);
    }

    function isSwitching(path, item) {
        return pendingToggle(cache.keyOf(path, item)) !== null;
    }

    // A switch whose toggle the supply has not answered, so that its last
    // reported state may no longer hold.
    function isStateUnknown(path, item) {
        return cache.keyOf(path, item) in unknownStates;
    }

    // The time-out: the supply's other value, its error, or no word at all.
    function expired(wait) {
        waits = waits.filter(function(w) {
            return w !== wait;
        });
        const kind = kinds[wait.kind];
        let message = kind.notConfirmed.arg(wait.what);
        const other = wait.answers.find(function(a) {
            return !a.taken && a.seen !== null;
        });
        if (wait.kind === "toggle") {
            const answer = wait.answers[0];
            unknownStates[answer.key] = [answer.path, answer.item];
            main.stateUpdated(answer.path + "_" + answer.item);
        } else if (kind.exact && other !== undefined) {
            message = describe(other.path, other.item).replace(/ SET( OF |$)/, "$1") + " SET TO " + shown(other.seen[1], other.seen[2]) + ", NOT " + shown(other.value, other.unit);
        }
        if (wait.error !== "" && (other === undefined || wait.kind !== "value"))
            message = kind.refused.arg(wait.what).arg(wait.error);

        console.warn("Commands: " + wait.what + " not confirmed by the supply within " + wait.timeout + " ms: " + message);
        main.alert(wait.alert !== undefined ? wait.alert : kind.alert, message, "warning");
    }

    function shown(value, unit) {
        return (String(value) + " " + unit).trim();
    }

    // The supply's report of the written value, after unit conversion; a
    // channel of negative polarity may report a negative set value as its
    // magnitude.
    function isWritten(answer, record) {
        const sent = Number(answer.value);
        const got = Number(record[1]);
        if (String(answer.value).trim() === "" || String(record[1]).trim() === "" || isNaN(sent) || isNaN(got))
            return String(answer.value) === record[1];

        const expected = main.getValueByUnit(sent, answer.unit, record[2]);
        const close = function close(a, b) {
            return Math.abs(a - b) <= 1e-09 * Math.max(1, Math.abs(a), Math.abs(b));
        };
        if (close(expected, got))
            return true;

        return close(-expected, got) && cache.isCurrent(answer.path, "Setup.outputPolarity") && cache.getItem(answer.path, "Setup.outputPolarity")[1] === "n";
    }

    // Every report: the answer to the writes waiting on its item. Any
    // report ends an unknown switch state: the box shows it again.
    function reported(path, item) {
        const key = cache.keyOf(path, item);
        if (key in unknownStates) {
            delete unknownStates[key];
            console.log("Commands: " + path + " " + item + " reported again, its state is known");
        }
        if (waits.length === 0)
            return ;

        let record = null;
        for (const w of waits.slice()) {
            let touched = false;
            for (const a of w.answers) {
                if (a.key !== key || a.taken)
                    continue;

                if (record === null)
                    record = cache.getItem(path, item);

                a.seen = record;
                a.taken = !kinds[w.kind].exact || isWritten(a, record);
                touched = true;
            }
            // done() reads other items: any report may complete it.
            if ((!touched && !w.done) || !w.answers.every(function(a) {
                return a.taken;
            }) || (w.done && !w.done()))
                continue;

            drop(w);
            if (w.success)
                main.alert(w.success[0], w.success[1], w.success[2]);

        }
    }

    // An error event names no command: it most likely answers the oldest
    // write the supply has said nothing else about yet.
    function supplyError(message) {
        for (const w of waits) {
            if (w.error === "" && w.answers.every(function(a) {
                return a.seen === null;
            })) {
                w.error = message;
                return ;
            }
        }
    }

    // The link has left the logged-in state: no later login answers what
    // this one sent. A switch pressed stays unknown until reported again.
    function linkLost() {
        for (const w of waits) {
            main.cancelDelay(w.timer);
            if (w.kind === "toggle")
                unknownStates[w.answers[0].key] = [w.answers[0].path, w.answers[0].item];

            const message = kinds[w.kind].lost.arg(w.what);
            console.warn("Commands: " + w.what + ": the link was lost before the supply answered");
            main.alert(w.alert !== undefined ? w.alert : kinds[w.kind].alert, message, "warning");
        }
        waits = [];
        configurationRead = false;
        fileListAsked = -1;
        const lost = " NOT CONFIRMED, LINK LOST BEFORE THE SUPPLY ANSWERED";
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

    // Drops every wait without a word, as at a fresh start.
    function cancelAll() {
        for (const w of waits) main.cancelDelay(w.timer)
        waits = [];
        unknownStates = Object.create(null);
        if (usbWait !== null)
            main.cancelDelay(usbWait.timer);

        usbWait = null;
        fileListAsked = -1;
        for (const s of pendingSettings) main.cancelDelay(s.timer)
        pendingSettings = [];
    }

    // Sends the writes [path, item, value] of one command; the success
    // alert waits for the supply's report of each written item (and for
    // done(), when given), received after the send. The same command is
    // not sent again while it waits.
    function confirmedWrites(writes, done, timeout, type, message, what) {
        let answers = [];
        for (const w of writes) answers = answers.concat(answersFor(w[0], w[1], w[2]))
        if (waitingOn(answers, "trigger")) {
            refuse(describe(writes[0][0], writes[0][1]), "STILL WAITING");
            return false;
        }
        for (const w of writes) {
            if (!send(w[0], w[1], w[2]))
                return false;

        }
        expect({
            "kind": "trigger",
            "what": what,
            "answers": answers,
            "done": done,
            "alert": type === "factoryReset" ? type : "warning",
            "success": [type, message, type === "factoryReset" ? "warning" : "ok"]
        }, timeout);
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
        confirmedWrites([[path, "Control.clearAll", 1]], counted, confirmTimeout, "success", "ALL EVENTS AND ERRORS HAVE BEEN CLEARED", "CLEAR ALL");
    }

    function setValuesReset(path) {
        confirmedWrites([[path, "Control.setValuesReset", 1]], null, confirmTimeout, "success", "RESET SUCCESSFUL. STANDARD VALUES HAVE BEEN SET", "RESET OF THE SET VALUES");
    }

    function factoryReset(path) {
        if (confirmedWrites([[path, "Control.factoryReset", 1], ["", "Control.factorySystemReset", 1]], null, factoryResetTimeout, "factoryReset", "RESET SUCCESSFUL. NOW PLEASE SWITCH OFF/ON OR PUSH CONTROL RESET", "FACTORY RESET"))
            main.alert("factoryReset", "RESET IN PROGRESS. PLEASE WAIT...", "error");

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
    // order); any other error is shown as it is, goes with the write it
    // most likely belongs to, and the USB wait runs on.
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
            else
                supplyError(message);
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

}
