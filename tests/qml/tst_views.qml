import QtQuick 2.12
import QtTest 1.12
import "fixtures/views.js" as Views

// View switching and the commands that only change views.
TestCase {
    id: testCase

    function initTestCase() {
        Views.waitForStart(testCase, main);
    }

    function findLoader() {
        for (let i = 0; i < main.children.length; ++i) {
            if (main.children[i].item !== undefined)
                return main.children[i];

        }
        return null;
    }

    function test_changeViewLoadsWithParams() {
        main.changeView("Probe", {
            "label": "first",
            "cID": "0.0"
        });
        const view = findLoader().item;
        verify(view !== null);
        compare(view.label, "first");
        compare(view.cID, "0.0");
        compare(view.initCalls, ["Probe"]);
        compare(main.currentView, "Probe");
        compare(main.currentViewParams.label, "first");
        verify(findLoader().focus);
    }

    function test_lastViewToggles() {
        main.changeView("Probe", {
            "label": "a"
        });
        main.command("openMenu");
        compare(main.currentView, "Menu");
        compare(main.previousView, "Probe");
        main.lastView();
        compare(main.currentView, "Probe");
        compare(findLoader().item.label, "a");
        compare(main.previousView, "Menu");
        main.command("lastView");
        compare(main.currentView, "Menu");
        compare(main.currentViewParams, {
            "modelToLoad": "configMain"
        });
    }

    function test_keepPreviousKeepsBackTarget() {
        main.changeView("Probe", {
            "label": "back target"
        });
        main.changeView("Probe", {
            "label": "second"
        });
        compare(main.previousViewParams.label, "back target");
        main.changeView("Probe", {
            "label": "third"
        }, true);
        compare(main.previousViewParams.label, "back target");
        compare(main.currentViewParams.label, "third");
        main.lastView();
        compare(findLoader().item.label, "back target");
    }

    function test_viewCommands_data() {
        return [{
            "tag": "openHomescreen",
            "view": "Home",
            "params": {
            }
        }, {
            "tag": "openMenu",
            "view": "Menu",
            "params": {
                "modelToLoad": "configMain"
            }
        }, {
            "tag": "openIpSettings",
            "view": "Menu",
            "params": {
                "modelToLoad": "configRemote"
            }
        }, {
            "tag": "openUsbSettings",
            "view": "Menu",
            "params": {
                "modelToLoad": "configHardware_interfaces_usb"
            }
        }, {
            "tag": "selectChannel",
            "view": "Channel",
            "params": {
            },
            "selection": "0.0.1"
        }, {
            "tag": "openOsci",
            "view": "Oscilloscope",
            "params": {
            }
        }, {
            "tag": "openChannelList",
            "view": "Channellist",
            "params": {
                "cID": "0.0"
            }
        }, {
            "tag": "openVoltageMenu",
            "view": "Menu",
            "params": {
                "modelToLoad": "channelSetup_voltageMenu"
            }
        }, {
            "tag": "openCurrentMenu",
            "view": "Menu",
            "params": {
                "modelToLoad": "channelSetup_currentMenu"
            }
        }, {
            "tag": "openChannelSetup",
            "view": "Menu",
            "params": {
                "modelToLoad": "configHardware_channelSetup",
                "backMode": "lastView"
            }
        }, {
            "tag": "openTest",
            "view": "Test",
            "params": {
            }
        }];
    }

    function test_viewCommands(data) {
        main.changeView("Probe", {
            "label": "before"
        });
        if (data.selection)
            main.setSelectedChannel(data.selection);

        main.command(data.tag);
        compare(main.currentView, data.view);
        compare(main.currentViewParams, data.params);
        compare(main.previousView, "Probe");
        compare(main.previousViewParams.label, "before");
    }

    function test_unloadableViewKeepsCurrent_data() {
        return [{
            "tag": "missing",
            "view": "NoSuchView",
            "warning": /cannot open view NoSuchView:.*No such file or directory/
        }, {
            "tag": "broken",
            "view": "Broken",
            "warning": /cannot open view Broken:.*Broken\.qml:6/
        }];
    }

    function test_unloadableViewKeepsCurrent(data) {
        const alerts = [];
        const record = function record(type, message, state) {
            alerts.push([type, message, state]);
        };
        main.changeView("Probe", {
            "label": "stay"
        });
        main.alert.connect(record);
        ignoreWarning(data.warning);
        const changed = main.changeView(data.view, {
            "label": "new"
        });
        main.alert.disconnect(record);
        verify(!changed);
        compare(main.currentView, "Probe");
        compare(main.currentViewParams.label, "stay");
        compare(findLoader().item.label, "stay");
        compare(alerts, [["error", "VIEW " + data.view.toUpperCase() + " CANNOT BE OPENED", "error"]]);
    }

    function test_unknownCommandDoesNothing() {
        main.changeView("Probe", {
            "label": "stay"
        });
        main.command("noSuchCommand", {
            "mode": "x"
        });
        compare(main.currentView, "Probe");
        compare(findLoader().item.label, "stay");
    }

    name: "Views"
}
