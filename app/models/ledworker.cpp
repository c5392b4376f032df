#include "ledworker.h"

#include <QDebug>
#include <QFile>
#include <QHash>

namespace {

const QHash<QString, QString> &ledDevices()
{
    static const QHash<QString, QString> devices = {
        { QStringLiteral("ch0_on"), QStringLiteral("LED_HV0_YELLOW") },
        { QStringLiteral("ch1_on"), QStringLiteral("LED_HV1_YELLOW") },
        { QStringLiteral("ch2_on"), QStringLiteral("LED_HV2_YELLOW") },
        { QStringLiteral("ch3_on"), QStringLiteral("LED_HV3_YELLOW") },
        { QStringLiteral("ch0_ok"), QStringLiteral("LED_OK0_GREEN") },
        { QStringLiteral("ch1_ok"), QStringLiteral("LED_OK1_GREEN") },
        { QStringLiteral("ch2_ok"), QStringLiteral("LED_OK2_GREEN") },
        { QStringLiteral("ch3_ok"), QStringLiteral("LED_OK3_GREEN") },
        { QStringLiteral("ch0_pol"), QStringLiteral("LED_POL0_POS_NEG") },
        { QStringLiteral("ch1_pol"), QStringLiteral("LED_POL1_POS_NEG") },
        { QStringLiteral("ch2_pol"), QStringLiteral("LED_POL2_POS_NEG") },
        { QStringLiteral("ch3_pol"), QStringLiteral("LED_POL3_POS_NEG") },
    };
    return devices;
}

QString brightnessPath(const QString &device)
{
    return QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/leds/") + device
            + QStringLiteral("/brightness");
}

} // namespace

LedWorker::LedWorker(QObject *parent) : QObject(parent), m_blinkTimer(this)
{
    m_blinkTimer.setInterval(333);
    connect(&m_blinkTimer, &QTimer::timeout, this, &LedWorker::blinkTimer);
}

bool LedWorker::setLedState(const QString &ledId, LedState ledState)
{
    const QString device = ledDevices().value(ledId);
    if (device.isEmpty()) {
        qDebug() << "LedWorker: unknown LED identifier" << ledId;
        return false;
    }
    // Every known identifier has its channel digit at position 2.
    const int channel = ledId.at(2).digitValue();
    const bool highVoltage = isLedHighVoltageOn(ledId);

    switch (ledState) {
    case OFF:
    case ON:
        if (highVoltage)
            m_blinking[channel] = false;
        return writeLedFile(brightnessPath(device), ledState == ON);
    case BLINK:
        if (highVoltage)
            m_blinking[channel] = true;
        // Restarting a running timer on every request would hold the phase
        // still while the requests come faster than the blink interval.
        if (!m_blinkTimer.isActive())
            m_blinkTimer.start();
        return true;
    }
    qDebug() << "LedWorker: unknown LED state" << int(ledState);
    return false;
}

bool LedWorker::writeLedFile(const QString &ledDevice, bool light)
{
#ifdef ZANDOR_DEVICE_BUILD
    // Never create a file: a missing attribute means a missing LED.
    QFile file(ledDevice);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly)) {
        if (!m_missing.contains(ledDevice)) {
            m_missing.insert(ledDevice);
            qDebug().noquote() << "Error while opening file: " + ledDevice;
        }
        return false;
    }
    if (file.write(light ? "1" : "0", 1) != 1 || !file.flush()) {
        qDebug().noquote() << "LedWorker: Error while writing file: " + ledDevice;
        return false;
    }
    return true;
#else
    Q_UNUSED(ledDevice)
    Q_UNUSED(light)
    return true;
#endif
}

bool LedWorker::isLedHighVoltageOn(const QString &ledId)
{
    return ledId.midRef(4, 2) == QLatin1String("on");
}

void LedWorker::blinkTimer()
{
    bool anyBlinking = false;
    for (int channel = 0; channel < int(m_blinking.size()); ++channel) {
        if (!m_blinking[channel])
            continue;
        anyBlinking = true;
        writeLedFile(brightnessPath(QStringLiteral("LED_HV%1_YELLOW").arg(channel)), m_blinkPhase);
    }
    m_blinkPhase = !m_blinkPhase;
    if (!anyBlinking)
        m_blinkTimer.stop();
}

#include "moc_ledworker.cpp"
