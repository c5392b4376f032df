import QtQuick 2.12
import QtWebSockets 1.1
import cppComponents.tlstrust 1.0

// The link to the supply's control service: login, command queue, event
// parsing and recovery by retry and watchdog.
Item {
    id: connection

    property string ip: ""
    property string port: "8080"
    property string user: "_PANEL_"
    property string password: "_PANEL_"
    // wss:// instead of ws://, trusting the system's certificates and the
    // CA certificate file named here.
    property bool tls: false
    property string caCertificate: ""
    // Why the supply's certificate was refused; "" once one is accepted.
    property string certificateRefusal: ""
    // The socket keeps the trust in force when it first opened: a new
    // trust takes a new socket.
    property WebSocket socket: null
    property real retry: 1
    property bool debug: false
    property bool connected: false
    property var queue: []
    property string ticket: ""
    property string comState: ""
    property string comInfo: ""
    // Envelopes sent through the gate: tells whether anything else went
    // out between a command and an answer the wire does not name.
    property int sentEnvelopes: 0
    // Far beyond what a real supply sends; larger input is refused whole so
    // that one frame or value cannot stall the interface or fill the memory.
    // A configuration frame may be as large as the largest configuration
    // the store takes (2 MiB of XML, base64-encoded).
    readonly property int maxFrameLength: 1024 * 1024
    readonly property int maxConfigurationFrameLength: 3 * 1024 * 1024
    readonly property int maxTextLength: 4096

    signal itemChanged(string path, string item, string value, string unit, string time)
    signal connectionStatusChanged(string adapter, string status)
    signal configurationReceived(string xml)
    signal configurationChanged()
    signal usbFileListChanged(var fileList)
    signal firmwareUpdateActive(bool status)
    signal error(string type, string message)
    // Logged in; the queue goes out when this returns, so it may be added to.
    signal loggedIn()

    function getComState() {
        return comState;
    }

    function getComInfo() {
        return comInfo;
    }

    function changeComState(state) {
        comState = state;
        if (debug)
            console.log("communication state changed to: " + state);

        switch (state) {
        case "connecting":
            ticket = "";
            comInfo = "connecting";
            openSocket();
            break;
        case "login":
            if (debug)
                console.log("Login with: " + user + " and password " + password);

            socket.sendTextMessage(JSON.stringify(credentialsEnvelope("login")));
            comInfo = "logging in";
            handshakeTimeout.restart();
            break;
        case "logout":
            socket.sendTextMessage(JSON.stringify(credentialsEnvelope("logout")));
            comInfo = "logging out";
            break;
        case "connected":
            handshakeTimeout.stop();
            queueStartBatch();
            loggedIn();
            sendQueue();
            comInfo = main.appMode === "Zandor" ? main.getConfigValue("ethernet/ip") : ip;
            getConfiguration();
            connected = true;
            break;
        case "error":
            comInfo = "error";
            connected = false;
            break;
        case "closed":
            comInfo = "closed";
            connected = false;
            break;
        default:
            if (debug)
                console.log("COULD NOT FIND COMSTATE" + state);

        }
        connectionStatusChanged("luma", comState);
        main.stateUpdated("ethernetStatus");
    }

    function credentialsEnvelope(type) {
        return {
            "i": type === "login" ? "" : ticket,
            "t": type,
            "c": {
                "l": user,
                "p": password
            },
            "r": "websocket"
        };
    }

    function queueStartBatch() {
        const batch = [["setItem", "", "", "", "Setup.cycleTime", main.requiredCycleTime], ["getItem", "", "", "", "Control.liveInsertion"], ["getItem", "*", "*", "*", "Control.voltageSet"], ["getItem", "*", "*", "*", "Control.currentSet"], ["getItem", "*", "*", "*", "Setup.outputPolarity"], ["getItem", "*", "*", "*", "Status.voltageMode"], ["getItem", "*", "*", "*", "Status.currentMode"], ["getItem", "*", "*", "", "Status.installFirmware"], ["getItem", "*", "*", "", "Status.on"], ["getItem", "0", "0", "", "Status.ethernetState"], ["getItem", "0", "0", "", "Status.usbRemoteState"], ["getItem", "0", "0", "", "Status.usbAuxState"], ["getItem", "0", "0", "", "Status.usbRemoteText"], ["getItem", "0", "0", "", "Status.usbAuxText"], ["getItem", "0", "0", "*", "Status.lowCurrentRange"]];
        for (const packet of batch) appendQueue(packet[0], packet[1], packet[2], packet[3], packet[4], packet[5], "")
    }

    function openSocket() {
        handshakeTimeout.restart();
        if (socket === null)
            socket = socketType.createObject(connection);

        const url = (tls ? "wss://" : "ws://") + ip + ":" + port;
        if (socket.status === WebSocket.Connecting) {
            // Closing an attempt that is still connecting writes a close
            // frame to an unconnected socket; a new address replaces the
            // attempt without it ("/" asks for the same resource).
            socket.url = String(socket.url) === url ? url + "/" : url;
            return ;
        }
        socket.active = false;
        if (String(socket.url) !== url)
            socket.url = url;

        socket.active = true;
    }

    function reconnect() {
        openSocket();
    }

    // False, with nothing changed, for a file without a certificate. The
    // socket is dropped and counts as closed: the next one logs in afresh.
    function trustCaCertificate(file) {
        if (!tlsTrust.trustCaCertificate(file))
            return false;

        caCertificate = file;
        certificateRefusal = "";
        if (socket === null)
            return true;

        const old = socket;
        socket = null;
        old.active = false;
        old.destroy();
        changeComState("closed");
        retryConnect.start();
        return true;
    }

    function refuseCertificate(reason) {
        if (reason !== certificateRefusal)
            console.warn("Connection: refused the certificate of " + ip + ":" + port + ": " + reason);

        certificateRefusal = reason;
    }

    function appendQueue(command, line, address, channel, item, value, unit) {
        if (command === undefined || command === "") {
            if (debug)
                console.log("appendQueue(): missing command");

            return false;
        }
        if (item === undefined || item === "")
            return false;

        // A write is for the moment it is made: none waits for a login.
        if (command === "setItem" && comState !== "connected") {
            if (debug)
                console.log("appendQueue(): not logged in, write of " + item + " refused");

            return false;
        }
        const packet = {
            "c": command,
            "p": {
                "p": {
                    "l": line === undefined ? "" : line,
                    "a": address === undefined ? "" : address,
                    "c": channel === undefined ? "" : channel
                },
                "i": item,
                "v": value === undefined ? "" : value,
                "u": unit === undefined ? "" : unit
            }
        };
        queue.push(packet);
    }

    // True when the queue went out. A refused or failed send keeps the
    // reads for the next login, never a write.
    function sendQueue() {
        if (sendEnvelope(requestEnvelope(queue))) {
            queue = [];
            return true;
        }
        queue = queue.filter(function(packet) {
            return packet.c !== "setItem";
        });
        return false;
    }

    function requestEnvelope(packets) {
        return {
            "i": ticket,
            "t": "request",
            "c": packets,
            "r": "websocket"
        };
    }

    function sendEnvelope(msg) {
        if (comState !== "connected")
            return false;

        if (msg.c.length === 0 && msg.t !== "getConfig" && msg.t !== "setConfig")
            return false;

        const text = JSON.stringify(msg);
        if (debug)
            console.log("send message: " + text);

        const sent = socket.sendTextMessage(text);
        if (sent)
            ++sentEnvelopes;

        return sent;
    }

    function changeCycleTime(ms) {
        appendQueue("setItem", "", "", "", "Setup.cycleTime", ms, "");
        return sendQueue();
    }

    function getConfiguration() {
        return sendEnvelope({
            "i": ticket,
            "t": "getConfig",
            "c": [],
            "r": "websocket"
        });
    }

    function setConfiguration(xmlString) {
        if (debug)
            console.log(xmlString);

        const result = sendEnvelope({
            "i": ticket,
            "t": "setConfig",
            "f": "LUMAconfig.xml",
            "c": [],
            "d": Qt.btoa(xmlString),
            "r": "websocket"
        });
        if (!result)
            return result;

        appendQueue("setItem", "", "", "", "Control.configurationChanged", 1, "");
        sendQueue();
        main.delay(getConfiguration, 1000);
        return result;
    }

    function sendSinglePacket(command, params) {
        return sendEnvelope(requestEnvelope([{
            "c": command,
            "p": params
        }]));
    }

    function unmount(target) {
        return sendSinglePacket("unmount", {
            "d": target
        });
    }

    function saveFile(filename, target, type) {
        return sendSinglePacket("downloadFile", {
            "i": type,
            "d": target,
            "n": filename
        });
    }

    function restoreFile(filename, source, type) {
        return sendSinglePacket("uploadFile", {
            "i": type,
            "s": source,
            "n": filename
        });
    }

    function getFileList(type, source) {
        return sendSinglePacket("fileList", {
            "t": type,
            "s": source
        });
    }

    // Standard base64 of UTF-8 text; null when it is not that (the
    // engine's decoder would skip bad characters and mend bad bytes).
    // Line breaks, blanks and missing padding are accepted as peers send them.
    function decodeBase64(text) {
        if (typeof text !== "string")
            return null;

        let compact = text.replace(/[ \t\r\n]/g, "");
        if (!/^[A-Za-z0-9+\/]*={0,2}$/.test(compact))
            return null;

        compact = compact.replace(/=+$/, "");
        if (compact.length % 4 === 1)
            return null;

        compact += "==".substring(0, (4 - compact.length % 4) % 4);
        const decoded = Qt.atob(compact);
        return decoded.includes("\ufffd") ? null : decoded;
    }

    // Received text as it may appear in the log.
    function clip(text) {
        return text.length <= 200 ? text : text.substring(0, 200) + "... (" + text.length + " characters)";
    }

    function tooLarge(msg) {
        if (msg.length <= maxFrameLength)
            return false;

        // Only a configuration, an object, may exceed the frame limit.
        return msg.length > maxConfigurationFrameLength || comState !== "connected" || !/^\s*\{/.test(msg.substring(0, 16));
    }

    function handleMessage(msg) {
        checkConnection.stop();
        if (tooLarge(msg)) {
            console.warn("Connection: dropped a frame of " + msg.length + " characters");
            checkConnection.start();
            return ;
        }
        let parsed;
        try {
            parsed = JSON.parse(msg);
        } catch (e) {
            console.warn("Connection: dropped a message that is not JSON: " + e.message);
            checkConnection.start();
            return ;
        }
        const isObject = parsed !== null && typeof parsed === "object";
        if (comState === "login") {
            if (isObject && parsed.t === "response") {
                if (typeof parsed.i === "string") {
                    ticket = parsed.i;
                    if (debug)
                        console.log("Ticket received: " + ticket);

                    changeComState("connected");
                } else {
                    console.warn("Connection: dropped a login answer without a ticket");
                }
            }
        } else if (comState === "connected") {
            if (isObject && !Array.isArray(parsed) && parsed.file === "lumaConfig.xml")
                receiveConfiguration(parsed.d);
            else if (msg.length > maxFrameLength)
                console.warn("Connection: dropped a frame of " + msg.length + " characters that is no configuration");
            else if (Array.isArray(parsed))
                handleBatch(parsed);
        }
        checkConnection.start();
    }

    function receiveConfiguration(data) {
        const xml = decodeBase64(data);
        if (xml === null) {
            console.warn("Connection: dropped a configuration that is not base64 of UTF-8 text");
            return ;
        }
        configurationReceived(xml);
        configurationChanged();
        main.stateUpdated("ethernetStatus");
    }

    // Indexed loops: iterators cost more than the work per packet.
    function handleBatch(envelopes) {
        for (let i = 0; i < envelopes.length; ++i) {
            const envelope = envelopes[i];
            if (envelope === null || typeof envelope !== "object") {
                console.warn("Connection: dropped an envelope that is not an object");
                continue;
            }
            if (envelope.t !== "info" && envelope.t !== "response" && envelope.t !== "lumaConfig")
                continue;

            if (!Array.isArray(envelope.c)) {
                console.warn("Connection: dropped a \"" + envelope.t + "\" envelope without a packet list");
                continue;
            }
            const packets = envelope.c;
            for (let j = 0; j < packets.length; ++j) processIncomingPacket(packets[j])
        }
    }

    function isText(value) {
        return typeof value === "string";
    }

    function isShortText(value) {
        return isText(value) && value.length <= maxTextLength;
    }

    function processIncomingPacket(packet) {
        if (packet === null || typeof packet !== "object" || typeof packet.e !== "string") {
            console.warn("Connection: dropped a packet without an event name");
            return ;
        }
        switch (packet.e) {
        case "itemUpdated":
            handleItemUpdate(packet.d);
            break;
        case "message":
        case "error":
        case "success":
            if (!isText(packet.v)) {
                console.warn("Connection: dropped a \"" + packet.e + "\" event without a text");
                return ;
            }
            if (packet.v.length > maxTextLength) {
                console.warn("Connection: dropped a \"" + packet.e + "\" event of " + packet.v.length + " characters");
                return ;
            }
            error(packet.e, packet.v);
            break;
        case "fileList":
            if (!Array.isArray(packet.d) || !packet.d.every(isShortText)) {
                console.warn("Connection: dropped a file list that is not a list of names");
                return ;
            }
            usbFileListChanged(packet.d);
            break;
        }
    }

    function handleItemUpdate(d) {
        // typeof inline, not isText(): this runs for every value received.
        const valid = d !== null && typeof d === "object" && typeof d.i === "string" && d.i !== "" && typeof d.v === "string" && d.p !== null && typeof d.p === "object" && typeof d.p.l === "string" && typeof d.p.a === "string" && typeof d.p.c === "string" && (d.u === undefined || typeof d.u === "string") && (d.t === undefined || typeof d.t === "string");
        if (!valid) {
            console.warn("Connection: dropped an item update with missing or mistyped fields: " + clip(String(JSON.stringify(d))));
            return ;
        }
        const longest = Math.max(d.i.length, d.v.length, d.p.l.length, d.p.a.length, d.p.c.length, d.u === undefined ? 0 : d.u.length, d.t === undefined ? 0 : d.t.length);
        if (longest > maxTextLength) {
            console.warn("Connection: dropped an item update with a text over " + maxTextLength + " characters: " + clip(d.p.l + "." + d.p.a + "." + d.p.c + " " + d.i));
            return ;
        }
        let path = d.p.l;
        if (d.p.a !== "") {
            path += "." + d.p.a;
            if (d.p.c !== "")
                path += "." + d.p.c;

        }
        itemChanged(path, d.i, d.v, d.u === undefined ? "" : d.u, d.t === undefined ? "" : d.t);
        const dot = d.i.indexOf(".");
        const group = dot === -1 ? d.i : d.i.substring(0, dot);
        const name = dot === -1 ? "" : d.i.substring(dot + 1);
        if (name === "configurationChanged")
            getConfiguration();

        if (group === "Error") {
            if (name === "configurationMismatch")
                getConfiguration();

            error(name, d.v);
        }
        if (group !== "Status")
            return ;

        if (name === "installFirmware")
            firmwareUpdateActive(d.v === "1");
        else if (name === "ethernetState")
            main.stateUpdated("ethernetStatus");
        else if (name === "usbRemoteState" || name === "usbRemoteText")
            main.stateUpdated("usbRemoteStatus");
        else if (name === "usbAuxState" || name === "usbAuxText")
            main.stateUpdated("usbAuxStatus");
    }

    onTlsChanged: certificateRefusal = ""
    Component.onCompleted: {
        tlsTrust.trustCaCertificate(caCertificate);
        changeComState("connecting");
    }

    TlsTrust {
        id: tlsTrust
    }

    Timer {
        id: retryConnect

        interval: 1000 * connection.retry
        repeat: false
        onTriggered: connection.changeComState("connecting")
    }

    // One clock for the handshake: a socket that does not open, or a login
    // that is not answered, within 5 s is given up and tried anew.
    Timer {
        id: handshakeTimeout

        interval: 5000 * connection.retry
        repeat: false
        onTriggered: {
            if (connection.comState === "login") {
                console.warn("Connection: no answer to the login, closing to try again");
                // The close is retried like any other.
                socket.active = false;
                return ;
            }
            console.warn("Connection: no answer to the connection attempt in " + interval + " ms, trying again");
            connection.changeComState("connecting");
        }
    }

    Timer {
        id: checkConnection

        interval: 5000 * connection.retry
        repeat: false
        onTriggered: connection.changeComState("connecting")
    }

    Component {
        id: socketType

        WebSocket {
            id: webSocket

            onTextMessageReceived: {
                // A replaced socket is no longer the link's.
                if (webSocket !== connection.socket)
                    return ;

                if (connection.debug)
                    console.log(connection.clip(message));

                connection.handleMessage(message);
            }
            onStatusChanged: {
                if (webSocket !== connection.socket)
                    return ;

                switch (status) {
                case WebSocket.Open:
                    handshakeTimeout.stop();
                    connection.certificateRefusal = "";
                    if (connection.debug)
                        console.log("LUMAclient WebSocket OPEN");

                    if (connection.ticket === "") {
                        connection.changeComState("login");
                        retryConnect.stop();
                    }
                    break;
                case WebSocket.Error:
                    console.log("LUMAclient WebSocket error:", errorString);
                    if (connection.tls && tlsTrust.isCertificateFailure(errorString))
                        connection.refuseCertificate(errorString);

                    connection.changeComState("error");
                    retryConnect.start();
                    break;
                case WebSocket.Closed:
                    console.log("LUMAclient WebSocket closed");
                    connection.changeComState("closed");
                    if (connection.debug)
                        console.debug("LUMAclient attempting to reconnect...");

                    retryConnect.start();
                    break;
                }
            }
        }

    }

}
