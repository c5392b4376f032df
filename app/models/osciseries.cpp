#include "osciseries.h"

#include <QDebug>
#include <QPointF>
#include <QVector>
#include <QtCharts/QAbstractAxis>
#include <QtCharts/QAbstractSeries>
#include <QtCharts/QXYSeries>

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

void OsciSeries::setRange(QAbstractAxis *axis, const QVariant &min, const QVariant &max)
{
    if (!axis) {
        qWarning() << "OsciSeries: no axis to set the range of";
        return;
    }
    axis->setRange(min, max);
}
