// The oscilloscope of the real root screen against the virtual supply:
// opened from Home, live traces of a ramp, run and stop, every soft-key
// menu with its wheel mode, and the update cycle it asks the supply for;
// a supply restarted while the plot runs leaves a gap in the traces.
#include "items.h"
#include "panel.h"
#include "pixels.h"
#include "supplyprocess.h"

#include <QElapsedTimer>
#include <QJSValue>
#include <QtCharts/QAbstractAxis>
#include <QtCharts/QAbstractSeries>
#include <QQuickItem>
#include <QtTest>

class tst_Oscilloscope : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void liveTracesAndMenus();
    void outageLeavesAGap();
};

static QQuickItem *item(Panel &panel, const QString &name)
{
    QList<QQuickItem *> found;
    collect(qobject_cast<QQuickItem *>(panel.root()), name, found);
    return found.value(0);
}

static QPoint centre(QQuickItem *item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

static QString keyText(Panel &panel, const char *key)
{
    QQuickItem *label = item(panel, key)->findChild<QQuickItem *>(QStringLiteral("label"));
    return label ? label->property("text").toString() : QString();
}

static QStringList keyTexts(Panel &panel)
{
    return { keyText(panel, "bb_bt1"), keyText(panel, "bb_bt2"), keyText(panel, "bb_bt3"),
             keyText(panel, "bb_bt4") };
}

// A soft key touched as an operator would (left of its label is the wheel strip).
static void touchKey(Panel &panel, const char *key)
{
    Panel::paceTap();
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, centre(item(panel, key)) + QPoint(20, 0));
}

// The panel's wheel, through the root screen's key routing; waits out the
// screen's wheel lock first.
static void turnWheel(Panel &panel, int steps)
{
    QTest::qWait(250);
    panel.call("panelWheelTurned", { steps });
}

static QVariant plotCall(Panel &panel, const char *function, const QVariant &argument = {})
{
    QVariant result;
    QObject *plot = item(panel, QStringLiteral("osci"));
    if (argument.isValid())
        QMetaObject::invokeMethod(plot, function, Q_RETURN_ARG(QVariant, result),
                                  Q_ARG(QVariant, argument));
    else
        QMetaObject::invokeMethod(plot, function, Q_RETURN_ARG(QVariant, result));
    return result;
}

// The plot's time axis (the chart owns its axes).
static QtCharts::QAbstractAxis *timeAxis(Panel &panel)
{
    QObject *chart = item(panel, QStringLiteral("chartView"));
    QtCharts::QAbstractSeries *series = nullptr;
    QMetaObject::invokeMethod(chart, "series", Q_RETURN_ARG(QtCharts::QAbstractSeries *, series),
                              Q_ARG(int, 0));
    QtCharts::QAbstractAxis *axis = nullptr;
    QMetaObject::invokeMethod(chart, "axisX", Q_RETURN_ARG(QtCharts::QAbstractAxis *, axis),
                              Q_ARG(QtCharts::QAbstractSeries *, series));
    return axis;
}

// The right end of the plot's time axis.
static double timeAxisMax(Panel &panel)
{
    QtCharts::QAbstractAxis *axis = timeAxis(panel);
    return axis ? axis->property("max").toDouble() : -1;
}

// The plot between the legends and the time bar, left of the wheel.
static const QRect plotArea(0, 64, 340, 140);

// Columns holding the colour: the topmost row of the colour in the leftmost
// and the rightmost column (y grows downwards). Empty when nothing is drawn.
static QPair<int, int> traceEnds(const QImage &image, const QColor &colour)
{
    int left = -1, right = -1, leftTop = 0, rightTop = 0;
    for (int x = plotArea.left(); x <= plotArea.right(); ++x) {
        for (int y = plotArea.top(); y <= plotArea.bottom(); ++y) {
            if (count(image, QRect(x, y, 1, 1), colour) == 0)
                continue;
            if (left < 0) {
                left = x;
                leftTop = y;
            }
            right = x;
            rightTop = y;
            break;
        }
    }
    if (left < 0 || right - left < 20)
        return { -1, -1 };
    return { leftTop, rightTop };
}

void tst_Oscilloscope::initTestCase()
{
    Panel::prepareApplication();
}

void tst_Oscilloscope::liveTracesAndMenus()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    // A ramp to watch: 1000 V at 100 V/s takes ten seconds.
    panel.call("setItemValue", { "0.0.2", "Control.voltageSet", "1000", "V" });
    panel.call("setItemValue", { "0.0.2", "Control.voltageRampspeedUp", "100", "V/s" });
    QTRY_COMPARE_WITH_TIMEOUT(
            panel.call("getItemValue", { "0.0.2", "Control.voltageRampspeedUp" }).toList().value(1),
            QVariant(QStringLiteral("100")), 5000);

    panel.command(QStringLiteral("openHomescreen"));
    QQuickItem *grid = item(panel, QStringLiteral("appsGrid"));
    QVERIFY(grid);
    QQuickItem *graph = nullptr;
    QMetaObject::invokeMethod(grid, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, graph),
                              Q_ARG(int, 1));
    QVERIFY(graph);
    QElapsedTimer opened;
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, centre(graph));
    opened.start();
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Oscilloscope"), 2000);
    const auto fastCycle = [&] {
        return supply.writes().filter(QRegularExpression("Setup\\.cycleTime 50$")).size() == 1;
    };
    QTRY_VERIFY_WITH_TIMEOUT(fastCycle(), 2000);
    QVERIFY2(opened.elapsed() <= 1500, qPrintable(QString::number(opened.elapsed())));
    QCOMPARE(keyTexts(panel), QStringList({ "RUN/STOP", "H-SETTINGS", "V-SETTINGS", "CHANNELS" }));

    // Channel 2 (positive) on with its front-panel key: its light green
    // trace rises.
    panel.call("panelKeyReleased", { "ch_bt2" });
    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains("0 0 2 Control.on 1"), 3000);
    const QColor green(144, 238, 144);
    QImage image;
    QPair<int, int> ends;
    QElapsedTimer watching;
    watching.start();
    do {
        QTest::qWait(500);
        image = grab(panel.view(), "zandor-osci-ramp.png");
        ends = traceEnds(image, green);
    } while (!(ends.first > ends.second + 10) && watching.elapsed() < 12000);
    QVERIFY2(ends.first >= 0, "no trace of channel 2 in the plot");
    QVERIFY2(ends.first > ends.second + 10,
             qPrintable(QString("trace does not rise: %1 -> %2").arg(ends.first).arg(ends.second)));
    // The other channels are flat voltage traces at zero.
    QVERIFY2(count(image, plotArea, QColor("yellow"), 60) > 50, "no trace of channel 0");

    // RUN/STOP freezes the plot; it runs on when pressed again.
    touchKey(panel, "bb_bt1");
    QVERIFY(!plotCall(panel, "getRunState").toBool());
    QTest::qWait(300);
    const QImage stopped = grab(panel.view(), "zandor-osci-stopped.png").copy(plotArea);
    QTest::qWait(1500);
    QCOMPARE(grab(panel.view(), "zandor-osci-stopped2.png").copy(plotArea), stopped);
    touchKey(panel, "bb_bt1");
    QVERIFY(plotCall(panel, "getRunState").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(
            grab(panel.view(), "zandor-osci-running.png").copy(plotArea) != stopped, 3000);

    QObject *plot = item(panel, QStringLiteral("osci"));
    QObject *view = item(panel, QStringLiteral("plotArea"))->parentItem();

    // H-SETTINGS: the wheel scales and shifts time; LATEST DATA runs again.
    touchKey(panel, "bb_bt2");
    QCOMPARE(keyTexts(panel), QStringList({ "SCALE", "SHIFT", "LATEST DATA", "BACK" }));
    touchKey(panel, "bb_bt1");
    QCOMPARE(view->property("mode").toString(), QStringLiteral("osc_horizontal_scale_mode"));
    turnWheel(panel, -1);
    QCOMPARE(plot->property("xScaleIndex").toInt(), 2);
    QTest::qWait(300);
    grab(panel.view(), "zandor-osci-hsettings.png");
    QCOMPARE(item(panel, QStringLiteral("windowText"))->property("text").toString(),
             QStringLiteral("x: 2s/div"));
    touchKey(panel, "bb_bt2");
    const double before = timeAxisMax(panel);
    QVERIFY(before > 0);
    turnWheel(panel, 2);
    QVERIFY(!plotCall(panel, "getRunState").toBool());
    QVERIFY(timeAxisMax(panel) < before);
    touchKey(panel, "bb_bt3");
    QVERIFY(plotCall(panel, "getRunState").toBool());
    touchKey(panel, "bb_bt4");
    QCOMPARE(view->property("mode").toString(), QStringLiteral("default"));

    // V-SETTINGS: the keys show the common mode; MANUAL ALL scales and
    // shifts all channels together.
    touchKey(panel, "bb_bt3");
    QCOMPARE(keyTexts(panel), QStringList({ "AUTO ALL", "AUTO SINGLE", "MANUAL ALL", "BACK" }));
    touchKey(panel, "bb_bt1");
    QVERIFY(plotCall(panel, "getAutoAllChannelsOn").toBool());
    QCOMPARE(item(panel, "bb_bt1")->property("state").toString(), QStringLiteral("active"));
    QTest::qWait(300);
    grab(panel.view(), "zandor-osci-vsettings.png");
    touchKey(panel, "bb_bt3");
    QCOMPARE(keyTexts(panel), QStringList({ "SCALE ALL", "OFFSET ALL", "V / I", "BACK" }));
    QVERIFY(plotCall(panel, "getManualAllChannelsOn").toBool());
    touchKey(panel, "bb_bt1");
    // One common index and offset per quantity; all traces show voltage.
    const auto common = [plot](const char *name) {
        return plot->property(name).value<QJSValue>().property(QStringLiteral("V")).toNumber();
    };
    const double index = common("scaleIndexAll");
    turnWheel(panel, -1);
    QCOMPARE(common("scaleIndexAll"), index - 1);
    touchKey(panel, "bb_bt2");
    turnWheel(panel, 1);
    QVERIFY(common("offsetAll") > 0);
    QTest::qWait(300);
    grab(panel.view(), "zandor-osci-manualall.png");
    touchKey(panel, "bb_bt4");

    // CHANNELS and channel 1's menu: its own scale, offset and quantity.
    touchKey(panel, "bb_bt4");
    QCOMPARE(keyTexts(panel), QStringList({ "CH0", "CH1", "CH2", "CH3" }));
    QTest::qWait(300);
    grab(panel.view(), "zandor-osci-channels.png");
    touchKey(panel, "bb_bt2");
    QCOMPARE(keyTexts(panel), QStringList({ "SCALE", "OFFSET", "V / I / OFF", "BACK" }));
    QCOMPARE(plot->property("selectedChannel").toInt(), 1);
    touchKey(panel, "bb_bt2");
    QCOMPARE(view->property("mode").toString(), QStringLiteral("osc_channel_offset"));
    const QVariantMap channel = plotCall(panel, "getSelectedChannel").toMap();
    turnWheel(panel, 1);
    QCOMPARE(plotCall(panel, "getSelectedChannel").toMap().value("offsetIndex").toInt(),
             channel.value("offsetIndex").toInt() + 1);
    touchKey(panel, "bb_bt1");
    turnWheel(panel, 1);
    QCOMPARE(plotCall(panel, "getSelectedChannel").toMap().value("scaleIndex").toInt(),
             channel.value("scaleIndex").toInt() + 1);
    touchKey(panel, "bb_bt3");
    QCOMPARE(plotCall(panel, "getSelectedChannel").toMap().value("item").toString(),
             QStringLiteral("Status.currentMeasure"));
    QTest::qWait(1000);
    grab(panel.view(), "zandor-osci-channel1.png");
    touchKey(panel, "bb_bt4");
    QCOMPARE(keyTexts(panel), QStringList({ "RUN/STOP", "H-SETTINGS", "V-SETTINGS", "CHANNELS" }));

    // Home through the top bar: the supply goes back to the normal cycle.
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {},
                      centre(item(panel, QStringLiteral("homeButton"))));
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(), QStringLiteral("Home"),
                              2000);
    QTRY_VERIFY_WITH_TIMEOUT(
            supply.writes().filter(QRegularExpression("Setup\\.cycleTime 250$")).size() == 2, 3000);
    QVERIFY(supply.writes().filter(QRegularExpression("Setup\\.cycleTime")).last().endsWith("250"));
}

void tst_Oscilloscope::outageLeavesAGap()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    // Every channel off: all four drawn as voltage traces on their zero lines.
    panel.command(QStringLiteral("openOsci"));
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Oscilloscope"), 2000);
    QTest::qWait(3000);

    const qint64 lost = QDateTime::currentMSecsSinceEpoch();
    supply.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 5000);
    QTest::qWait(3000);
    QVERIFY(supply.start(supply.port()));
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    const qint64 back = QDateTime::currentMSecsSinceEpoch();
    // The present is drawn 5 to 0 s from the right end, under the wheel
    // and the soft keys; what is 10 s old is left of them.
    QTest::qWait(14000);
    const QImage image = grab(panel.view(), "zandor-osci-gap.png");

    // One gap in channel 0's samples, spanning the outage.
    const QVariantList samples
            = plotCall(panel, "getSelectedChannel").toMap().value("points_orig").toList();
    int gaps = 0;
    for (const QVariant &sample : samples)
        gaps += sample.toMap().value("y").isNull();
    QCOMPARE(gaps, 1);

    // Time to screen column through the chart's plot area and time axis.
    QQuickItem *chart = item(panel, QStringLiteral("chartView"));
    const QRectF area = chart->property("plotArea").toRectF();
    QtCharts::QAbstractAxis *axis = timeAxis(panel);
    QVERIFY(axis);
    const double min = axis->property("min").toDouble();
    const double max = axis->property("max").toDouble();
    QVERIFY(max > min);
    const auto column = [&](double t) {
        const double x = area.left() + (t - min) / (max - min) * area.width();
        return qRound(chart->mapToScene(QPointF(x, 0)).x());
    };
    // Drawn at 0.8 opacity and smoothed: near yellow.
    const QColor yellow("yellow");
    const auto traced = [&](qint64 from, qint64 to) {
        int columns = 0, withTrace = 0;
        for (int x = column(from); x <= column(to); ++x, ++columns)
            withTrace
                    += count(image, QRect(x, plotArea.top(), 1, plotArea.height()), yellow, 90) > 0;
        return qMakePair(columns, withTrace);
    };
    const auto before = traced(lost - 2500, lost - 500);
    const auto hole = traced(lost + 300, back - 300);
    const auto after = traced(back + 1500, back + 3500);
    QVERIFY2(column(back + 3500) < plotArea.right(),
             "the trace after the outage is under the wheel");
    QVERIFY2(hole.first >= 20, qPrintable(QString::number(hole.first)));
    QVERIFY2(before.second >= before.first - 1,
             qPrintable(QString("%1 of %2").arg(before.second).arg(before.first)));
    QVERIFY2(after.second >= after.first - 1,
             qPrintable(QString("%1 of %2").arg(after.second).arg(after.first)));
    QVERIFY2(hole.second == 0,
             qPrintable(QString("trace in %1 of %2 columns of the outage")
                                .arg(hole.second)
                                .arg(hole.first)));
}

QTEST_MAIN(tst_Oscilloscope)
#include "tst_oscilloscope.moc"
