import QtQuick 2.12

// The hand-out of state updates to the components that asked for them.
// An update reaches only those whose key it contains, so one value costs
// what it concerns, not a call into every component; a subscriber that
// fails is logged and the others are still served.
QtObject {
    // {owner, key, handler}, in subscription order.
    property var subscriptions: []

    // Calls handler(identifier) for every update whose identifier contains
    // key; every identifier the handler accepts must contain it. Subscribing
    // again for a known owner replaces its key and handler and keeps its
    // place in the order.
    function subscribe(owner, key, handler) {
        for (const subscription of subscriptions) {
            if (subscription.owner === owner) {
                subscription.key = key;
                if (handler !== undefined)
                    subscription.handler = handler;

                return ;
            }
        }
        // A new list: an update being handed out keeps the one it started with.
        subscriptions = subscriptions.concat([{
            "owner": owner,
            "key": key,
            "handler": handler
        }]);
    }

    function unsubscribe(owner) {
        subscriptions = subscriptions.filter(function(subscription) {
            if (subscription.owner !== owner)
                return true;

            subscription.handler = null;
            return false;
        });
    }

    function ownerName(owner) {
        if (owner === null || owner === undefined)
            return String(owner);

        const name = owner.objectName ? owner.objectName : "";
        return String(owner) + (name !== "" ? " \"" + name + "\"" : "") + (owner.cID !== undefined ? " cID \"" + owner.cID + "\"" : "");
    }

    function deliver(identifier) {
        const list = subscriptions;
        for (let i = 0; i < list.length; ++i) {
            const subscription = list[i];
            // Gone while this update was handed out: as a disconnected slot.
            if (subscription.handler === null || !identifier.includes(subscription.key))
                continue;

            try {
                subscription.handler(identifier);
            } catch (e) {
                console.warn("Subscriptions: the subscriber " + ownerName(subscription.owner) + " failed on \"" + identifier + "\": " + e);
            }
        }
    }

}
