#include "supply.h"

#include <QDateTime>
#include <QDebug>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString Service;
const QString Device = QStringLiteral("0.0");

// Selectable output modes of the same power: full-scale voltage (V) with
// its current (A).
const double VoltageModes[] = { 6000, 3000 };
const double CurrentModes[] = { 0.004, 0.008 };
const QString VoltageModeList = QStringLiteral("6000,3000");
const QString CurrentModeList = QStringLiteral("0.004,0.008");

const double HardwareVoltageLimit = 6000; // V
const double HardwareCurrentLimit = 8; // mA
const double VoltageRampMin = 1, VoltageRampMax = 1200; // V/s
const double CurrentRampMin = 0.001, CurrentRampMax = 1; // mA/s
const double LowCurrentRangeShare = 0.01; // of the mode's current
const double Loads[] = { 10e6, 20e6, 50e6, 4e6, 15e6, 30e6 }; // ohms

const QStringList AdcSampleRates = { "500", "100", "60", "50", "25", "10", "5" };
const QStringList DigitalFilters = { "1024", "512", "256", "64", "16", "1" };
const QStringList Flags = { "lowCurrentRange", "externalInhibitActive", "currentTrip",
                            "voltageLimitExceeded", "currentLimitExceeded" };

QString format(double value)
{
    return QString::number(value, 'g', 12);
}

// Rounds before formatting so that no "-0.0" ever leaves the supply.
QString fixed(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0)
        rounded = 0; // drops the sign of a negative zero
    return QString::number(rounded, 'f', decimals);
}

// The largest value at the given decimals that does not exceed limit.
double roundNotAbove(double value, double limit, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    return rounded <= limit ? rounded : std::floor(limit * scale) / scale;
}

int channelIndex(const QString &path)
{
    const QStringList levels = path.split(QLatin1Char('.'));
    return levels.size() == 3 ? levels.at(2).toInt() : -1;
}

// Scale of a unit in its base unit (V, A, s); 0 when unknown.
double unitScale(const QString &unit)
{
    static const QHash<QString, double> scales
            = { { "V", 1 },     { "kV", 1e3 },  { "mV", 1e-3 }, { "A", 1 }, { "mA", 1e-3 },
                { "µA", 1e-6 }, { "uA", 1e-6 }, { "nA", 1e-9 }, { "s", 1 }, { "ms", 1e-3 } };
    return scales.value(unit);
}

bool convertUnit(double *value, QString from, QString to)
{
    const QLatin1String perSecond("/s");
    if (from.endsWith(perSecond) != to.endsWith(perSecond))
        return false;
    if (from.endsWith(perSecond)) {
        from.chop(2);
        to.chop(2);
    }
    const double fromScale = unitScale(from);
    const double toScale = unitScale(to);
    if (!fromScale || !toScale || from.back() != to.back())
        return false;
    *value = *value * fromScale / toScale;
    return true;
}

QString checkRange(const QString &item, double value, double min, double max, const QString &unit)
{
    if (value >= min && value <= max)
        return {};
    return QStringLiteral("%1: %2 %5 is outside %3 to %4 %5")
            .arg(item, format(value), format(min), format(max), unit);
}

QString checkSwitch(const QString &item, double value)
{
    return value == 0 || value == 1 ? QString()
                                    : QStringLiteral("%1: only 0 or 1 allowed").arg(item);
}

} // namespace

Supply::Supply(int channels, quint32 seed, int cycleTimeMs, ConfigStore *config, QObject *parent)
    : QObject(parent), m_config(config), m_channels(channels), m_random(seed)
{
    m_detected.model = QStringLiteral("ZHV-%1x6kV").arg(channels);
    m_detected.serial = QStringLiteral("SIM-%1").arg(seed % 1000000, 6, 10, QLatin1Char('0'));
    m_detected.firmwareName = QStringLiteral("ZHV-FW");
    m_detected.firmwareRelease = QStringLiteral("2024-03-18");
    m_detected.digitalFilter = QStringLiteral("64");
    m_detected.adcSampleRate = QStringLiteral("50");
    m_detected.channels.resize(channels);
    for (int i = 0; i < channels; ++i) {
        Channel &c = m_channels[i];
        c.loadOhm = Loads[i % std::size(Loads)];
        c.voltageMode = VoltageModes[0];
        c.currentMode = CurrentModes[0];
        c.polarity = QStringLiteral("p");
    }
    defineItems(cycleTimeMs);
    applyConfiguration();
    for (int i = 0; i < channels; ++i)
        setChannelDefaults(i);
    updateClock();
    m_items.takeChanges();

    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &Supply::advance);
    m_elapsed.start();
    m_timer.start();
}

void Supply::advance()
{
    // A stalled event loop must not make the outputs jump.
    step(std::min<qint64>(m_elapsed.restart(), 200));
}

QString Supply::channelPath(int channel)
{
    return Device + QLatin1Char('.') + QString::number(channel);
}

void Supply::defineItems(double cycleTimeMs)
{
    m_items.define(Service, "Setup.cycleTime", format(cycleTimeMs), "ms");
    m_items.define(Service, "Control.liveInsertion", "0");
    m_items.define(Service, "Control.configurationChanged", "0");
    m_items.define(Service, "Control.factorySystemReset", "0");
    m_items.define(Service, "Status.lumaVersion", "1.0.0-sim");
    m_items.define(Service, "Status.connectedClients", "0");
    m_items.define(Service, "Status.canState", "ok");
    m_items.define(Service, "Status.canText", "1 module on line 0");
    m_items.define(Service, "System.date", "");
    m_items.define(Service, "System.time", "");

    m_items.define(Device, "Status.on", "0");
    m_items.define(Device, "Status.temperature", fixed(m_temperature, 1), "°C");
    m_items.define(Device, "Status.ethernetState", "ok");
    m_items.define(Device, "Status.usbRemoteState", "off");
    m_items.define(Device, "Status.usbRemoteText", "no host");
    m_items.define(Device, "Status.usbAuxState", "off");
    m_items.define(Device, "Status.usbAuxText", "no USB stick");
    m_items.define(Device, "Status.installFirmware", "0");
    m_items.define(Device, "Status.eventCounter", "0");
    m_items.define(Device, "Status.errorCounter", "0");
    m_items.define(Device, "Status.voltageLimit", format(HardwareVoltageLimit), "V");
    m_items.define(Device, "Status.currentLimit", format(HardwareCurrentLimit), "mA");
    m_items.define(Device, "Control.kill", "0");
    m_items.define(Device, "Control.adjustment", "1");
    m_items.define(Device, "Control.clearAll", "0");
    m_items.define(Device, "Control.setValuesReset", "0");
    m_items.define(Device, "Control.factoryReset", "0");

    for (int i = 0; i < m_channels.size(); ++i) {
        const QString path = channelPath(i);
        m_items.define(path, "Control.on", "0");
        m_items.define(path, "Control.emergency", "0");
        m_items.define(path, "Control.clearAll", "0");
        m_items.define(path, "Control.voltageSet", "0", "V");
        m_items.define(path, "Control.currentSet", "0", "mA");
        m_items.define(path, "Control.voltageRampspeedUp", "0", "V/s");
        m_items.define(path, "Control.voltageRampspeedDown", "0", "V/s");
        m_items.define(path, "Control.currentRampspeedUp", "0", "mA/s");
        m_items.define(path, "Control.currentRampspeedDown", "0", "mA/s");
        m_items.define(path, "Status.voltageMeasure", "0.000", "V");
        m_items.define(path, "Status.currentMeasure", "0.00000", "mA");
        m_items.define(path, "Status.voltageNominal", format(HardwareVoltageLimit), "V");
        m_items.define(path, "Status.currentNominal", format(HardwareCurrentLimit), "mA");
        m_items.define(path, "Status.voltageMode", "0", "V");
        m_items.define(path, "Status.currentMode", "0", "mA");
        m_items.define(path, "Status.voltageLimit", "0", "V");
        m_items.define(path, "Status.currentLimit", "0", "mA");
        m_items.define(path, "Status.voltageRampspeedMin", format(VoltageRampMin), "V/s");
        m_items.define(path, "Status.voltageRampspeedMax", format(VoltageRampMax), "V/s");
        m_items.define(path, "Status.currentRampspeedMin", format(CurrentRampMin), "mA/s");
        m_items.define(path, "Status.currentRampspeedMax", format(CurrentRampMax), "mA/s");
        m_items.define(path, "Status.runningState", "off");
        m_items.define(path, "Status.on", "0");
        m_items.define(path, "Status.constantVoltage", "0");
        m_items.define(path, "Status.constantCurrent", "0");
        m_items.define(path, "Status.eventCounter", "0");
        m_items.define(path, "Status.errorCounter", "0");
        for (const QString &flag : Flags) {
            m_items.define(path, "Status." + flag, "0");
            m_items.define(path, "Event." + flag, "0");
            m_items.define(path, "Error." + flag, "0");
        }
        m_items.define(path, "Setup.outputPolarity", "p");
        m_items.define(path, "Setup.delayedTripAction", "0");
        m_items.define(path, "Setup.delayedTripTime", "0", "ms");
    }
}

int Supply::cycleTime() const
{
    return int(m_items.number(Service, "Setup.cycleTime"));
}

bool Supply::channelOn(int channel) const
{
    // Switched on, or still ramping down: a write of Control.on counts
    // before the physics has taken a step.
    return m_items.value(channelPath(channel), "Control.on") == QLatin1String("1")
            || m_channels.at(channel).ramp > 0;
}

bool Supply::anyChannelOn() const
{
    for (int i = 0; i < m_channels.size(); ++i) {
        if (channelOn(i))
            return true;
    }
    return false;
}

void Supply::setConnectedClients(int count)
{
    m_items.set(Service, "Status.connectedClients", QString::number(count));
}

bool Supply::replaceConfiguration(const QByteArray &xml, QString *error)
{
    ConfigStore candidate = *m_config;
    if (!candidate.replace(xml, error))
        return false;
    // Polarity and output mode are relays: switching them under voltage
    // would damage the output, so such a configuration is refused whole.
    for (int i = 0; i < m_channels.size(); ++i) {
        if (!channelOn(i))
            continue;
        const Channel wanted = configuredChannel(candidate, i);
        const Channel &c = m_channels.at(i);
        if (wanted.polarity != c.polarity || wanted.voltageMode != c.voltageMode) {
            *error = QStringLiteral("channel %1 is on: switch it off before changing its "
                                    "polarity or output mode")
                             .arg(i);
            return false;
        }
    }
    *m_config = candidate;
    applyConfiguration();
    m_items.touch(Service, "Control.configurationChanged");
    return true;
}

void Supply::applyConfiguration()
{
    for (int i = 0; i < m_channels.size(); ++i) {
        Channel &c = m_channels[i];
        const Channel wanted = configuredChannel(*m_config, i);
        c.polarity = wanted.polarity;
        c.voltageMode = wanted.voltageMode;
        c.currentMode = wanted.currentMode;
        updateLimits(i);
        m_detected.channels[i]
                = { format(c.voltageMode), c.polarity, VoltageModeList, CurrentModeList };
    }
    const QString adc = m_config->configured("adcSampleRate");
    if (AdcSampleRates.contains(adc))
        m_detected.adcSampleRate = adc;
    const QString filter = m_config->configured("digitalFilter");
    if (DigitalFilters.contains(filter))
        m_detected.digitalFilter = filter;
    m_config->setDetected(m_detected);
}

Supply::Channel Supply::configuredChannel(const ConfigStore &config, int channel) const
{
    // Values the hardware cannot take leave the relays as they are.
    Channel c = m_channels.at(channel);
    const QString polarity = config.configured("polarity", channel);
    if (polarity == QLatin1String("p") || polarity == QLatin1String("n"))
        c.polarity = polarity;
    const double mode = config.configured("voltageMode", channel).toDouble();
    for (size_t k = 0; k < std::size(VoltageModes); ++k) {
        if (std::abs(mode) == VoltageModes[k]) {
            c.voltageMode = VoltageModes[k];
            c.currentMode = CurrentModes[k];
        }
    }
    return c;
}

void Supply::updateLimits(int channel)
{
    const Channel &c = m_channels.at(channel);
    const QString path = channelPath(channel);
    const double sign = c.polarity == QLatin1String("n") ? -1 : 1;
    const double voltageLimit = std::min(c.voltageMode, HardwareVoltageLimit);
    const double currentLimit = std::min(c.currentMode * 1000, HardwareCurrentLimit);
    m_items.set(path, "Setup.outputPolarity", c.polarity);
    m_items.set(path, "Status.voltageMode", format(sign * c.voltageMode));
    m_items.set(path, "Status.currentMode", format(c.currentMode * 1000));
    m_items.set(path, "Status.voltageLimit", format(voltageLimit));
    m_items.set(path, "Status.currentLimit", format(currentLimit));
    if (m_items.number(path, "Control.voltageSet") > voltageLimit)
        m_items.set(path, "Control.voltageSet", format(voltageLimit));
    if (m_items.number(path, "Control.currentSet") > currentLimit)
        m_items.set(path, "Control.currentSet", format(currentLimit));
}

void Supply::setChannelDefaults(int channel)
{
    const QString path = channelPath(channel);
    m_items.set(path, "Control.voltageSet", "0");
    m_items.set(path, "Control.currentSet", m_items.value(path, "Status.currentLimit"));
    m_items.set(path, "Control.voltageRampspeedUp", "100");
    m_items.set(path, "Control.voltageRampspeedDown", "100");
    m_items.set(path, "Control.currentRampspeedUp", "0.1");
    m_items.set(path, "Control.currentRampspeedDown", "0.1");
    m_items.set(path, "Setup.delayedTripAction", "0");
    m_items.set(path, "Setup.delayedTripTime", "100");
}

QString Supply::write(const ItemKey &key, const QString &value, const QString &unit)
{
    const QString &item = key.item;
    if (!m_items.contains(key.path, item))
        return QStringLiteral("unknown item %1 at path \"%2\"").arg(item, key.path);
    const QString group = item.section(QLatin1Char('.'), 0, 0);
    if (group == QLatin1String("Status"))
        return QStringLiteral("%1 is read-only").arg(item);
    if (item == QLatin1String("Setup.outputPolarity"))
        return QStringLiteral("%1 follows the channel polarity of the configuration").arg(item);
    if (group == QLatin1String("Event") || group == QLatin1String("Error")) {
        if (value != QLatin1String("1"))
            return QStringLiteral("%1: write 1 to clear it").arg(item);
        m_items.set(key.path, item, "0");
        refreshCounters();
        return {};
    }

    if (item == QLatin1String("System.date") || item == QLatin1String("System.time")) {
        QDateTime wanted = QDateTime::currentDateTime().addMSecs(m_clockOffsetMs);
        // Checked one by one: QDateTime takes an invalid time as midnight.
        bool valid = false;
        if (item == QLatin1String("System.date")) {
            const QDate date = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
            valid = date.isValid();
            wanted.setDate(date);
        } else {
            const QTime time = QTime::fromString(value, QStringLiteral("HH:mm:ss"));
            valid = time.isValid();
            wanted.setTime(time);
        }
        if (!valid || !wanted.isValid())
            return QStringLiteral("%1: \"%2\" is not a valid %3").arg(item, value, item.mid(7));
        m_clockOffsetMs = QDateTime::currentDateTime().msecsTo(wanted);
        updateClock();
        return {};
    }

    bool ok = false;
    double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return QStringLiteral("%1: \"%2\" is not a number").arg(item, value);
    const QString itemUnit = m_items.unit(key.path, item);
    if (!unit.isEmpty() && unit != itemUnit && !convertUnit(&number, unit, itemUnit))
        return QStringLiteral("%1: unit \"%2\" does not convert to \"%3\"")
                .arg(item, unit, itemUnit);

    if (item == QLatin1String("Control.clearAll") || item == QLatin1String("Control.setValuesReset")
        || item == QLatin1String("Control.factoryReset")
        || item == QLatin1String("Control.factorySystemReset")) {
        if (number != 1)
            return QStringLiteral("%1: write 1 to run it").arg(item);
        return writeCommand(key);
    }

    const int channel = channelIndex(key.path);
    if (channel >= 0)
        return writeChannel(channel, item, number);

    QString error;
    if (item == QLatin1String("Setup.cycleTime")) {
        error = number == std::floor(number)
                ? checkRange(item, number, 10, 60000, itemUnit)
                : QStringLiteral("%1: whole milliseconds only").arg(item);
    } else {
        error = checkSwitch(item, number);
    }
    if (!error.isEmpty())
        return error;
    m_items.set(key.path, item, format(number));
    if (item == QLatin1String("Setup.cycleTime"))
        emit cycleTimeChanged(int(number));
    return {};
}

QString Supply::writeChannel(int channel, const QString &item, double number)
{
    const QString path = channelPath(channel);
    const QString unit = m_items.unit(path, item);
    QString error;
    if (item == QLatin1String("Control.on")) {
        error = checkSwitch(item, number);
        if (error.isEmpty() && number == 1
            && m_items.value(path, "Control.emergency") == QLatin1String("1"))
            error = QStringLiteral("channel %1: emergency off is active").arg(channel);
    } else if (item == QLatin1String("Control.emergency")) {
        error = checkSwitch(item, number);
    } else if (item == QLatin1String("Control.voltageSet")) {
        // A negative channel also takes its set value with the output's sign.
        if (number < 0 && m_channels.at(channel).polarity == QLatin1String("n"))
            number = -number;
        error = limit(item, &number, 0, m_items.number(path, "Status.voltageLimit"), unit);
    } else if (item == QLatin1String("Control.currentSet")) {
        error = limit(item, &number, 0, m_items.number(path, "Status.currentLimit"), unit);
    } else if (item.startsWith(QLatin1String("Control.voltageRampspeed"))) {
        error = limit(item, &number, m_items.number(path, "Status.voltageRampspeedMin"),
                      m_items.number(path, "Status.voltageRampspeedMax"), unit);
    } else if (item.startsWith(QLatin1String("Control.currentRampspeed"))) {
        error = limit(item, &number, m_items.number(path, "Status.currentRampspeedMin"),
                      m_items.number(path, "Status.currentRampspeedMax"), unit);
    } else if (item == QLatin1String("Setup.delayedTripAction")) {
        if (number != 0 && number != 1 && number != 2 && number != 4)
            error = QStringLiteral("%1: only 0, 1, 2 or 4 allowed").arg(item);
    } else if (item == QLatin1String("Setup.delayedTripTime")) {
        error = number == std::floor(number)
                ? checkRange(item, number, 1, 4095, unit)
                : QStringLiteral("%1: whole milliseconds only").arg(item);
    } else {
        error = QStringLiteral("%1 cannot be written on a channel").arg(item);
    }
    if (!error.isEmpty())
        return error;

    m_items.set(path, item, format(number));
    Channel &c = m_channels[channel];
    if (item == QLatin1String("Control.on") && number == 1) {
        m_items.set(path, "Status.currentTrip", "0");
        c.currentLimitMs = 0;
    } else if (item == QLatin1String("Control.emergency") && number == 1) {
        // Emergency off: the output drops at once, without a ramp.
        m_items.set(path, "Control.on", "0");
        c.ramp = 0;
    }
    return {};
}

QString Supply::limit(const QString &item, double *number, double min, double max,
                      const QString &unit) const
{
    if (!m_clampToRange)
        return checkRange(item, *number, min, max, unit);
    *number = std::clamp(*number, min, max);
    return {};
}

QString Supply::writeCommand(const ItemKey &key)
{
    const QString &item = key.item;
    if (item == QLatin1String("Control.clearAll")) {
        const int channel = channelIndex(key.path);
        for (int i = 0; i < m_channels.size(); ++i) {
            if (channel < 0 || channel == i)
                clearFlags(i);
        }
        refreshCounters();
        return {};
    }
    if (item == QLatin1String("Control.setValuesReset")) {
        for (int i = 0; i < m_channels.size(); ++i) {
            m_items.set(channelPath(i), "Control.voltageSet", "0");
            m_items.set(channelPath(i), "Control.currentSet",
                        m_items.value(channelPath(i), "Status.currentLimit"));
        }
        return {};
    }
    if (anyChannelOn())
        return QStringLiteral("%1: switch all channels off first").arg(item);
    if (item == QLatin1String("Control.factoryReset")) {
        for (int i = 0; i < m_channels.size(); ++i) {
            setChannelDefaults(i);
            clearFlags(i);
        }
        m_items.set(Device, "Control.kill", "0");
        m_items.set(Device, "Control.adjustment", "1");
        refreshCounters();
    } else {
        m_config->reset();
        applyConfiguration();
        m_items.touch(Service, "Control.configurationChanged");
    }
    return {};
}

void Supply::clearFlags(int channel)
{
    const QString path = channelPath(channel);
    for (const QString &flag : Flags) {
        m_items.set(path, "Event." + flag, "0");
        m_items.set(path, "Error." + flag, "0");
    }
    m_items.set(path, "Status.currentTrip", "0");
    m_channels[channel].currentLimitMs = 0;
}

void Supply::raiseFlag(int channel, const QString &item)
{
    m_items.set(channelPath(channel), item, "1");
    refreshCounters();
}

void Supply::refreshCounters()
{
    int deviceEvents = 0;
    int deviceErrors = 0;
    for (int i = 0; i < m_channels.size(); ++i) {
        const QString path = channelPath(i);
        int events = 0;
        int errors = 0;
        for (const QString &flag : Flags) {
            events += m_items.value(path, "Event." + flag) == QLatin1String("1");
            errors += m_items.value(path, "Error." + flag) == QLatin1String("1");
        }
        m_items.set(path, "Status.eventCounter", QString::number(events));
        m_items.set(path, "Status.errorCounter", QString::number(errors));
        deviceEvents += events;
        deviceErrors += errors;
    }
    m_items.set(Device, "Status.eventCounter", QString::number(deviceEvents));
    m_items.set(Device, "Status.errorCounter", QString::number(deviceErrors));
}

bool Supply::hasActiveError(int channel) const
{
    const QString path = channelPath(channel);
    for (const QString &flag : Flags) {
        if (m_items.value(path, "Error." + flag) == QLatin1String("1"))
            return true;
    }
    return false;
}

double Supply::noise(double amplitude)
{
    return (m_random.generateDouble() * 2 - 1) * amplitude;
}

void Supply::step(double ms)
{
    const double seconds = ms / 1000;
    double power = 0;
    bool anyOn = false;
    for (int i = 0; i < m_channels.size(); ++i) {
        Channel &c = m_channels[i];
        const QString path = channelPath(i);
        const bool on = m_items.value(path, "Control.on") == QLatin1String("1");
        const double target = on ? m_items.number(path, "Control.voltageSet") : 0;
        if (c.ramp < target)
            c.ramp = std::min(
                    target, c.ramp + m_items.number(path, "Control.voltageRampspeedUp") * seconds);
        else
            c.ramp = std::max(
                    target,
                    c.ramp - m_items.number(path, "Control.voltageRampspeedDown") * seconds);

        // The load takes V/R; above the set current the output holds the
        // current and the voltage gives way.
        const double currentLimitVoltage
                = m_items.number(path, "Control.currentSet") / 1000 * c.loadOhm;
        const bool limited = on && c.ramp > currentLimitVoltage;
        const double voltage = limited ? currentLimitVoltage : c.ramp;
        const double current = voltage / c.loadOhm * 1000; // mA
        power += voltage * current / 1000;

        const int tripAction = int(m_items.number(path, "Setup.delayedTripAction"));
        const bool kill = m_items.value(Device, "Control.kill") == QLatin1String("1");
        if (limited && tripAction != 4) {
            c.currentLimitMs += ms;
            if (c.currentLimitMs >= m_items.number(path, "Setup.delayedTripTime")
                && m_items.value(path, "Status.currentTrip") == QLatin1String("0")) {
                m_items.set(path, "Status.currentTrip", "1");
                raiseFlag(i, "Event.currentTrip");
                // With KILL enabled every trip cuts the output without a ramp.
                if (kill || tripAction == 1 || tripAction == 2) {
                    raiseFlag(i, "Error.currentTrip");
                    m_items.set(path, "Control.on", "0");
                    if (kill || tripAction == 2)
                        c.ramp = 0;
                }
            }
        } else {
            c.currentLimitMs = 0;
        }

        const double sign = c.polarity == QLatin1String("n") ? -1 : 1;
        // Measurements at 1 mV and 10 nA with a little noise, so that even an
        // idle output shows a live reading; the noise never shows a ramp
        // above the value it heads for.
        const double ceiling = on || c.ramp > 0
                ? std::max(c.ramp, m_items.number(path, "Control.voltageSet"))
                : std::numeric_limits<double>::max();
        const double measured
                = roundNotAbove(std::max(0.0, voltage + noise(0.01 + voltage * 2e-6)), ceiling, 3);
        m_items.set(path, "Status.voltageMeasure", fixed(sign * measured, 3));
        // Small current set values switch the meter into its low current
        // range, which is quieter; readings keep 10 nA so they fit the panel.
        const bool lowRange = m_items.number(path, "Control.currentSet")
                <= c.currentMode * 1000 * LowCurrentRangeShare;
        m_items.set(path, "Status.lowCurrentRange", lowRange ? "1" : "0");
        m_items.set(path, "Status.currentMeasure",
                    fixed(sign * std::max(0.0, current + noise(lowRange ? 5e-6 : 2e-5)), 5));

        const bool nowOn = m_items.value(path, "Control.on") == QLatin1String("1");
        const bool outputOn = nowOn || c.ramp > 0;
        anyOn = anyOn || outputOn;
        m_items.set(path, "Status.on", outputOn ? "1" : "0");
        m_items.set(path, "Status.constantVoltage", nowOn && !limited ? "1" : "0");
        m_items.set(path, "Status.constantCurrent", nowOn && limited ? "1" : "0");

        const bool ramping = c.ramp != (nowOn ? m_items.number(path, "Control.voltageSet") : 0);
        const bool error = hasActiveError(i);
        QString state;
        if (m_items.value(path, "Control.emergency") == QLatin1String("1"))
            state = QStringLiteral("error");
        else if (ramping)
            state = error ? QStringLiteral("errorInfo") : QStringLiteral("info");
        else if (nowOn)
            state = error ? QStringLiteral("errorOn") : QStringLiteral("ok");
        else
            state = error ? QStringLiteral("error") : QStringLiteral("off");
        m_items.set(path, "Status.runningState", state);
    }
    m_items.set(Device, "Status.on", anyOn ? "1" : "0");

    // The module warms with the delivered power, with a time constant of 30 s.
    const double equilibrium = 30 + 1.5 * power;
    m_temperature += (equilibrium - m_temperature) * std::min(1.0, seconds / 30);
    m_items.set(Device, "Status.temperature", fixed(m_temperature + noise(0.05), 1));
    updateClock();
}

void Supply::updateClock()
{
    const QDateTime clock = QDateTime::currentDateTime().addMSecs(m_clockOffsetMs);
    m_items.set(Service, "System.date", clock.toString(QStringLiteral("yyyy-MM-dd")));
    m_items.set(Service, "System.time", clock.toString(QStringLiteral("HH:mm:ss")));
}
