#ifndef WHEELWORKER_H
#define WHEELWORKER_H

#include <QThread>

class WheelWorker : public QThread
{
    Q_OBJECT
public:
    explicit WheelWorker(QObject *parent = nullptr);
    ~WheelWorker() override;

    // Wakes the blocked thread, lets it end and waits for it; safe to call again.
    void stop();

Q_SIGNALS:
    void wheelTurned(int steps);

protected:
    void run() override;

#ifdef ZANDOR_DEVICE_BUILD
private:
    // Read end and write end of the pipe that interrupts the wait.
    int m_wakeFds[2] = { -1, -1 };
#endif
};

#endif // WHEELWORKER_H
