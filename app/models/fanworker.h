#ifndef FANWORKER_H
#define FANWORKER_H

#include <QObject>
#include <QVariant>

class FanWorker : public QObject
{
    Q_OBJECT
public:
    explicit FanWorker(QObject *parent = nullptr);

    bool configureFanSpeed(const QString &temperature, const QVariant &voltages,
                           const QVariant &currents, const QVariant &voltageNoms,
                           const QVariant &currentNoms);
    bool pwmSwitch(const QString &set);
};

#endif // FANWORKER_H
