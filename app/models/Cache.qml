import QtQuick 2.12

// The values the supply reported, with a short history per item. Paths and
// item names are keys of objects without prototype, so any name the supply
// sends is stored as itself; iteration follows first-stored order
// (integer-like paths such as "0" first, as script objects order them).
// Whether a value is the supply's current one is decided here alone
// (isCurrent): every screen, status text, LED and the fan feed ask this.
QtObject {
    id: cache

    property int maxItemCacheSize: 100
    property int maxItemCacheLength: 16384
    // Distinct path/item pairs, far above any real supply: beyond it a
    // service cannot grow the memory with new names.
    property int maxItems: 10000
    property int itemCount: 0
    property var itemCache: Object.create(null)
    property var waitList: []
    // Every table below is keyed by keyOf(): no two pairs share a key,
    // whatever "_" or digits their names hold.
    // Key -> [path, item] of requests, to ask again after a reconnection.
    property var waiting: Object.create(null)
    // Key -> [path, item] of values not read since the link was lost.
    property var stale: Object.create(null)
    // Key -> total length of the values its history holds.
    property var historyLengths: Object.create(null)
    // Key -> the first record after the last outage: older ones belong to
    // a stretch the link did not see the end of.
    property var firstCurrent: Object.create(null)
    // Refused names are logged at most once a minute.
    property int refusedSinceLog: 0
    property Timer refusalLogPause

    signal updated(string identifier)
    // Before updated, for whoever needs the pair itself.
    signal itemStored(string path, string item)

    // The one key of a path/item pair in every table: the path's length
    // makes it unambiguous.
    function keyOf(path, item) {
        return path.length + ":" + path + item;
    }

    function refuseNewItem(path, item) {
        ++refusedSinceLog;
        if (refusalLogPause.running)
            return ;

        console.warn("Cache: holding " + maxItems + " items already, refused " + refusedSinceLog + " new one(s), the last " + JSON.stringify(String(path).substring(0, 40)) + " " + JSON.stringify(String(item).substring(0, 60)));
        refusedSinceLog = 0;
        refusalLogPause.start();
    }

    function addItem(path, item, value, unit, time) {
        const key = keyOf(path, item);
        let items = itemCache[path];
        let entries = items === undefined ? undefined : items[item];
        if (entries === undefined && itemCount >= maxItems) {
            refuseNewItem(path, item);
            return ;
        }
        // Inline, not deleteInWaitlist(): this runs for every value received.
        const index = waitList.indexOf(key);
        if (index !== -1)
            waitList.splice(index, 1);

        delete waiting[key];
        const wasStale = key in stale;
        delete stale[key];
        if (items === undefined) {
            items = Object.create(null);
            itemCache[path] = items;
        }
        if (entries === undefined) {
            entries = [];
            items[item] = entries;
            ++itemCount;
        }
        const lengths = historyLengths;
        let length = (lengths[key] || 0) + String(value).length;
        const record = [time, value, unit];
        entries.push(record);
        if (wasStale)
            firstCurrent[key] = record;

        // Long values make a history costly: it also keeps to a total
        // length of values, the newest always kept.
        const maxSize = maxItemCacheSize;
        const maxLength = maxItemCacheLength;
        while (entries.length > 1 && (entries.length > maxSize || length > maxLength)) {
            length -= String(entries[0][1]).length;
            entries.shift();
        }
        lengths[key] = length;
        itemStored(path, item);
        updated(path + "_" + item);
    }

    function getItem(path, item, history) {
        if (path === undefined)
            path = "";

        if (item === undefined || item === "")
            return ["", "", ""];

        const items = itemCache[path];
        const entries = items === undefined ? undefined : items[item];
        if (entries !== undefined)
            return history === true ? entries.slice() : entries[entries.length - 1].slice();

        triggerRequest(path, item);
        return history === true ? [["", "", ""]] : ["", "", ""];
    }

    // The history since the value last became current, oldest first; empty
    // while it is not current.
    function currentHistory(path, item) {
        if (!isCurrent(path, item))
            return [];

        const entries = itemCache[path][item];
        const first = entries.indexOf(firstCurrent[keyOf(path, item)]);
        return entries.slice(first === -1 ? 0 : first);
    }

    function triggerRequest(path, item) {
        const key = keyOf(path, item);
        if (isInWaitlist(key))
            return ;

        main.requestUpdate(path, item);
        addToWaitlist(key);
        waiting[key] = [path, item];
    }

    function isCurrent(path, item) {
        const items = itemCache[path];
        return items !== undefined && items[item] !== undefined && !(keyOf(path, item) in stale);
    }

    // Every held value is only the last known one from now on; subscribers
    // are told so they can show it as such.
    function markStale() {
        for (const path of Object.keys(itemCache)) {
            for (const item of Object.keys(itemCache[path])) {
                stale[keyOf(path, item)] = [path, item];
                updated(path + "_" + item);
            }
        }
    }

    // [path, item] of every value to read again after a (re)login: the stale
    // ones and the requests that may have been lost with a socket.
    function refreshList() {
        const list = [];
        for (const key of Object.keys(stale)) list.push(stale[key])
        for (const key of waitList) {
            if (key in waiting)
                list.push(waiting[key]);

        }
        return list;
    }

    function getItemsByPath(path, type, value, latestOnly) {
        if (path === undefined)
            path = "";

        if (type === undefined)
            type = "";

        const records = [];
        for (const itemPath of Object.keys(itemCache)) {
            // includes(), not indexOf(): the engine finds no "" in "".
            if (!itemPath.includes(path))
                continue;

            const items = itemCache[itemPath];
            for (const item of Object.keys(items)) {
                if (!item.includes(type))
                    continue;

                const entries = items[item];
                for (let i = latestOnly === true ? entries.length - 1 : 0; i < entries.length; ++i) {
                    const entry = entries[i];
                    // Loose equality on purpose: the number 1 matches "1".
                    if (value !== undefined && entry[1] != value)
                        continue;

                    records.push({
                        "path": itemPath,
                        "item": item,
                        "time": entry[0],
                        "value": entry[1],
                        "unit": entry[2]
                    });
                }
            }
        }
        return records;
    }

    function addToWaitlist(key) {
        deleteInWaitlist(key);
        waitList.push(key);
        return true;
    }

    function isInWaitlist(key) {
        return waitList.indexOf(key) !== -1;
    }

    function deleteInWaitlist(key) {
        const index = waitList.indexOf(key);
        if (index !== -1)
            waitList.splice(index, 1);

        delete waiting[key];
        return true;
    }

    refusalLogPause: Timer {
        interval: 60000
    }

}
