// The settings menus of the real root screen against the virtual supply,
// worked as an operator would: soft keys by pointer, the wheel, the
// physical keyboard and the on-screen keys.
#include "items.h"
#include "panel.h"
#include "pixels.h"
#include "supplyprocess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QQuickItem>
#include <QtTest>

class tst_Menus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void screens_data();
    void screens();
    void everyAddressResolvesOnTheSupply();
    void displayStandbyFromHome();
    void voltageSetByDigitsAndWheel();
    void currentMenuReachesTheSupply();
    void currentRampTyped();
    void rampForAllChannels();
    void configurationSavedAndRestored();
    void usbRowShowsTheSupplysWord();
    void remoteSetupReconnects();
    void linkLostInAChannelMenu_data();
    void linkLostInAChannelMenu();
};

// The view slot: the root's child that holds the shown view.
static QObject *view(Panel &panel)
{
    for (QObject *child : panel.root()->children()) {
        if (child->metaObject()->indexOfProperty("sourceComponent") >= 0)
            return child->property("item").value<QObject *>();
    }
    return nullptr;
}

// Searched in the shown view only: a replaced view may linger a moment.
static QQuickItem *item(Panel &panel, const QString &name)
{
    QList<QQuickItem *> found;
    if (auto *shown = qobject_cast<QQuickItem *>(view(panel)))
        collect(shown, name, found);
    return found.value(0);
}

static QString shownMenu(Panel &panel)
{
    QObject *shown = view(panel);
    return shown ? shown->property("shownMenu").toString() : QString();
}

static QString current(Panel &panel)
{
    QObject *shown = view(panel);
    if (!shown)
        return QString();
    return shown->property("currentItem").value<QObject *>()
            ? shown->property("currentItem").value<QObject *>()->property("_itemName").toString()
            : QString();
}

static QObject *rowInEdit(Panel &panel)
{
    QObject *shown = view(panel);
    return shown ? shown->property("itemInEdit").value<QObject *>() : nullptr;
}

static QString keyLabel(Panel &panel, const QString &key)
{
    QQuickItem *button = item(panel, key);
    QQuickItem *label = button ? button->findChild<QQuickItem *>(QStringLiteral("label")) : nullptr;
    return label ? label->property("text").toString() : QStringLiteral("<missing>");
}

// Clicks a soft key after checking its caption, as the operator reads it.
static bool softKey(Panel &panel, const QString &key, const QString &caption)
{
    if (keyLabel(panel, key) != caption) {
        qWarning() << key << "reads" << keyLabel(panel, key) << "instead of" << caption;
        return false;
    }
    Panel::paceTap();
    QQuickItem *button = item(panel, key);
    // Right of centre: the wheel's edge covers the keys' left side.
    const QPointF point(button->width() / 2 + 20, button->height() / 2);
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, button->mapToScene(point).toPoint());
    return true;
}

static void turn(Panel &panel, int steps)
{
    panel.call("triggerComponent",
               { "wh1", QVariantMap { { "action", "turned" }, { "steps", steps } } });
    QTest::qWait(20);
}

// Walks the list with the wheel until the named entry is the current one.
static bool walkTo(Panel &panel, const QString &name)
{
    for (int i = 0; i < 12 && current(panel) != name; ++i)
        turn(panel, -1);
    for (int i = 0; i < 12 && current(panel) != name; ++i)
        turn(panel, 1);
    return current(panel) == name;
}

// Clicks a key of the on-screen keyboard by its caption.
static bool screenKey(Panel &panel, const QString &caption)
{
    QList<QQuickItem *> found;
    if (auto *shown = qobject_cast<QQuickItem *>(view(panel)))
        collect(shown, QString(), found);
    for (QQuickItem *key : found) {
        if (key->property("clickAction").isValid() && key->property("label").toString() == caption
            && key->isVisible()
            && key->property("cID").toString() == QLatin1String("undefined key")) {
            const QPointF centre(key->width() / 2, key->height() / 2);
            QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, key->mapToScene(centre).toPoint());
            return true;
        }
    }
    qWarning() << "no on-screen key" << caption;
    return false;
}

static QString cached(Panel &panel, const QString &path, const QString &name)
{
    return panel.call("getItemValue", { path, name }).toList().value(1).toString();
}

static QString text(QQuickItem *item)
{
    return item ? item->property("text").toString() : QStringLiteral("<missing>");
}

static QString configOf(Panel &panel, const QString &path)
{
    return panel.call("getConfigValue", { path }).toString();
}

// The XML of every "setConfig" the supply received.
static QStringList sentConfigurations(const SupplyProcess &supply)
{
    QStringList result;
    for (const QJsonValue &frame : supply.received()) {
        const QJsonObject envelope = frame.toObject();
        if (envelope.value("t").toString() == QLatin1String("setConfig"))
            result << QString::fromUtf8(
                    QByteArray::fromBase64(envelope.value("d").toString().toLatin1()));
    }
    return result;
}

static bool connectedPanel(Panel &panel)
{
    return QTest::qWaitFor(
            [&] {
                return panel.property("currentView").toString() == QLatin1String("Channellist");
            },
            10000);
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
    QTest::newRow("remote encryption in edit")
            << "configRemote" << 4 << true << "zandor-menu-remote-tls-edit.png";
    QTest::newRow("remote CA certificate")
            << "configRemote" << 5 << false << "zandor-menu-remote-ca.png";
    QTest::newRow("device info") << "configInfo" << 0 << false << "zandor-menu-info.png";
}

// Each kind of menu drawn in a real window, texts where the operator reads them.
void tst_Menus::screens()
{
    QFETCH(QString, menu);
    QFETCH(int, row);
    QFETCH(bool, edit);
    QFETCH(QString, file);

    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QVERIFY(connectedPanel(panel));
    panel.call("setSelectedChannel", { "0.0.1" });
    panel.call("changeView", { "Menu", QVariantMap { { "modelToLoad", menu } }, false });
    QCOMPARE(shownMenu(panel), menu);
    view(panel)->findChild<QQuickItem *>("menuList")->setProperty("currentIndex", row);
    QTest::qWait(1500); // values answered, fades settled
    if (edit) {
        QMetaObject::invokeMethod(view(panel), "command", Q_ARG(QVariant, "editItem"),
                                  Q_ARG(QVariant, QVariantMap()));
        QCOMPARE(view(panel)->property("mode").toString(), QStringLiteral("edit"));
        QTest::qWait(800);
    }

    const QImage image = grab(panel.view(), file);
    QCOMPARE(image.size(), QSize(480, 272));
    QVERIFY2(bright(image, QRect(10, 25, 300, 20)) > 20 || edit, "no title");
    QVERIFY2(bright(image, QRect(10, 55, 360, 35 * 4)) > 100, "no row texts");
    QVERIFY2(bright(image, QRect(380, 27, 100, 50)) > 20, "no soft-key label");
}

// Every value a menu shows is there on the supply: configuration paths in
// its configuration, device items answered.
void tst_Menus::everyAddressResolvesOnTheSupply()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QVERIFY(connectedPanel(panel));
    panel.call("setSelectedChannel", { "0.0.0" });
    panel.command("openMenu");
    QObject *structure = nullptr;
    for (QObject *object : view(panel)->findChildren<QObject *>()) {
        if (object->metaObject()->indexOfMethod("getMenu(QVariant)") >= 0)
            structure = object;
    }
    QVERIFY(structure);

    QStringList pending { "configMain", "channelSetup_voltageMenu", "channelSetup_currentMenu" };
    QStringList seen;
    QStringList missing;
    QList<QPair<QString, QString>> items;
    while (!pending.isEmpty()) {
        const QString id = pending.takeFirst();
        if (seen.contains(id))
            continue;
        seen << id;
        QVariant model;
        QMetaObject::invokeMethod(structure, "getMenu", Q_RETURN_ARG(QVariant, model),
                                  Q_ARG(QVariant, id));
        QObject *list = model.value<QObject *>();
        QVERIFY2(list, qPrintable(id));
        const int count = list->property("count").toInt();
        for (int i = 0; i < count; ++i) {
            QJSValue value;
            QMetaObject::invokeMethod(list, "get", Q_RETURN_ARG(QJSValue, value), Q_ARG(int, i));
            QVariantMap e;
            for (const char *role : { "_action", "_subMenu", "_dataSource", "_itemID",
                                      "_itemIDstatus", "_dataPath" }) {
                if (!value.property(role).isUndefined())
                    e.insert(role, value.property(role).toVariant());
            }
            if (e.value("_action").toString() == QLatin1String("menu"))
                pending << e.value("_subMenu").toString();
            const QString source = e.value("_dataSource").toString();
            for (const char *role : { "_itemID", "_itemIDstatus" }) {
                QString path = e.value(role).toString();
                if (source != QLatin1String("config") || path.isEmpty())
                    continue;
                path.replace(QLatin1String("%(chIdx)"), QLatin1String("0"));
                if (configOf(panel, path).isEmpty())
                    missing << id + ": " + path;
            }
            if (source == QLatin1String("LUMA")) {
                // Without a path of its own an entry addresses the selected channel.
                const QString where = e.contains("_dataPath") ? e.value("_dataPath").toString()
                                                              : QStringLiteral("0.0.0");
                items << qMakePair(where, e.value("_itemID").toString());
                panel.call("getItemValue", { where, e.value("_itemID") });
            }
        }
    }
    QCOMPARE(seen.size(), 24);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join("; ")));
    // Items not cached were asked for: every one is answered.
    for (const auto &[path, name] : items) {
        QVERIFY2(QTest::qWaitFor([&] { return !cached(panel, path, name).isEmpty(); }, 5000),
                 qPrintable(path + " " + name + " not answered"));
    }
}

void tst_Menus::displayStandbyFromHome()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QVERIFY(connectedPanel(panel));
    QCOMPARE(configOf(panel, "hardwareConfig/device@id=0-0/@displayStandby"), QStringLiteral("10"));
    panel.command("openHomescreen");

    QList<QQuickItem *> cells;
    collect(qobject_cast<QQuickItem *>(view(panel)), "cellArea", cells);
    QCOMPARE(cells.size(), 3);
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {},
                      cells[2]->mapToScene(QPointF(30, 30)).toPoint());
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("configMain"));

    QVERIFY(walkTo(panel, "HARDWARE-SETUP"));
    QVERIFY(softKey(panel, "bb_bt1", "SELECT"));
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("configHardware"));
    QVERIFY(softKey(panel, "bb_bt1", "SELECT"));
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("configHardware_deviceSetup"));
    // The physical arrow keys walk the list too.
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&panel.view(), Qt::Key_Down);
    QCOMPARE(current(panel), QStringLiteral("DISPLAY"));
    QTest::keyClick(&panel.view(), Qt::Key_Return);
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("configHardware_deviceSetup_display"));
    QVERIFY(walkTo(panel, "Display Standby time"));
    QTest::qWait(300);
    QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
    QObject *row = rowInEdit(panel);
    QVERIFY(row);
    QCOMPARE(row->property("itemValueLabel").toString(), QStringLiteral("10 minutes"));
    turn(panel, -1);
    turn(panel, -1);
    QCOMPARE(row->property("itemValueLabel").toString(), QStringLiteral("2 minutes"));
    QVERIFY(softKey(panel, "bb_bt1", "APPLY"));

    QTRY_VERIFY_WITH_TIMEOUT(!sentConfigurations(supply).isEmpty(), 3000);
    QVERIFY(sentConfigurations(supply).last().contains("displayStandby=\"2\""));
    // Read back from the supply, shown, and saved then.
    const int received = supply.received().size();
    QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QList<QJsonValue> frames = supply.received().mid(received);
                return std::any_of(frames.begin(), frames.end(), [](const QJsonValue &f) {
                    return f.toObject().value("t").toString() == QLatin1String("getConfig");
                });
            }(),
            3000);
    QTest::qWait(500);
    QCOMPARE(configOf(panel, "hardwareConfig/device@id=0-0/@displayStandby"), QStringLiteral("2"));
    QFile file("lumaConfiguration.xml");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("displayStandby=\"2\""));
    QCOMPARE(current(panel), QStringLiteral("Display Standby time"));
    QCOMPARE(keyLabel(panel, "bb_bt1"), QStringLiteral("EDIT"));
    QList<QQuickItem *> rows;
    collect(qobject_cast<QQuickItem *>(view(panel)), QString(), rows);
    QStringList shown;
    for (QQuickItem *r : rows) {
        if (r->property("itemValueLabel").isValid()
            && r->property("label").toString() == "Display Standby time")
            shown << r->property("itemValueLabel").toString();
    }
    QCOMPARE(shown, QStringList { "2 minutes" });
    grab(panel.view(), "zandor-menu-display.png");
}

void tst_Menus::voltageSetByDigitsAndWheel()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QVERIFY(connectedPanel(panel));
    panel.call("setItemValue", { "0.0.1", "Control.voltageRampspeedUp", "100", "V/s" });
    panel.call("setItemValue", { "0.0.1", "Control.on", "1", "" });
    panel.call("setSelectedChannel", { "0.0.1" });
    panel.command("selectChannel");
    QTRY_COMPARE(panel.property("currentView").toString(), QStringLiteral("Channel"));
    QTRY_COMPARE(keyLabel(panel, "bb_bt2"), QStringLiteral("VOLTAGE"));
    QVERIFY(softKey(panel, "bb_bt2", "VOLTAGE"));
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("channelSetup_voltageMenu"));
    QCOMPARE(current(panel), QStringLiteral("Voltage Set"));
    QTRY_VERIFY_WITH_TIMEOUT(!cached(panel, "0.0.1", "Status.voltageLimit").isEmpty(), 3000);
    QTest::qWait(200);
    QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
    QObject *row = rowInEdit(panel);
    QVERIFY(row);
    QTRY_VERIFY(item(panel, "keyboard") && item(panel, "keyboard")->isVisible());
    grab(panel.view(), "zandor-menu-voltage-edit.png");

    // Start from zero typed on the on-screen keys, then digits by wheel.
    QVERIFY(screenKey(panel, "0"));
    QVERIFY(softKey(panel, "bb_bt2", "AUTO-APPLY")); // on
    QVERIFY(softKey(panel, "bb_bt2", "AUTO-APPLY")); // and off again
    QTest::keyClick(&panel.view(), Qt::Key_Up); // a step re-formats the typed zero
    QTest::keyClick(&panel.view(), Qt::Key_Down);
    QCOMPARE(row->property("itemValueLabel").toString(), QStringLiteral("0000.000"));
    turn(panel, 3);
    QVERIFY(softKey(panel, "bb_bt3", "DIGIT"));
    turn(panel, 2);
    QVERIFY(softKey(panel, "bb_bt3", "DIGIT"));
    turn(panel, 1);
    QCOMPARE(row->property("itemValueLabel").toString(), QStringLiteral("0123.000"));
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&panel.view(), Qt::Key_Right);
    for (int i = 0; i < 5; ++i)
        turn(panel, 1);
    QCOMPARE(row->property("itemValueLabel").toString(), QStringLiteral("0123.500"));
    QVERIFY(softKey(panel, "bb_bt1", "APPLY"));

    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains("0 0 1 Control.voltageSet 0123.500"), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(cached(panel, "0.0.1", "Control.voltageSet").toDouble() == 123.5,
                             3000);
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(cached(panel, "0.0.1", "Status.voltageMeasure").toDouble()) > 20,
                             5000);
    panel.command("openChannelList");
    QTRY_COMPARE(panel.property("currentView").toString(), QStringLiteral("Channellist"));
    QList<QQuickItem *> sets;
    collect(qobject_cast<QQuickItem *>(view(panel)), "vset", sets);
    QStringList texts;
    for (QQuickItem *set : sets)
        texts << set->property("text").toString();
    QVERIFY2(texts.value(1).startsWith("123.5"), qPrintable(texts.join(", ")));
}

void tst_Menus::currentMenuReachesTheSupply()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QVERIFY(connectedPanel(panel));
    panel.call("setSelectedChannel", { "0.0.2" });
    panel.command("selectChannel");
    QTRY_COMPARE(keyLabel(panel, "bb_bt3"), QStringLiteral("CURRENT"));
    QVERIFY(softKey(panel, "bb_bt3", "CURRENT"));
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("channelSetup_currentMenu"));
    QTRY_VERIFY_WITH_TIMEOUT(!cached(panel, "0.0.2", "Status.currentLimit").isEmpty(), 3000);
    QTest::qWait(200);

    // Typed on the on-screen keys.
    QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
    for (const QString key : { "0", ".", "5" })
        QVERIFY(screenKey(panel, key));
    QCOMPARE(rowInEdit(panel)->property("itemValueLabel").toString(), QStringLiteral("0.5"));
    QVERIFY(softKey(panel, "bb_bt1", "APPLY"));
    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains("0 0 2 Control.currentSet 0.5"), 3000);

    QVERIFY(walkTo(panel, "Trip Mode"));
    QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
    turn(panel, 1);
    QCOMPARE(rowInEdit(panel)->property("itemValueLabel").toString(),
             QStringLiteral("turn off ch. with ramp"));
    QVERIFY(softKey(panel, "bb_bt1", "APPLY"));
    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains("0 0 2 Setup.delayedTripAction 1"), 3000);

    QVERIFY(walkTo(panel, "Delayed Trip Time"));
    QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
    const int before = rowInEdit(panel)->property("itemValue").toInt();
    turn(panel, 5);
    QVERIFY(softKey(panel, "bb_bt1", "APPLY"));
    const QString expected = QStringLiteral("0 0 2 Setup.delayedTripTime %1").arg(before + 5);
    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains(expected), 3000);
    QTRY_COMPARE_WITH_TIMEOUT(cached(panel, "0.0.2", "Setup.delayedTripTime").toInt(), before + 5,
                              3000);
}

// A ramp of 0.5 mA/s typed key by key: with the supply's minimum of
// 0.001 mA/s its first "0" must be taken.
void tst_Menus::currentRampTyped()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QVERIFY(connectedPanel(panel));
    panel.call("setSelectedChannel", { "0.0.1" });
    panel.call("changeView",
               { "Menu", QVariantMap { { "modelToLoad", "configHardware_channelSetup" } }, false });
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("configHardware_channelSetup"));
    QTRY_VERIFY_WITH_TIMEOUT(!cached(panel, "0.0.1", "Status.currentRampspeedMin").isEmpty(), 3000);
    QVERIFY(walkTo(panel, "Current Ramp Up"));
    QTest::qWait(300);
    QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
    QTRY_VERIFY(item(panel, "keyboard") && item(panel, "keyboard")->isVisible());
    QTRY_VERIFY(item(panel, "tooltip")
                        ->property("text")
                        .toString()
                        .startsWith("Limits: 0.001 … 1 mA/s"));
    for (const QString key : { "0", ".", "5" })
        QVERIFY(screenKey(panel, key));
    QCOMPARE(rowInEdit(panel)->property("itemValueLabel").toString(), QStringLiteral("0.5"));
    grab(panel.view(), "zandor-menu-ramp-typed.png");
    QVERIFY(softKey(panel, "bb_bt1", "APPLY"));
    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains("0 0 1 Control.currentRampspeedUp 0.5"),
                             3000);
    QTRY_COMPARE_WITH_TIMEOUT(cached(panel, "0.0.1", "Control.currentRampspeedUp"),
                              QStringLiteral("0.5"), 3000);
}

// One ramp for all channels, reached as the operator does; every channel
// reports it, and the row shows the common value.
void tst_Menus::rampForAllChannels()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QVERIFY(connectedPanel(panel));
    const int channels = panel.property("numberOfChannels").toInt();
    QVERIFY(channels > 1);
    panel.command("openMenu");
    QVERIFY(walkTo(panel, "HARDWARE-SETUP"));
    QVERIFY(softKey(panel, "bb_bt1", "SELECT"));
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("configHardware"));
    QVERIFY(walkTo(panel, "CHANNEL-SETUP"));
    QVERIFY(softKey(panel, "bb_bt1", "SELECT"));
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("configHardware_channelList"));
    QVERIFY(walkTo(panel, "ALL CHANNELS"));
    QVERIFY(softKey(panel, "bb_bt1", "SELECT"));
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("configHardware_channelSetup"));
    QVERIFY(walkTo(panel, "Voltage Ramp Up"));
    QTest::qWait(500);
    QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
    QObject *row = rowInEdit(panel);
    QVERIFY(row);
    for (const QString key : { "2", "5", "0" })
        QVERIFY(screenKey(panel, key));
    QVERIFY(softKey(panel, "bb_bt1", "APPLY"));

    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains("0 0 * Control.voltageRampspeedUp 250"),
                             3000);
    for (int i = 0; i < channels; ++i) {
        const QString path = QStringLiteral("0.0.%1").arg(i);
        QTRY_COMPARE_WITH_TIMEOUT(cached(panel, path, "Control.voltageRampspeedUp").toDouble(),
                                  250.0, 3000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(row->property("itemValueLabel").toString().toDouble(), 250.0, 3000);
    grab(panel.view(), "zandor-menu-all-channels.png");
}

void tst_Menus::configurationSavedAndRestored()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QVERIFY(connectedPanel(panel));
    const QString standby = "hardwareConfig/device@id=0-0/@displayStandby";
    QCOMPARE(configOf(panel, standby), QStringLiteral("10"));

    panel.command("openMenu");
    QVERIFY(walkTo(panel, "CLEAR / RESET / BACKUP / RESTORE"));
    QVERIFY(softKey(panel, "bb_bt1", "SELECT"));
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("configReset"));
    QVERIFY(walkTo(panel, "Save configuration"));
    QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
    // The view's keys as the keyboard reports them; a blank has no key.
    QObject *shown = view(panel);
    for (const QString key : { "b", "e", "n", "c", "h", " ", "1" }) {
        const QVariantMap params { { "key", key } };
        QMetaObject::invokeMethod(shown, "command", Q_ARG(QVariant, "keyPressed"),
                                  Q_ARG(QVariant, params));
    }
    grab(panel.view(), "zandor-menu-save-edit.png");
    QVERIFY(softKey(panel, "bb_bt1", "APPLY"));
    QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const QJsonValue &frame : supply.received()) {
                    for (const QJsonValue &packet : frame.toObject().value("c").toArray()) {
                        const QJsonObject p = packet.toObject();
                        if (p.value("c").toString() == "downloadFile"
                            && p.value("p").toObject().value("n").toString() == "bench_1.xml")
                            return true;
                    }
                }
                return false;
            }(),
            3000);

    // A change, then the saved file back.
    panel.call("setConfigValue", { standby, "2", "" });
    QTRY_COMPARE_WITH_TIMEOUT(configOf(panel, standby), QStringLiteral("2"), 3000);
    panel.command("getConfigFilesList");
    QTest::qWait(500);
    panel.command("openMenu");
    QVERIFY(walkTo(panel, "CLEAR / RESET / BACKUP / RESTORE"));
    QVERIFY(softKey(panel, "bb_bt1", "SELECT"));
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("configReset"));
    QVERIFY(walkTo(panel, "Restore configuration"));
    QTest::qWait(500);
    QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
    QObject *row = rowInEdit(panel);
    for (int i = 0; i < 10 && row->property("itemValue").toString() != "bench_1.xml"; ++i)
        turn(panel, -1);
    QCOMPARE(row->property("itemValue").toString(), QStringLiteral("bench_1.xml"));
    QVERIFY(softKey(panel, "bb_bt1", "APPLY"));
    QTRY_COMPARE_WITH_TIMEOUT(configOf(panel, standby), QStringLiteral("10"), 5000);
}

// The save row as the operator sees it: refused while another USB command
// waits (the edit stays open), and red when the supply reports an error.
void tst_Menus::usbRowShowsTheSupplysWord()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QVERIFY(connectedPanel(panel));
    panel.command("openMenu");
    QVERIFY(walkTo(panel, "CLEAR / RESET / BACKUP / RESTORE"));
    QVERIFY(softKey(panel, "bb_bt1", "SELECT"));
    QTRY_COMPARE(shownMenu(panel), QStringLiteral("configReset"));
    QVERIFY(walkTo(panel, "Save configuration"));
    QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
    QObject *row = rowInEdit(panel);
    QVERIFY(row);
    Panel::run(500);

    // The stick unmounted; then a restore whose error cannot be told from
    // a write's: it waits on, and the save is refused meanwhile.
    QCOMPARE(panel.command("unmountUsbDevice"), QVariant(true));
    QTRY_COMPARE_WITH_TIMEOUT(panel.call("getObjectState", { "usbAuxStatus" }).toString(),
                              QStringLiteral("off"), 3000);
    QCOMPARE(panel.command("restoreConfiguration", { { "file", "none.xml" } }), QVariant(true));
    QCOMPARE(panel.call("setItemValue", { "0.0.0", "Control.voltageSet", "10", "V" }),
             QVariant(true));
    Panel::run(300);
    QVERIFY(softKey(panel, "bb_bt1", "APPLY"));
    QCOMPARE(view(panel)->property("mode").toString(), QStringLiteral("edit"));
    QCOMPARE(text(item(panel, "alert")->findChild<QQuickItem *>("message")),
             QStringLiteral("USB BUSY: CONFIGURATION SAVE TO USB NOT SENT"));
    QCOMPARE(panel.call("getObjectState", { "wh1" }).toString(), QStringLiteral("error"));
    grab(panel.view(), "zandor-menu-usb-busy.png");

    // The restore's warning, then a save to the stick that is gone.
    QTRY_COMPARE_WITH_TIMEOUT(
            text(item(panel, "alert")->findChild<QQuickItem *>("message")),
            QStringLiteral("CONFIGURATION RESTORE FROM USB NOT CONFIRMED BY THE SUPPLY"), 6000);
    QVERIFY(softKey(panel, "bb_bt1", "APPLY"));
    QCOMPARE(view(panel)->property("mode").toString(), QStringLiteral("select"));
    QTRY_COMPARE_WITH_TIMEOUT(row->property("state").toString(), QStringLiteral("error"), 3000);
    QVERIFY(text(item(panel, "alert")->findChild<QQuickItem *>("message"))
                    .startsWith("CONFIGURATION SAVE TO USB FAILED: "));
    QCOMPARE(panel.call("getObjectState", { "wh1" }).toString(), QString());
    Panel::run(700);
    const QImage failed = grab(panel.view(), "zandor-menu-usb-error.png");
    auto *label = qobject_cast<QQuickItem *>(row)->findChild<QQuickItem *>("label");
    const QRect area = label->mapRectToScene(QRectF(0, 8, 140, 22)).toRect();
    QVERIFY2(count(failed, area, QColor(QStringLiteral("#ce0000")), 40) > 20,
             "the failed row is not drawn red");
}

void tst_Menus::remoteSetupReconnects()
{
    const quint16 nobody = SupplyProcess::freePort();
    Panel panel(nobody);
    QTRY_COMPARE_WITH_TIMEOUT(shownMenu(panel), QStringLiteral("configRemote"), 3000);
    panel.command("openMenu");
    QCOMPARE(shownMenu(panel), QStringLiteral("configRemote"));
    QTRY_VERIFY(item(panel, "alert")->property("opacity").toDouble() > 0);
    QCOMPARE(item(panel, "alert")->property("state").toString(), QStringLiteral("warning"));
    QTest::qWait(1500); // the alert strip fades in
    const QImage image = grab(panel.view(), "zandor-menu-not-connected.png");
    QVERIFY2(count(image, QRect(0, 252, 480, 18), QColor(QStringLiteral("#fdcf30")), 70) > 2000,
             "no warning strip");

    SupplyProcess supply;
    QVERIFY(supply.start());
    QVERIFY(walkTo(panel, "Remote port"));
    QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
    for (const QChar digit : QString::number(supply.port()))
        QTest::keyClick(&panel.view(), digit.toLatin1());
    QCOMPARE(rowInEdit(panel)->property("itemValueLabel").toString(),
             QString::number(supply.port()));
    QTest::keyClick(&panel.view(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("numberOfChannels").toInt() > 0, 5000);
    QCOMPARE(panel.call("getRemoteConfig", { "port" }).toString(), QString::number(supply.port()));
}

void tst_Menus::linkLostInAChannelMenu_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("edit");
    QTest::addColumn<QString>("shown");

    QTest::newRow("voltage menu") << "openVoltageMenu"
                                  << "Voltage Set" << false << "channelSetup_voltageMenu";
    QTest::newRow("voltage in edit") << "openVoltageMenu"
                                     << "Voltage Set" << true << "configRemote";
    QTest::newRow("channel setup in edit") << "openChannelSetup"
                                           << "Voltage Ramp Up" << true << "configRemote";
}

// The link lost while a channel's menu is open: an edit ends (and the remote
// panel shows its set-up), a menu merely shown stays. The harness fails on
// any script error this leaves in the log.
void tst_Menus::linkLostInAChannelMenu()
{
    QFETCH(QString, command);
    QFETCH(QString, entry);
    QFETCH(bool, edit);
    QFETCH(QString, shown);

    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QVERIFY(connectedPanel(panel));
    panel.call("setSelectedChannel", { "0.0.1" });
    panel.command(command);
    QTRY_COMPARE(panel.property("currentView").toString(), QStringLiteral("Menu"));
    QVERIFY(walkTo(panel, entry));
    if (edit) {
        QTest::qWait(1200); // the rows have read their values
        QVERIFY(softKey(panel, "bb_bt1", "EDIT"));
        QVERIFY(rowInEdit(panel));
        turn(panel, 1);
    }

    supply.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(shownMenu(panel), shown, 2000);
    QCOMPARE(view(panel)->property("mode").toString(), QStringLiteral("select"));
    QVERIFY(!rowInEdit(panel));
    QTest::qWait(1500);
}

QTEST_MAIN(tst_Menus)
#include "tst_menus.moc"
