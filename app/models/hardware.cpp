#include "hardware.h"

#include "buttonworker.h"
#include "fanworker.h"
#include "wheelworker.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>

namespace {

const char backlightOn[] = "0";
const char backlightOff[] = "1";
const QString backlightFile
        = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/backlight/backlight/bl_power");

} // namespace

Hardware::Hardware(QObject *parent) : QObject(parent), m_websocketWorker(this)
{
    qRegisterMetaType<QAbstractSocket::SocketState>("QAbstractSocket::SocketState");
    // Relayed once here, so that connecting again does not repeat messages.
    connect(&m_websocketWorker, &WebsocketWorker::textMessageReceived, this,
            &Hardware::websocketTextMessageReceived);
    connect(&m_websocketWorker, &WebsocketWorker::stateChanged, this,
            &Hardware::websocketStateChanged);
}

Hardware::~Hardware() = default;

void Hardware::main()
{
    if (m_ledWorker) {
        qDebug("Hardware: panel workers already started");
        return;
    }

    m_wheelThread = std::make_unique<WheelWorker>();
    connect(m_wheelThread.get(), &WheelWorker::wheelTurned, this, &Hardware::wheelTurned);
    m_wheelThread->start();

    m_buttonThread = std::make_unique<ButtonWorker>();
    connect(m_buttonThread.get(), &ButtonWorker::buttonPressed, this, &Hardware::buttonPressed);
    connect(m_buttonThread.get(), &ButtonWorker::buttonReleased, this, &Hardware::buttonReleased);
    m_buttonThread->start();

    m_ledWorker = std::make_unique<LedWorker>();
    m_fanWorker = std::make_unique<FanWorker>();

    // The threads never end on their own; join them while the application
    // still exists rather than let them run into its destruction.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Hardware::stopThreads);
}

void Hardware::webSocketConnect(const QString &url)
{
    m_websocketWorker.init(QUrl(url));
}

void Hardware::webSocketDisconnect() { }

void Hardware::webSocketSendTextMessage(const QString &message)
{
    m_websocketWorker.sendTextMessage(message);
}

QString Hardware::getSensorValue(const QString &sensorId)
{
    Q_UNUSED(sensorId)
    return QStringLiteral("todo");
}

QString Hardware::getButtonState(const QString &buttonId)
{
    Q_UNUSED(buttonId)
    return QStringLiteral("pressed | longpressed");
}

QString Hardware::getLedState(const QString &ledId)
{
    Q_UNUSED(ledId)
    return QStringLiteral("0/1/-1");
}

bool Hardware::setLedOn(const QString &ledId)
{
    return setLedState(ledId, LedWorker::ON);
}

bool Hardware::setLedOff(const QString &ledId)
{
    return setLedState(ledId, LedWorker::OFF);
}

bool Hardware::setLedBlinking(const QString &ledId)
{
    return setLedState(ledId, LedWorker::BLINK);
}

bool Hardware::setFanSpeed(const QString &temperature, const QVariant &voltages,
                           const QVariant &currents, const QVariant &voltageNoms,
                           const QVariant &currentNoms)
{
    if (!m_fanWorker) {
        qDebug("Hardware: fan worker not started");
        return false;
    }
    return m_fanWorker->configureFanSpeed(temperature, voltages, currents, voltageNoms,
                                          currentNoms);
}

QString Hardware::getUsbState(const QString &usbId)
{
    Q_UNUSED(usbId)
    return QStringLiteral("todo");
}

bool Hardware::unmountUsb(const QString &usbId)
{
    Q_UNUSED(usbId)
    return true;
}

bool Hardware::copyConfigToUsb(const QString &usbId, const QString &file)
{
    Q_UNUSED(usbId)
    Q_UNUSED(file)
    return true;
}

QString Hardware::environment() const
{
#ifdef ZANDOR_DEVICE_BUILD
    return QStringLiteral("ARM");
#else
    return QStringLiteral("Intel");
#endif
}

bool Hardware::switchOnBackLight()
{
    return switchBackLight(backlightOn);
}

bool Hardware::switchOffBackLight()
{
    return switchBackLight(backlightOff);
}

bool Hardware::setLedState(const QString &ledId, LedWorker::LedState ledState)
{
    if (!m_ledWorker) {
        qDebug("Hardware: LED worker not started");
        return false;
    }
    return m_ledWorker->setLedState(ledId, ledState);
}

bool Hardware::switchBackLight(const char *value)
{
    QFile file(backlightFile);
    // Every switch (start, standby, wake-up) tries again; a missing file is told once.
    const auto missing = [this, &file] {
        if (!m_backlightMissing)
            qDebug().noquote() << "Backlight: Error while opening file: " + file.fileName();
        m_backlightMissing = true;
        return false;
    };
    if (!file.open(QIODevice::ReadOnly))
        return missing();
    // The driver ends its value with a line end, so this holds only for a
    // file whose whole content is the bare on value.
    if (file.read(10) == backlightOn) {
        qDebug("Backlight: file holds the bare on value, left unchanged");
        return false;
    }
    file.close();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly))
        return missing();
    if (file.write(value, 1) != 1 || !file.flush()) {
        qDebug("Backlight: Error while writing file");
        return false;
    }
    return true;
}

void Hardware::stopThreads()
{
    m_wheelThread->stop();
    m_buttonThread->stop();
}

#include "moc_hardware.cpp"
