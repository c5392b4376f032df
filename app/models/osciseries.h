#ifndef OSCISERIES_H
#define OSCISERIES_H

#include <QObject>
#include <QVariantList>
#include <QVector>
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
// update instead of once per point or bound. replace() takes the times and
// values as two flat lists of numbers, which reach it without a variant per
// point, and draws a NaN value as a break in the line.
class OsciSeries : public QObject
{
    Q_OBJECT

public:
    explicit OsciSeries(QQuickView *view);

public slots:
    void update(QtCharts::QAbstractSeries *series, const QVariantList &points);
    int replace(const QVariantList &lines, const QVector<qreal> &xs, const QVector<qreal> &ys);
    void setRange(QtCharts::QAbstractAxis *axis, const QVariant &min, const QVariant &max);

private:
    QQuickView *const m_view;
};

#endif // OSCISERIES_H
