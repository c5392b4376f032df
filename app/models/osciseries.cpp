#include "osciseries.h"

#include <QDebug>
#include <QPointF>
#include <QVector>
#include <QtCharts/QAbstractAxis>
#include <QtCharts/QAbstractSeries>
#include <QtCharts/QXYSeries>

#include <cmath>

using namespace QtCharts;

OsciSeries::OsciSeries(QQuickView *view) : QObject(nullptr), m_view(view)
{
    // Lets the interface layer pass its chart objects to native slots, under
    // the names the charts module itself uses.
    qRegisterMetaType<QAbstractSeries *>("QAbstractSeries *");
    qRegisterMetaType<QAbstractAxis *>("QAbstractAxis *");
}

void OsciSeries::update(QAbstractSeries *series, const QVariantList &points)
{
    auto *xySeries = qobject_cast<QXYSeries *>(series);
    if (!xySeries) {
        qWarning() << "OsciSeries: no line or scatter series to update";
        return;
    }
    QVector<QPointF> converted;
    converted.reserve(points.size());
    for (const QVariant &point : points) {
        if (point.userType() != QMetaType::QPointF && point.userType() != QMetaType::QPoint) {
            qWarning() << "OsciSeries: not a point, series left unchanged:" << point;
            return;
        }
        converted.append(point.toPointF());
    }
    xySeries->replace(converted);
}

// A line cannot break, so each run of values between NaNs goes to a series
// of its own: run k to lines[k], the lines left over are emptied. Returns
// the number of runs; when there are more runs than lines, the last runs
// are not drawn and the caller adds lines and calls again.
int OsciSeries::replace(const QVariantList &lines, const QVector<qreal> &xs,
                        const QVector<qreal> &ys)
{
    if (xs.size() != ys.size()) {
        qWarning() << "OsciSeries: times and values differ in number, series left unchanged";
        return 0;
    }
    QVector<QXYSeries *> pool;
    pool.reserve(lines.size());
    for (const QVariant &line : lines) {
        auto *series = qobject_cast<QXYSeries *>(line.value<QObject *>());
        if (!series) {
            qWarning() << "OsciSeries: no line or scatter series to update";
            return 0;
        }
        pool.append(series);
    }
    int runs = 0;
    QVector<QPointF> run;
    run.reserve(xs.size());
    const auto flush = [&] {
        if (run.isEmpty())
            return;
        if (runs < pool.size())
            pool.at(runs)->replace(run);
        ++runs;
        run.clear();
    };
    for (int i = 0; i < xs.size(); ++i) {
        if (std::isnan(ys.at(i)))
            flush();
        else
            run.append(QPointF(xs.at(i), ys.at(i)));
    }
    flush();
    for (int k = runs; k < pool.size(); ++k) {
        if (pool.at(k)->count() > 0)
            pool.at(k)->clear();
    }
    return runs;
}

void OsciSeries::setRange(QAbstractAxis *axis, const QVariant &min, const QVariant &max)
{
    if (!axis) {
        qWarning() << "OsciSeries: no axis to set the range of";
        return;
    }
    axis->setRange(min, max);
}
