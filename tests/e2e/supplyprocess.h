#pragma once

#include <QJsonValue>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// The virtual supply as a separate process on a free port, recording every
// frame it receives and sends.
class SupplyProcess
{
public:
    explicit SupplyProcess(const QStringList &arguments = {});
    ~SupplyProcess();

    // Starts on the given port (0: a free one) and waits until it listens.
    bool start(quint16 port = 0);
    void stop();
    // Ends at once, as a power cut does: frames not yet read are lost.
    void kill();
    void pause();
    void resume();
    quint16 port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }

    // Frames of every run so far in one direction ("in" or "out"), parsed.
    QList<QJsonValue> frames(const QString &direction) const;
    QList<QJsonValue> received() const { return frames(QStringLiteral("in")); }
    // Every "setItem" received, as "line address channel item value".
    QStringList writes() const;

    // A port nobody listens on right now.
    static quint16 freePort();

private:
    QStringList m_arguments;
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    int m_runs = 0;
};
