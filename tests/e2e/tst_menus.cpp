// The settings menus of the real root screen, connected to the virtual
// supply: grabbed from a real window, and one value set by wheel and soft
// keys as an operator would.
#include "panel.h"
#include "pixels.h"
#include "supplyprocess.h"

#include <QFile>
#include <QQuickItem>
#include <QtTest>

class tst_Menus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void screens_data();
    void screens();
    void notConnectedShowsRemoteSetup();
    void standbyTimeSetByWheel();
};

// The view slot is the root's child with the load parameters.
static QObject *view(Panel &panel)
{
    for (QObject *object : panel.root()->children()) {
        if (object->property("params").isValid())
            return object->property("item").value<QObject *>();
    }
    return nullptr;
}

static QVariant viewCommand(Panel &panel, const QString &action, const QVariantMap &params = {})
{
    QVariant result;
    QMetaObject::invokeMethod(view(panel), "command", Q_RETURN_ARG(QVariant, result),
                              Q_ARG(QVariant, action), Q_ARG(QVariant, params));
    return result;
}

static void trigger(Panel &panel, const QString &cID, const QVariantMap &params)
{
    panel.call("triggerComponent", { cID, params });
}

static void pressKey(Panel &panel, const QString &cID)
{
    trigger(panel, cID, { { "action", "pressed" } });
    trigger(panel, cID, { { "action", "released" } });
}

static void turn(Panel &panel, int steps)
{
    trigger(panel, QStringLiteral("wh1"), { { "action", "turned" }, { "steps", steps } });
}

static QQuickItem *menuList(Panel &panel)
{
    return view(panel)->findChild<QQuickItem *>(QStringLiteral("menuList"));
}

static void openMenu(Panel &panel, const QString &menu, const QString &channel)
{
    panel.call("setSelectedChannel", { channel });
    panel.call("changeView", { "Menu", QVariantMap { { "modelToLoad", menu } }, false });
}

static void selectRow(Panel &panel, int index)
{
    menuList(panel)->setProperty("currentIndex", index);
}

void tst_Menus::initTestCase()
{
    Panel::prepareApplication();
}

void tst_Menus::screens_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("edit");
    QTest::addColumn<QString>("file");

    QTest::newRow("settings tree") << "configMain" << 0 << false << "zandor-menu-settings.png";
    QTest::newRow("channel setup")
            << "configHardware_channelSetup" << 1 << false << "zandor-menu-channel.png";
    QTest::newRow("voltage in edit")
            << "channelSetup_voltageMenu" << 0 << true << "zandor-menu-voltage-edit.png";
    QTest::newRow("display in edit")
            << "configHardware_deviceSetup_display" << 1 << true << "zandor-menu-display-edit.png";
    QTest::newRow("configuration name in edit")
            << "configReset" << 3 << true << "zandor-menu-save-edit.png";
    QTest::newRow("remote set-up") << "configRemote" << 1 << false << "zandor-menu-remote.png";
    QTest::newRow("device info") << "configInfo" << 0 << false << "zandor-menu-info.png";
}

void tst_Menus::screens()
{
    QFETCH(QString, menu);
    QFETCH(int, row);
    QFETCH(bool, edit);
    QFETCH(QString, file);

    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("numberOfChannels").toInt() > 0, 10000);
    openMenu(panel, menu, QStringLiteral("0.0.1"));
    QCOMPARE(view(panel)->property("shownMenu").toString(), menu);
    selectRow(panel, row);
    QTest::qWait(1500); // values answered, fades settled
    if (edit) {
        viewCommand(panel, QStringLiteral("editItem"));
        QCOMPARE(view(panel)->property("mode").toString(), QStringLiteral("edit"));
        QTest::qWait(800);
    }

    const QImage image = grab(panel.view(), file);
    QCOMPARE(image.size(), QSize(480, 272));
    QVERIFY2(bright(image, QRect(10, 25, 300, 20)) > 20 || edit, "no title");
    QVERIFY2(bright(image, QRect(10, 55, 360, 35 * 4)) > 100, "no row texts");
    QVERIFY2(bright(image, QRect(380, 27, 100, 50)) > 20, "no soft-key label");
}

void tst_Menus::notConnectedShowsRemoteSetup()
{
    Panel panel(SupplyProcess::freePort());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(), QStringLiteral("Menu"),
                              3000);
    panel.command(QStringLiteral("openMenu"));
    QTest::qWait(1500); // the alert strip fades in
    const QImage image = grab(panel.view(), QStringLiteral("zandor-menu-not-connected.png"));
    // The warning strip at the bottom.
    QVERIFY2(count(image, QRect(0, 252, 480, 18), QColor(QStringLiteral("#fdcf30")), 70) > 2000,
             "no warning strip");
    QCOMPARE(menuList(panel)->property("count").toInt(), 4);
}

void tst_Menus::standbyTimeSetByWheel()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("numberOfChannels").toInt() > 0, 10000);
    const QString standby = QStringLiteral("hardwareConfig/device@id=0-0/@displayStandby");
    panel.call("setConfigValue", { standby, "10" });

    // SETTINGS, then by wheel and keys down to the display menu.
    panel.command(QStringLiteral("openMenu"));
    pressKey(panel, QStringLiteral("bb_bt1")); // HARDWARE-SETUP
    pressKey(panel, QStringLiteral("bb_bt1")); // DEVICE-SETUP
    turn(panel, -1);
    turn(panel, -1);
    turn(panel, -1);
    pressKey(panel, QStringLiteral("bb_bt1")); // DISPLAY
    QCOMPARE(view(panel)->property("shownMenu").toString(),
             QStringLiteral("configHardware_deviceSetup_display"));
    turn(panel, -1);
    QObject *row = menuList(panel)->property("currentItem").value<QObject *>();
    QCOMPARE(row->property("label").toString(), QStringLiteral("Display Standby time"));
    QTRY_COMPARE(row->property("itemValueLabel").toString(), QStringLiteral("10 minutes"));

    pressKey(panel, QStringLiteral("bb_bt1")); // EDIT
    turn(panel, -1);
    turn(panel, -1);
    pressKey(panel, QStringLiteral("bb_bt1")); // APPLY

    // The supply receives the whole configuration with the new value.
    QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const QJsonValue &frame : supply.received()) {
                    if (frame[QStringLiteral("t")].toString() == QLatin1String("setConfig")
                        && QByteArray::fromBase64(frame[QStringLiteral("d")].toString().toLatin1())
                                   .contains("displayStandby=\"2\""))
                        return true;
                }
                return false;
            }(),
            5000);
    QFile local(QStringLiteral("lumaConfiguration.xml"));
    QVERIFY(local.open(QIODevice::ReadOnly));
    QVERIFY(local.readAll().contains("displayStandby=\"2\""));
    // Read back from the supply a second later, and shown.
    QTest::qWait(1500);
    QCOMPARE(panel.call("getConfigValue", { standby }).toString(), QStringLiteral("2"));
    QCOMPARE(row->property("itemValueLabel").toString(), QStringLiteral("2 minutes"));
}

QTEST_MAIN(tst_Menus)
#include "tst_menus.moc"
