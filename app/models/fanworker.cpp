#include "fanworker.h"

#include <QDebug>
#include <QFile>
#include <QSet>

#include <cmath>

namespace {

const QString pwmExport = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/pwm/pwmchip0/export");
const QString pwmChannel = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/pwm/pwmchip0/pwm0");
const QString fanPower = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/leds/FAN/brightness");

constexpr float referenceTemperature = 35.0f;
constexpr float temperatureGain = 6.0f;
constexpr int pwmPeriod = 1000000;
constexpr float currentWeight = 10.0f;
constexpr float voltageWeight = 2.0f;
constexpr float loadOffset = 0.1f;
constexpr float minimumDemand = -10.0f;
constexpr float maximumDemand = 100.0f;
constexpr float offThreshold = -0.5f;

// Texts that are no finite number count as 0, so that values not yet
// reported (empty texts) and garbage cannot poison the arithmetic.
float toNumber(const QVariant &value)
{
    bool ok = false;
    const float number = value.toFloat(&ok);
    return ok && std::isfinite(number) ? number : 0.0f;
}

QVector<float> toNumbers(const QVariant &list)
{
    QVector<float> numbers;
    const QVariantList values = list.toList();
    numbers.reserve(values.size());
    for (const QVariant &value : values)
        numbers.append(toNumber(value));
    return numbers;
}

float sumOfSquares(const QVector<float> &values)
{
    float sum = 0.0f;
    for (float value : values)
        sum += value * value;
    return sum;
}

bool writeFile(const QString &path, const QByteArray &text)
{
#ifdef ZANDOR_DEVICE_BUILD
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly)) {
        // Reported once: the feed comes back to the same files every 20 s.
        static QSet<QString> missing;
        if (!missing.contains(path)) {
            missing.insert(path);
            qDebug().noquote() << "FanWorker: Error while opening file: " + path;
        }
        return false;
    }
    if (file.write(text + '\n') != text.size() + 1 || !file.flush()) {
        qDebug().noquote() << "FanWorker: Error while writing file: " + path;
        return false;
    }
    return true;
#else
    Q_UNUSED(path)
    Q_UNUSED(text)
    return true;
#endif
}

} // namespace

FanWorker::FanWorker(QObject *parent) : QObject(parent)
{
    // The channel directory appears only once the channel is exported, and
    // the period must be set before the duty cycle and the output enabled.
    writeFile(pwmExport, "0");
    writeFile(pwmChannel + QLatin1String("/period"), QByteArray::number(pwmPeriod));
    writeFile(pwmChannel + QLatin1String("/duty_cycle"), QByteArray::number(pwmPeriod));
    writeFile(pwmChannel + QLatin1String("/enable"), "1");
    pwmSwitch(QStringLiteral("1"));
}

bool FanWorker::configureFanSpeed(const QString &temperature, const QVariant &voltages,
                                  const QVariant &currents, const QVariant &voltageNoms,
                                  const QVariant &currentNoms)
{
    const QVector<float> voltageList = toNumbers(voltages);
    const QVector<float> currentList = toNumbers(currents);
    const QVector<float> voltageNomList = toNumbers(voltageNoms);
    const QVector<float> currentNomList = toNumbers(currentNoms);

    // Until every nominal value is known there is nothing to normalise by.
    if (voltageNomList.isEmpty() || currentNomList.isEmpty() || voltageNomList.contains(0.0f)
        || currentNomList.contains(0.0f)) {
        return true;
    }

    const float temperatureDemand
            = (toNumber(temperature) - referenceTemperature) * temperatureGain;
    const float currentNom = currentNomList.first();
    const float voltageNom = voltageNomList.first();
    const float loadDemand
            = (sumOfSquares(currentList) / (currentNom * currentNom) - loadOffset) * currentWeight
            + (sumOfSquares(voltageList) / (voltageNom * voltageNom) - loadOffset) * voltageWeight;

    // Huge inputs can overflow into inf / inf; run the fan at full speed then.
    const float demand = std::isnan(loadDemand)
            ? maximumDemand
            : qBound(minimumDemand, std::max(temperatureDemand, loadDemand), maximumDemand);

    if (demand < offThreshold)
        return pwmSwitch(QStringLiteral("0"));

    // The PWM output is inverted: a full period means a still fan.
    const int dutyCycle = int((1.0f - demand * 0.01f) * float(pwmPeriod));
    const bool switchedOn = pwmSwitch(QStringLiteral("1"));
    return writeFile(pwmChannel + QLatin1String("/duty_cycle"), QByteArray::number(dutyCycle))
            && switchedOn;
}

bool FanWorker::pwmSwitch(const QString &set)
{
    return writeFile(fanPower, set.toLatin1());
}

#include "moc_fanworker.cpp"
