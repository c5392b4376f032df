#ifndef SUPPLY_H
#define SUPPLY_H

#include "configstore.h"
#include "itemmodel.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QVector>

// The simulated hardware behind the items: channels that ramp into a
// resistive load, trips, emergency off, event and error flags, the clock.
class Supply : public QObject
{
    Q_OBJECT
public:
    Supply(int channels, quint32 seed, int cycleTimeMs, ConfigStore *config,
           QObject *parent = nullptr);

    ItemModel &items() { return m_items; }
    int cycleTime() const;
    bool anyChannelOn() const;

    // Writes one item as a client asks; returns an error text, empty on success.
    QString write(const ItemKey &key, const QString &value, const QString &unit);
    QByteArray configuration() const { return m_config->xml(); }
    bool replaceConfiguration(const QByteArray &xml, QString *error);
    void setConnectedClients(int count);
    // As some supplies do: a value outside its range is taken as the
    // nearest limit instead of being refused.
    void setClampToRange(bool clamp) { m_clampToRange = clamp; }

    // Advances the physics to now.
    void advance();
    // Advances the physics by ms milliseconds.
    void step(double ms);

    static QString channelPath(int channel);

signals:
    void cycleTimeChanged(int ms);

private:
    struct Channel
    {
        double ramp = 0; // output of the ramp generator, volts
        double loadOhm = 0;
        double currentLimitMs = 0; // time spent in current limitation
        double voltageMode = 0; // volts
        double currentMode = 0; // amperes
        QString polarity;
    };

    void defineItems(double cycleTimeMs);
    bool channelOn(int channel) const;
    void applyConfiguration();
    Channel configuredChannel(const ConfigStore &config, int channel) const;
    void updateLimits(int channel);
    QString writeChannel(int channel, const QString &item, double number);
    QString limit(const QString &item, double *number, double min, double max,
                  const QString &unit) const;
    QString writeCommand(const ItemKey &key);
    void clearFlags(int channel);
    void raiseFlag(int channel, const QString &item);
    void refreshCounters();
    bool hasActiveError(int channel) const;
    void setChannelDefaults(int channel);
    void updateClock();
    double noise(double amplitude);

    ItemModel m_items;
    ConfigStore *m_config;
    QVector<Channel> m_channels;
    DetectedHardware m_detected;
    QRandomGenerator m_random;
    qint64 m_clockOffsetMs = 0;
    bool m_clampToRange = false;
    double m_temperature = 30;
    QTimer m_timer;
    QElapsedTimer m_elapsed;
};

#endif // SUPPLY_H
