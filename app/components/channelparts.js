// What a channel row and the channel view both show of a channel: values,
// running state, regulation mode and the emergency alert. Imported without
// .pragma library, so it works on the importing component's own cID,
// value(), fields (chStatus, chStatusText, chMode, chModeText) and
// controller.

const runningStateTexts = {
    "ok": "OK",
    "info": "RAMPING",
    "error": "ERROR"
};

// A value not read since the link came back is drawn dimmed.
function show(field, item) {
    const record = main.getItemValue(cID, item);
    field.text = record[1] + " " + record[2];
    field.opacity = main.itemOpacity(cID, item);
}

function showStatus() {
    // Until the supply confirms a switch, neither the old state nor the new.
    if (main.isSwitching(cID, "Control.on")) {
        chStatusText.text = "SWITCHING";
        chStatus.state = "";
        chStatusText.opacity = 1;
        return;
    }
    // Not answered: the last reported state may no longer hold.
    if (main.isSwitchStateUnknown(cID, "Control.on")) {
        chStatusText.text = "\u2014";
        chStatus.state = "";
        chStatusText.opacity = 1;
        return;
    }
    const running = value("Status.runningState");
    // Read always: the switch acts on it whatever the running state.
    const on = value("Control.on");
    if (running === "off")
        chStatusText.text = on === "1" ? "ON" : "OFF";
    else
        chStatusText.text = runningStateTexts.hasOwnProperty(running) ? runningStateTexts[running] : "";
    // A last known state keeps its text but never the colour of a live one.
    const live = main.isItemCurrent(cID, "Status.runningState");
    chStatus.state = live ? running : "";
    chStatusText.opacity = main.itemOpacity(cID, "Status.runningState");
}

function showMode() {
    const cv = value("Status.constantVoltage");
    const cc = value("Status.constantCurrent");
    chMode.state = cv === "1" ? "cv" : cc === "1" ? "cc" : "";
    chModeText.opacity = Math.min(main.itemOpacity(cID, "Status.constantVoltage"), main.itemOpacity(cID, "Status.constantCurrent"));
}

// Raises or clears the channel's emergency alert; true while it is on.
function showEmergency(message) {
    const type = cID + "_emergency";
    const on = value("Control.emergency") == 1;
    if (on)
        controller.command("addAlert", {
            "type": type,
            "state": "error",
            "message": message
        });
    else
        controller.command("removeAlert", {
            "type": type
        });
    return on;
}
