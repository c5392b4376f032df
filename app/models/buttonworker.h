#ifndef BUTTONWORKER_H
#define BUTTONWORKER_H

#include <QThread>

class ButtonWorker : public QThread
{
    Q_OBJECT
public:
    explicit ButtonWorker(QObject *parent = nullptr);
    ~ButtonWorker() override;

    // Ends the polling loop and waits for the thread; safe to call again.
    void stop();

Q_SIGNALS:
    void buttonPressed(const QString &btnId);
    void buttonReleased(const QString &btnId);

protected:
    void run() override;
};

#endif // BUTTONWORKER_H
