#ifndef OSCISERIES_H
#define OSCISERIES_H

#include <QObject>
#include <QVariantList>
#include <QtCharts/qchartglobal.h>

QT_BEGIN_NAMESPACE
class QQuickView;
QT_END_NAMESPACE

QT_CHARTS_BEGIN_NAMESPACE
class QAbstractAxis;
class QAbstractSeries;
QT_CHARTS_END_NAMESPACE

// Hands a whole list of points to a chart series, or both ends of a range
// to an axis, in one step, so that the chart lays out and redraws once per
// update instead of once per point or bound.
class OsciSeries : public QObject
{
    Q_OBJECT

public:
    explicit OsciSeries(QQuickView *view);

public slots:
    void update(QtCharts::QAbstractSeries *series, const QVariantList &points);
    void setRange(QtCharts::QAbstractAxis *axis, const QVariant &min, const QVariant &max);

private:
    QQuickView *const m_view;
};

#endif // OSCISERIES_H
