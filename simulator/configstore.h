#ifndef CONFIGSTORE_H
#define CONFIGSTORE_H

#include <QDomDocument>
#include <QString>
#include <QVector>

// What the supply reports about itself under hardwareDetect.
struct DetectedHardware
{
    struct Channel
    {
        QString voltageMode;
        QString polarity;
        QString voltageModeList;
        QString currentModeList;
    };
    QString model;
    QString serial;
    QString firmwareName;
    QString firmwareRelease;
    QString digitalFilter;
    QString adcSampleRate;
    QVector<Channel> channels;
};

// The supply's configuration document (root lumaConfig).
class ConfigStore
{
public:
    ConfigStore(int channels, int standbyMinutes);

    QByteArray xml() const;
    // Takes a new document; on failure the old one stays and error says why.
    bool replace(const QByteArray &xml, QString *error);
    void reset();

    // An attribute of hardwareConfig/device@id=0-0, or of its channel when
    // channel >= 0; empty when absent.
    QString configured(const QString &attribute, int channel = -1) const;
    void setDetected(const DetectedHardware &hardware);

private:
    QDomElement configDevice() const;

    int m_channels;
    int m_standbyMinutes;
    QDomDocument m_document;
};

#endif // CONFIGSTORE_H
