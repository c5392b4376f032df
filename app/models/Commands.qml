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
    // USB commands waiting for the supply's success or error event.
    property var usbCommands: []
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
        "STILL WAITING": "the same command still waits for the supply's answer"
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
    }

    // Drops every wait without a word, as at a fresh start.
    function cancelAll() {
        for (const w of waits) main.cancelDelay(w.timer)
        waits = [];
        unknownStates = Object.create(null);
        for (const u of usbCommands) main.cancelDelay(u.timer)
        usbCommands = [];
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
