#include "osciseries.h"

#include <QSignalSpy>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QPieSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtTest>

#include <memory>

using namespace QtCharts;

class tst_OsciSeries : public QObject
{
    Q_OBJECT

private slots:
    void replacesAllPoints_data();
    void replacesAllPoints();
    void ignoresWhatIsNoXySeries();
    void nonPointLeavesSeriesUnchanged();
    void replaceBreaksAtNaN_data();
    void replaceBreaksAtNaN();
    void replaceRefusesUnequalLists();
    void replaceKeepsEveryMillisecond_data();
    void replaceKeepsEveryMillisecond();
    void setsBothEndsInOneStep_data();
    void setsBothEndsInOneStep();
    void ignoresAMissingAxis();
};

static QXYSeries *makeSeries(const QString &kind)
{
    if (kind == QLatin1String("line"))
        return new QLineSeries;
    return new QScatterSeries;
}

void tst_OsciSeries::replacesAllPoints_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariantList>("points");
    QTest::addColumn<QVector<QPointF>>("expected");

    const QVariantList three = { QPointF(1000, -2.5), QPointF(500, 7), QPoint(2000, 3) };
    const QVector<QPointF> threeExpected
            = { QPointF(1000, -2.5), QPointF(500, 7), QPointF(2000, 3) };
    QTest::newRow("line, three points in given order") << "line" << three << threeExpected;
    QTest::newRow("scatter, three points in given order") << "scatter" << three << threeExpected;
    QTest::newRow("line, empty list empties") << "line" << QVariantList() << QVector<QPointF>();
    QTest::newRow("scatter, empty list empties")
            << "scatter" << QVariantList() << QVector<QPointF>();
}

void tst_OsciSeries::replacesAllPoints()
{
    QFETCH(QString, kind);
    QFETCH(QVariantList, points);
    QFETCH(QVector<QPointF>, expected);

    OsciSeries feeder(nullptr);
    std::unique_ptr<QXYSeries> series(makeSeries(kind));
    series->append({ QPointF(1, 1), QPointF(2, 2), QPointF(3, 3), QPointF(4, 4) });
    QSignalSpy replaced(series.get(), &QXYSeries::pointsReplaced);
    QSignalSpy added(series.get(), &QXYSeries::pointAdded);
    QSignalSpy removed(series.get(), &QXYSeries::pointRemoved);

    feeder.update(series.get(), points);

    QCOMPARE(series->pointsVector(), expected);
    QCOMPARE(replaced.count(), 1);
    QCOMPARE(added.count(), 0);
    QCOMPARE(removed.count(), 0);
}

void tst_OsciSeries::ignoresWhatIsNoXySeries()
{
    OsciSeries feeder(nullptr);
    QTest::ignoreMessage(QtWarningMsg, "OsciSeries: no line or scatter series to update");
    feeder.update(nullptr, { QPointF(1, 2) });

    QPieSeries pie;
    pie.append(QStringLiteral("slice"), 3);
    QTest::ignoreMessage(QtWarningMsg, "OsciSeries: no line or scatter series to update");
    feeder.update(&pie, { QPointF(1, 2) });
    QCOMPARE(pie.count(), 1);
    QCOMPARE(pie.slices().at(0)->value(), 3.0);
}

void tst_OsciSeries::nonPointLeavesSeriesUnchanged()
{
    OsciSeries feeder(nullptr);
    QLineSeries series;
    series.append(5, 6);
    QSignalSpy replaced(&series, &QXYSeries::pointsReplaced);

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^OsciSeries: not a point, series left unchanged:"));
    feeder.update(&series, { QPointF(1, 2), QStringLiteral("7") });

    QCOMPARE(series.pointsVector(), QVector<QPointF>({ QPointF(5, 6) }));
    QCOMPARE(replaced.count(), 0);
}

void tst_OsciSeries::replaceBreaksAtNaN_data()
{
    const qreal gap = qQNaN();
    QTest::addColumn<QVector<qreal>>("ys");
    QTest::addColumn<int>("runs");
    QTest::addColumn<QVector<int>>("counts");

    // Three lines to fill; times are 0, 1, 2, ...
    QTest::newRow("no gap: one line")
            << QVector<qreal>({ 1, 2, 3 }) << 1 << QVector<int>({ 3, 0, 0 });
    QTest::newRow("one gap: two lines")
            << QVector<qreal>({ 1, 2, gap, 4, 5 }) << 2 << QVector<int>({ 2, 2, 0 });
    QTest::newRow("gaps at the ends and doubled")
            << QVector<qreal>({ gap, 1, gap, gap, 2, gap }) << 2 << QVector<int>({ 1, 1, 0 });
    QTest::newRow("more runs than lines: the last not drawn")
            << QVector<qreal>({ 1, gap, 2, gap, 3, gap, 4 }) << 4 << QVector<int>({ 1, 1, 1 });
    QTest::newRow("nothing empties every line")
            << QVector<qreal>() << 0 << QVector<int>({ 0, 0, 0 });
}

void tst_OsciSeries::replaceBreaksAtNaN()
{
    QFETCH(QVector<qreal>, ys);
    QFETCH(int, runs);
    QFETCH(QVector<int>, counts);

    QVector<qreal> xs;
    for (int i = 0; i < ys.size(); ++i)
        xs.append(i);
    OsciSeries feeder(nullptr);
    QLineSeries lines[3];
    QVariantList pool;
    for (QLineSeries &line : lines) {
        line.append(QPointF(-1, -1));
        pool.append(QVariant::fromValue<QObject *>(&line));
    }
    QCOMPARE(feeder.replace(pool, xs, ys), runs);
    QVector<qreal> drawn;
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(lines[k].count(), counts.at(k));
        for (const QPointF &point : lines[k].pointsVector()) {
            // Each point keeps its own time.
            QCOMPARE(point.y(), ys.at(int(point.x())));
            drawn.append(point.y());
        }
    }
    // In order, line after line.
    QVector<qreal> expected;
    for (qreal y : ys) {
        if (!qIsNaN(y) && expected.size() < counts[0] + counts[1] + counts[2])
            expected.append(y);
    }
    QCOMPARE(drawn, expected);
}

void tst_OsciSeries::replaceRefusesUnequalLists()
{
    OsciSeries feeder(nullptr);
    QLineSeries line;
    line.append(5, 6);
    const QVariantList pool = { QVariant::fromValue<QObject *>(&line) };
    QTest::ignoreMessage(QtWarningMsg,
                         "OsciSeries: times and values differ in number, series left unchanged");
    QCOMPARE(feeder.replace(pool, { 1, 2 }, { 1 }), 0);
    QCOMPARE(line.count(), 1);
    QTest::ignoreMessage(QtWarningMsg, "OsciSeries: no line or scatter series to update");
    QCOMPARE(feeder.replace({ QVariant::fromValue<QObject *>(nullptr) }, { 1 }, { 1 }), 0);
}

void tst_OsciSeries::replaceKeepsEveryMillisecond_data()
{
    QTest::addColumn<qint64>("startMs");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("gapAt");
    QTest::addColumn<QVector<int>>("counts");

    // The script hands over times as milliseconds since the epoch, which
    // left 32 bits behind in 1970 and need a double's 53 bits (a float as
    // qreal would merge neighbouring samples). Four buffers of 500 samples,
    // with a gap of 100 where the link was down.
    QTest::newRow("today, 500 samples")
            << qint64(1765400000123) << 500 << -1 << QVector<int>({ 500, 0 });
    QTest::newRow("across 2^31 ms")
            << (qint64(1) << 31) - 250 << 500 << -1 << QVector<int>({ 500, 0 });
    QTest::newRow("across 2^32 ms, a gap")
            << (qint64(1) << 32) - 250 << 500 << 200 << QVector<int>({ 200, 200 });
    QTest::newRow("four buffers, a gap")
            << qint64(1765400000123) << 2000 << 1000 << QVector<int>({ 1000, 900 });
}

void tst_OsciSeries::replaceKeepsEveryMillisecond()
{
    QFETCH(qint64, startMs);
    QFETCH(int, points);
    QFETCH(int, gapAt);
    QFETCH(QVector<int>, counts);

    QVector<qreal> xs;
    QVector<qreal> ys;
    for (int i = 0; i < points; ++i) {
        xs.append(qreal(startMs + i));
        ys.append(i >= gapAt && gapAt >= 0 && i < gapAt + 100 ? qQNaN() : qreal(i % 7));
    }
    OsciSeries feeder(nullptr);
    QLineSeries lines[2];
    const QVariantList pool = { QVariant::fromValue<QObject *>(&lines[0]),
                                QVariant::fromValue<QObject *>(&lines[1]) };
    QCOMPARE(feeder.replace(pool, xs, ys), counts.at(1) ? 2 : 1);
    qint64 expected = startMs;
    for (int k = 0; k < 2; ++k) {
        QCOMPARE(lines[k].count(), counts.at(k));
        if (k == 1)
            expected += 100;
        // Exactly: QCOMPARE on doubles would let a millisecond pass at this size.
        for (const QPointF &point : lines[k].pointsVector())
            QCOMPARE(qint64(point.x()), expected++);
    }
}

void tst_OsciSeries::setsBothEndsInOneStep_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");

    // Bound by bound, a move past the other end passes through a collapsed
    // range and lays the axis out twice.
    QTest::newRow("wholly above") << 20.0 << 30.0;
    QTest::newRow("wholly below") << -30.0 << -20.0;
    QTest::newRow("inside") << 2.5 << 7.5;
}

void tst_OsciSeries::setsBothEndsInOneStep()
{
    QFETCH(double, min);
    QFETCH(double, max);

    OsciSeries feeder(nullptr);
    QValueAxis values;
    values.setRange(0, 10);
    QSignalSpy changed(&values, &QValueAxis::rangeChanged);
    feeder.setRange(&values, min, max);
    QCOMPARE(values.min(), min);
    QCOMPARE(values.max(), max);
    QCOMPARE(changed.count(), 1);

    // A time axis takes the script's dates.
    QDateTimeAxis times;
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(1700000000000);
    times.setRange(start, start.addSecs(30));
    const QDateTime later = start.addSecs(qint64(max) * 60);
    feeder.setRange(&times, later.addSecs(-30), later);
    QCOMPARE(times.min(), later.addSecs(-30));
    QCOMPARE(times.max(), later);
}

void tst_OsciSeries::ignoresAMissingAxis()
{
    OsciSeries feeder(nullptr);
    QTest::ignoreMessage(QtWarningMsg, "OsciSeries: no axis to set the range of");
    feeder.setRange(nullptr, 0, 1);
}

QTEST_MAIN(tst_OsciSeries)

#include "tst_osciseries.moc"
