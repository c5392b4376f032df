#ifndef LEDWORKER_H
#define LEDWORKER_H

#include <QObject>
#include <QSet>
#include <QTimer>

#include <array>

class LedWorker : public QObject
{
    Q_OBJECT
public:
    enum LedState { OFF = 0, ON = 1, BLINK = 2 };
    Q_ENUM(LedState)

    explicit LedWorker(QObject *parent = nullptr);

    bool setLedState(const QString &ledId, LedState ledState);
    bool writeLedFile(const QString &ledDevice, bool light);
    static bool isLedHighVoltageOn(const QString &ledId);

Q_SIGNALS:
    void ledChanged(const QString &ledId, bool ledState);

private Q_SLOTS:
    void blinkTimer();

private:
    std::array<bool, 4> m_blinking = {};
    QTimer m_blinkTimer;
    // Shared by all channels so that blinking LEDs stay in step.
    bool m_blinkPhase = false;
    // LED files already reported missing: a panel without them says so once.
    QSet<QString> m_missing;
};

#endif // LEDWORKER_H
