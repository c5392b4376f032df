import QtQuick 2.12

// The supply's front panel: keys and wheel routed to the screen, display
// standby, channel LEDs and the fan feed. Behind the veil no key writes;
// LEDs and fan follow the cache's current-value rule.
Item {
    id: panel

    property var hardware
    property var cache
    property var displayTimer
    property bool displayIsOn: true
    property string refusedStandby: ""
    // Screens veiled while the link is down; their keys write to the supply.
    readonly property var veiledViews: ["Channellist", "Channel", "Oscilloscope"]
    // Said once per outage, however often a key is pressed.
    property bool keysRefused: false
    // Keys whose press was refused: their release is refused with it, even
    // once the link is back.
    property var refusedPresses: Object.create(null)
    // Running state -> [on-LED, ok-LED]; null leaves an LED as it is.
    readonly property var runningStateLeds: ({
        "ok": ["on", "on"],
        "off": ["off", "on"],
        "info": ["blink", null],
        "error": ["off", "off"],
        "errorInfo": ["blink", "off"],
        "errorOn": ["on", "off"]
    })
    // LEDs whose item is not current: they blink together, all in step,
    // so that a lost link shows every LED of every channel blinking, which
    // no live state does (the ok and polarity LEDs never blink live).
    property var staleLeds: Object.create(null)
    // The ok-LED each channel showed last while live.
    property var liveOk: []
    property bool blinkPhase: false

    // Standby in whole minutes, up to a week; anything else leaves the
    // display on, and is logged once per value.
    function standbyMinutes() {
        const text = main.getConfigValue("hardwareConfig/device@id=0-0/@displayStandby");
        const valid = /^[0-9]{1,5}$/.test(text) && Number(text) <= 7 * 24 * 60;
        if (!valid && text !== "" && text !== refusedStandby)
            console.warn("ignoring the display standby \"" + text.substring(0, 40) + "\": not whole minutes from 0 to 10080");

        refusedStandby = valid ? "" : text;
        return valid ? Number(text) : 0;
    }

    // Returns false when this call only switched the display back on.
    function resetDisplayTimer() {
        const standby = standbyMinutes() * 1000 * 60;
        main.cancelDelay(displayTimer);
        displayTimer = undefined;
        if (standby > 0)
            displayTimer = main.delay(function() {
            hardware.switchOffBackLight();
            displayIsOn = false;
        }, standby);

        // Standby switched off while dark must not leave the display dark.
        if (displayIsOn)
            return true;

        hardware.switchOnBackLight();
        displayIsOn = true;
        return false;
    }

    // Keys that write act only while the link is up: behind the veil, and
    // the channel keys anywhere. HOME stays local.
    function keyLocked(buttonId) {
        if (main.connected || buttonId === "home_bt")
            return false;

        if (!/^ch_bt/.test(buttonId) && !veiledViews.includes(main.currentView))
            return false;

        if (!keysRefused) {
            keysRefused = true;
            console.warn("Panel: keys locked while not connected to the supply, nothing sent");
            main.alert("notSent", "NOT CONNECTED: KEYS LOCKED, NOTHING SENT", "warning");
        }
        return true;
    }

    // The soft keys and the wheel key act on their components; false for
    // the other keys.
    function triggerPanelKey(buttonId, action) {
        const cID = /^bb_bt[1-4]$/.test(buttonId) ? buttonId : buttonId === "rt_bt" ? "wh1" : "";
        if (cID === "")
            return false;

        main.triggerComponent(cID, {
            "action": action
        });
        return true;
    }

    function keyPressed(buttonId) {
        if (keyLocked(buttonId))
            refusedPresses[buttonId] = true;
        else
            triggerPanelKey(buttonId, "pressed");
    }

    function keyReleased(buttonId) {
        const pressRefused = buttonId in refusedPresses;
        delete refusedPresses[buttonId];
        if (!resetDisplayTimer()) {
            // The release only woke the display: drop the pressed look.
            triggerPanelKey(buttonId, "canceled");
            return ;
        }
        if (pressRefused || keyLocked(buttonId)) {
            triggerPanelKey(buttonId, "canceled");
            return ;
        }
        if (triggerPanelKey(buttonId, "released"))
            return ;

        if (/^ch_bt[0-3]$/.test(buttonId))
            main.command("lumaCommand", {
            "mode": "toggle",
            "path": "0.0." + buttonId.charAt(5) + "_Control.on"
        });
        else if (buttonId === "home_bt")
            main.command("openHomescreen");
    }

    function wheelTurned(steps) {
        if (!resetDisplayTimer() || keyLocked("wheel"))
            return ;

        main.triggerComponent("wh1", {
            "action": "turned",
            "steps": steps
        });
    }

    function wheelPressed() {
        if (!keyLocked("wheel"))
            main.triggerComponent("wh1", {
            "action": "pressed"
        });

        resetDisplayTimer();
    }

    function linkChanged(connected) {
        // Lost: the fan goes fail safe at once, not at the next feed.
        if (connected)
            keysRefused = false;
        else if (main.appMode === "Zandor")
            feedFan();
    }

    function setLed(led, state) {
        if (state === "on")
            hardware.setLedOn(led);
        else if (state === "off")
            hardware.setLedOff(led);
        else if (state === "blink")
            hardware.setLedBlinking(led);
    }

    function showLive(channel, item, value, wasStale) {
        if (item === "Setup.outputPolarity") {
            if (value === "p" || value === "n")
                setLed("ch" + channel + "_pol", value === "p" ? "on" : "off");

            return ;
        }
        const leds = main.ownValue(runningStateLeds, value);
        if (leds === undefined)
            return ;

        setLed("ch" + channel + "_on", leds[0]);
        if (leds[1] !== null)
            liveOk[channel] = leds[1];

        if (leds[1] !== null || wasStale)
            setLed("ch" + channel + "_ok", liveOk[channel] === undefined ? "off" : liveOk[channel]);

    }

    function updateChannelLeds(identifier) {
        if (!main.checkIdentifier(identifier, "Status.runningState") && !main.checkIdentifier(identifier, "Setup.outputPolarity"))
            return ;

        const separator = identifier.lastIndexOf("_");
        const path = identifier.substring(0, separator);
        const item = identifier.substring(separator + 1);
        if (item !== "Status.runningState" && item !== "Setup.outputPolarity")
            return ;

        const fields = path.split(".");
        const channel = Number(fields[2]);
        if (fields.length !== 3 || fields[0] !== "0" || fields[1] !== "0" || !(channel >= 0 && channel < 4))
            return ;

        const names = item === "Status.runningState" ? ["ch" + channel + "_on", "ch" + channel + "_ok"] : ["ch" + channel + "_pol"];
        if (!cache.isCurrent(path, item)) {
            for (const name of names) staleLeds[name] = true
            if (!staleBlink.running) {
                blinkStale();
                staleBlink.start();
            }
            return ;
        }
        let wasStale = false;
        for (const name of names) {
            wasStale = wasStale || name in staleLeds;
            delete staleLeds[name];
        }
        showLive(channel, item, main.getItemValue(path, item)[1], wasStale);
    }

    // One phase of the not-current pattern, in step on every such LED.
    function blinkStale() {
        const names = Object.keys(staleLeds);
        for (const name of names) setLed(name, blinkPhase ? "on" : "off")
        blinkPhase = !blinkPhase;
        if (names.length === 0)
            staleBlink.stop();

    }

    function feedFan() {
        // Read first: a value not cached yet is asked for.
        const temperature = main.getItemValue("0.0", "Status.temperature")[1];
        // A temperature that is not current drives the fan at full speed:
        // reported as far above any demand, against a nominal load.
        if (!cache.isCurrent("0.0", "Status.temperature")) {
            hardware.setFanSpeed("100", [0], [0], [1], [1]);
            return ;
        }
        const voltages = [];
        const currents = [];
        const nominalVoltages = [];
        const nominalCurrents = [];
        const convert = function convert(path, item, unit) {
            const triple = main.getItemValue(path, item);
            return main.getValueByUnit(triple[1], triple[2], unit);
        };
        for (let i = 0; i < main.numberOfChannels; ++i) {
            const path = "0.0." + i;
            voltages.push(convert(path, "Status.voltageMeasure", "V"));
            currents.push(convert(path, "Status.currentMeasure", "A"));
            nominalVoltages.push(convert(path, "Status.voltageNominal", "V"));
            nominalCurrents.push(convert(path, "Status.currentNominal", "A"));
        }
        hardware.setFanSpeed(temperature, voltages, currents, nominalVoltages, nominalCurrents);
    }

    Timer {
        id: staleBlink

        interval: 333
        repeat: true
        onTriggered: panel.blinkStale()
    }

    Timer {
        id: fanTimer

        interval: 20000
        repeat: true
        running: main.appMode === "Zandor"
        onTriggered: panel.feedFan()
    }

}
