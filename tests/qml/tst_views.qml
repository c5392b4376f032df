import QtQuick 2.12
import QtTest 1.12

// View switching and the commands that only change views.
TestCase {
    id: testCase

    function initTestCase() {
        // With no supply answering, the root screen opens the connection
        // settings once after a second; that view is not part of the program yet.
        ignoreWarning("qrc:/views/Menu.qml: No such file or directory");
        tryVerify(function() {
            return main.currentView === "Menu";
        }, 3000);
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
        ignoreWarning("qrc:/views/Menu.qml: No such file or directory");
        main.command("openMenu");
        compare(main.currentView, "Menu");
        compare(main.previousView, "Probe");
        main.lastView();
        compare(main.currentView, "Probe");
        compare(findLoader().item.label, "a");
        compare(main.previousView, "Menu");
        ignoreWarning("qrc:/views/Menu.qml: No such file or directory");
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
            },
            "loads": true
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
            }
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
            },
            "loads": true
        }];
    }

    function test_viewCommands(data) {
        main.changeView("Probe", {
            "label": "before"
        });
        if (!data.loads)
            ignoreWarning("qrc:/views/" + data.view + ".qml: No such file or directory");

        main.command(data.tag);
        compare(main.currentView, data.view);
        compare(main.currentViewParams, data.params);
        compare(main.previousView, "Probe");
        compare(main.previousViewParams.label, "before");
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
