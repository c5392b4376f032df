#ifndef HARDWARE_H
#define HARDWARE_H

#include "ledworker.h"
#include "websocketworker.h"

#include <QObject>
#include <QVariant>

#include <memory>

class ButtonWorker;
class FanWorker;
class WheelWorker;

class Hardware : public QObject
{
    Q_OBJECT
public:
    explicit Hardware(QObject *parent = nullptr);
    ~Hardware() override;

    Q_INVOKABLE void main();
    Q_INVOKABLE void webSocketConnect(const QString &url);
    Q_INVOKABLE void webSocketDisconnect();
    Q_INVOKABLE void webSocketSendTextMessage(const QString &message);
    Q_INVOKABLE QString getSensorValue(const QString &sensorId);
    Q_INVOKABLE QString getButtonState(const QString &buttonId);
    Q_INVOKABLE QString getLedState(const QString &ledId);
    Q_INVOKABLE bool setLedOn(const QString &ledId);
    Q_INVOKABLE bool setLedOff(const QString &ledId);
    Q_INVOKABLE bool setLedBlinking(const QString &ledId);
    Q_INVOKABLE bool setFanSpeed(const QString &temperature, const QVariant &voltages,
                                 const QVariant &currents, const QVariant &voltageNoms,
                                 const QVariant &currentNoms);
    Q_INVOKABLE QString getUsbState(const QString &usbId);
    Q_INVOKABLE bool unmountUsb(const QString &usbId);
    Q_INVOKABLE bool copyConfigToUsb(const QString &usbId, const QString &file);
    Q_INVOKABLE QString environment() const;
    Q_INVOKABLE bool switchOnBackLight();
    Q_INVOKABLE bool switchOffBackLight();

Q_SIGNALS:
    void websocketTextMessageReceived(const QString &message);
    void websocketStateChanged(QAbstractSocket::SocketState state);
    void buttonPressed(const QString &buttonId);
    void buttonReleased(const QString &buttonId);
    void ledChanged(const QString &ledId, bool ledState);
    void wheelTurned(int steps);
    void wheelPressed();
    void sensorChanged(const QString &sensorId, const QString &value);
    void usbChanged(const QString &usbId, const QByteArray &usbInfo);

private:
    bool setLedState(const QString &ledId, LedWorker::LedState ledState);
    bool switchBackLight(const char *value);
    void stopThreads();

    std::unique_ptr<ButtonWorker> m_buttonThread;
    WebsocketWorker m_websocketWorker;
    std::unique_ptr<WheelWorker> m_wheelThread;
    std::unique_ptr<LedWorker> m_ledWorker;
    std::unique_ptr<FanWorker> m_fanWorker;
    bool m_backlightMissing = false;
};

#endif // HARDWARE_H
