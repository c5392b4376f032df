// The channel list and the channel view of the real root screen, connected
// to the virtual supply and worked with the pointer as an operator would.
#include "items.h"
#include "panel.h"
#include "pixels.h"
#include "supplyprocess.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QQuickItem>
#include <QtTest>

class tst_Channels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listShowsLiveValues();
    void runningStateBoxSwitchesTheChannel();
    void firstTapSwitchesALiveChannelOff();
    void doubleClickOpensChannelViewAndBackReturns();
};

static QList<QQuickItem *> items(Panel &panel, const QString &name)
{
    QList<QQuickItem *> found;
    collect(qobject_cast<QQuickItem *>(panel.root()), name, found);
    return found;
}

// The item with this name inside the list row of the given channel.
static QQuickItem *inRow(Panel &panel, const QString &channel, const QString &name)
{
    return inRow(qobject_cast<QQuickItem *>(panel.root()), channel, name);
}

static QQuickItem *item(Panel &panel, const QString &name)
{
    return items(panel, name).value(0);
}

static QString text(QQuickItem *item)
{
    return item ? item->property("text").toString() : QStringLiteral("<missing>");
}

static QPoint centre(QQuickItem *item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

static QString cached(Panel &panel, const QString &path, const QString &name)
{
    return panel.call("getItemValue", { path, name }).toList().value(1).toString();
}

void tst_Channels::initTestCase()
{
    Panel::prepareApplication();
}

void tst_Channels::listShowsLiveValues()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);

    QStringList labels;
    for (const QString channel : { "0.0.0", "0.0.1", "0.0.2", "0.0.3" })
        labels << text(inRow(panel, channel, "chLabel"));
    QCOMPARE(labels, QStringList({ "CHANNEL 0", "CHANNEL 1", "CHANNEL 2", "CHANNEL 3" }));

    // Measured values arrive every cycle with fresh noise, shown as reported.
    QQuickItem *vmeas = inRow(panel, "0.0.1", "vmeas");
    QTRY_VERIFY_WITH_TIMEOUT(text(vmeas).endsWith(" V") && text(vmeas).size() > 2, 5000);
    const QString first = text(vmeas);
    QTRY_VERIFY_WITH_TIMEOUT(text(vmeas) != first, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(text(vmeas), cached(panel, "0.0.1", "Status.voltageMeasure") + " V",
                              2000);
    QCOMPARE(text(inRow(panel, "0.0.1", "chStatusText")), QStringLiteral("OFF"));

    QTest::qWait(700); // the alert strip and the wheel settle
    const QImage image = grab(panel.view(), "zandor-channellist.png");
    QCOMPARE(image.size(), QSize(480, 272));
    // Row labels and measured values in white on every row.
    for (int row = 0; row < 4; ++row) {
        const int top = 21 + 2 + row * 50;
        QVERIFY2(bright(image, QRect(8, top, 80, 14)) > 20,
                 qPrintable(QString("no label in row %1").arg(row)));
        QVERIFY2(bright(image, QRect(120, top + 8, 120, 25)) > 20,
                 qPrintable(QString("no measured voltage in row %1").arg(row)));
    }
    // Set values in the row's orange.
    QVERIFY2(count(image, QRect(120, 23 + 32, 240, 15), QColor("#ff6600")) > 10,
             "no set values drawn");
}

void tst_Channels::runningStateBoxSwitchesTheChannel()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    // A ramp to see: 300 V at 100 V/s takes three seconds.
    panel.call("setItemValue", { "0.0.2", "Control.voltageSet", "300", "V" });
    panel.call("setItemValue", { "0.0.2", "Control.voltageRampspeedUp", "100", "V/s" });
    QTRY_COMPARE_WITH_TIMEOUT(cached(panel, "0.0.2", "Control.voltageRampspeedUp"),
                              QStringLiteral("100"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(text(inRow(panel, "0.0.2", "vset")), QStringLiteral("300 V"), 5000);
    QCOMPARE(text(inRow(panel, "0.0.2", "chStatusText")), QStringLiteral("OFF"));

    QQuickItem *box = inRow(panel, "0.0.2", "maOnOff");
    QVERIFY(box);
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, centre(box));

    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains("0 0 2 Control.on 1"), 5000);
    QQuickItem *state = inRow(panel, "0.0.2", "chStatusText");
    QTRY_COMPARE_WITH_TIMEOUT(text(state), QStringLiteral("RAMPING"), 3000);
    QTRY_COMPARE_WITH_TIMEOUT(text(state), QStringLiteral("OK"), 8000);
    QCOMPARE(panel.property("selectedChannel").toMap().value("cID").toString(),
             QStringLiteral("0.0.2"));
    // Only channel 2 was switched.
    QCOMPARE(text(inRow(panel, "0.0.1", "chStatusText")), QStringLiteral("OFF"));
}

void tst_Channels::firstTapSwitchesALiveChannelOff()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    {
        // Another panel switched channel 1 on before this one started.
        Panel earlier(supply.port());
        QTRY_VERIFY_WITH_TIMEOUT(earlier.property("connected").toBool(), 10000);
        earlier.call("setItemValue", { "0.0.1", "Control.on", "1", "" });
        QTRY_COMPARE_WITH_TIMEOUT(cached(earlier, "0.0.1", "Control.on"), QStringLiteral("1"),
                                  5000);
    }
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(text(inRow(panel, "0.0.1", "chStatusText")), QStringLiteral("OK"),
                              10000);

    QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, centre(inRow(panel, "0.0.1", "maOnOff")));
    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains("0 0 1 Control.on 0"), 5000);
    QCOMPARE(supply.writes().count("0 0 1 Control.on 1"), 1);
    QTRY_COMPARE_WITH_TIMEOUT(text(inRow(panel, "0.0.1", "chStatusText")), QStringLiteral("OFF"),
                              8000);

    // A double tap is two presses: the second, made before the supply
    // answered the first, reverses it, and no value goes out twice.
    QTest::mouseDClick(&panel.view(), Qt::LeftButton, {}, centre(inRow(panel, "0.0.2", "maOnOff")));
    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains("0 0 2 Control.on 0"), 5000);
    QTest::qWait(700);
    QCOMPARE(supply.writes().filter(QStringLiteral("0 0 2 Control.on")),
             QStringList({ "0 0 2 Control.on 1", "0 0 2 Control.on 0" }));
    QTRY_COMPARE_WITH_TIMEOUT(text(inRow(panel, "0.0.2", "chStatusText")), QStringLiteral("OFF"),
                              5000);
}

void tst_Channels::doubleClickOpensChannelViewAndBackReturns()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    panel.call("setItemValue", { "0.0.1", "Control.voltageSet", "250", "V" });
    panel.call("setItemValue", { "0.0.1", "Control.on", "1", "" });

    QQuickItem *area = inRow(panel, "0.0.1", "maSelect");
    QVERIFY(area);
    QTest::mouseDClick(&panel.view(), Qt::LeftButton, {}, centre(area));
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(), QStringLiteral("Channel"),
                              3000);
    QCOMPARE(text(item(panel, "chTitle")), QStringLiteral("CHANNEL 1"));
    QCOMPARE(text(item(panel, "chPolText")), QStringLiteral("NEG"));
    QTRY_VERIFY_WITH_TIMEOUT(text(item(panel, "vmeas")).endsWith(" V"), 3000);

    // The chart plots from a second after the view opened, twice a second.
    QTest::qWait(4500);
    const QImage image = grab(panel.view(), "zandor-channel.png");
    QVERIFY2(bright(image, QRect(10, 17, 200, 30)) > 40, "no channel title");
    QVERIFY2(bright(image, QRect(85, 75, 150, 25)) > 20, "no measured voltage");
    const QRect chart(0, 172, 395, 78);
    QVERIFY2(count(image, chart, QColor("#00d4f3")) > 30,
             "no voltage trace or axis labels in the chart");
    QVERIFY2(count(image, chart, QColor("#e00bcf")) > 30,
             "no current trace or axis labels in the chart");

    QQuickItem *back = item(panel, "bb_bt4");
    QVERIFY(back);
    QCOMPARE(text(item(panel, "bb_bt4")->findChild<QQuickItem *>("label")), QStringLiteral("BACK"));
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, centre(back) + QPoint(20, 0));
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 3000);
    QCOMPARE(item(panel, "channelList")->property("currentIndex").toInt(), 1);
}

QTEST_MAIN(tst_Channels)
#include "tst_channels.moc"
