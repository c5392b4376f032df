import QtQuick 2.12

// The values the supply reported, with a short history per item. Paths and
// item names are keys of objects without prototype, so any name the supply
// sends is stored as itself; iteration follows first-stored order
// (integer-like paths such as "0" first, as script objects order them).
QtObject {
    id: cache

    property int maxItemCacheSize: 100
    property int maxItemCacheLength: 16384
    property var itemCache: Object.create(null)
    property var waitList: []
    // Wait-list key -> [path, item], to ask again after a reconnection.
    property var waiting: Object.create(null)
    // "path_item" -> [path, item] of values not read since the link was lost.
    property var stale: Object.create(null)
    // "path_item" -> total length of the values its history holds.
    property var historyLengths: Object.create(null)

    signal updated(string identifier)

    function addItem(path, item, value, unit, time) {
        const identifier = path + "_" + item;
        // Inline, not deleteInWaitlist(): this runs for every value received.
        const key = path + item;
        const index = waitList.indexOf(key);
        if (index !== -1)
            waitList.splice(index, 1);

        delete waiting[key];
        delete stale[identifier];
        let items = itemCache[path];
        if (items === undefined) {
            items = Object.create(null);
            itemCache[path] = items;
        }
        let entries = items[item];
        if (entries === undefined) {
            entries = [];
            items[item] = entries;
        }
        const lengths = historyLengths;
        let length = (lengths[identifier] || 0) + String(value).length;
        entries.push([time, value, unit]);
        // Long values make a history costly: it also keeps to a total
        // length of values, the newest always kept.
        const maxSize = maxItemCacheSize;
        const maxLength = maxItemCacheLength;
        while (entries.length > 1 && (entries.length > maxSize || length > maxLength)) {
            length -= String(entries[0][1]).length;
            entries.shift();
        }
        lengths[identifier] = length;
        updated(identifier);
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

    function triggerRequest(path, item) {
        const key = path + item;
        if (isInWaitlist(key))
            return ;

        main.requestUpdate(path, item);
        addToWaitlist(key);
        waiting[key] = [path, item];
    }

    function isCurrent(path, item) {
        const items = itemCache[path];
        return items !== undefined && items[item] !== undefined && !((path + "_" + item) in stale);
    }

    // Every held value is only the last known one from now on; subscribers
    // are told so they can show it as such.
    function markStale() {
        for (const path of Object.keys(itemCache)) {
            for (const item of Object.keys(itemCache[path])) {
                stale[path + "_" + item] = [path, item];
                updated(path + "_" + item);
            }
        }
    }

    // [path, item] of every value to read again after a (re)login: the stale
    // ones and the requests that may have been lost with a socket.
    function refreshList() {
        const list = [];
        for (const identifier of Object.keys(stale)) list.push(stale[identifier])
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

}
