#include "supplyprocess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpServer>

#include <signal.h>

SupplyProcess::SupplyProcess(const QStringList &arguments) : m_arguments(arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SupplyProcess::~SupplyProcess()
{
    resume();
    stop();
}

bool SupplyProcess::start(quint16 port)
{
    const QString record = m_dir.filePath(QStringLiteral("frames-%1.jsonl").arg(m_runs++));
    m_process.start(QStringLiteral(ZANDORSIM),
                    m_arguments
                            + QStringList { QStringLiteral("--port"), QString::number(port),
                                            QStringLiteral("--record"), record });
    if (!m_process.waitForStarted(5000))
        return false;
    static const QRegularExpression listening(QStringLiteral("listening on [^:]+:(\\d+)"));
    QByteArray output;
    while (m_process.waitForReadyRead(5000)) {
        output += m_process.readAllStandardOutput();
        const QRegularExpressionMatch match = listening.match(QString::fromLatin1(output));
        if (match.hasMatch()) {
            m_port = quint16(match.captured(1).toUInt());
            return true;
        }
    }
    qWarning() << "SupplyProcess: the supply did not start:" << output;
    return false;
}

void SupplyProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void SupplyProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

void SupplyProcess::pause()
{
    if (m_process.state() == QProcess::Running)
        ::kill(pid_t(m_process.processId()), SIGSTOP);
}

void SupplyProcess::resume()
{
    if (m_process.state() == QProcess::Running)
        ::kill(pid_t(m_process.processId()), SIGCONT);
}

QList<QJsonValue> SupplyProcess::frames(const QString &direction) const
{
    QList<QJsonValue> result;
    for (int run = 0; run < m_runs; ++run) {
        QFile file(m_dir.filePath(QStringLiteral("frames-%1.jsonl").arg(run)));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const QJsonObject entry = QJsonDocument::fromJson(line).object();
            if (entry.value(QStringLiteral("dir")).toString() != direction)
                continue;
            const QString text = entry.value(QStringLiteral("frame")).toString();
            const QJsonDocument frame = QJsonDocument::fromJson(text.toUtf8());
            result.append(frame.isArray()            ? QJsonValue(frame.array())
                                  : frame.isObject() ? QJsonValue(frame.object())
                                                     : QJsonValue(text));
        }
    }
    return result;
}

QStringList SupplyProcess::writes() const
{
    QStringList result;
    for (const QJsonValue &frame : received()) {
        if (frame.toObject().value("t").toString() != QLatin1String("request"))
            continue;
        for (const QJsonValue &packet : frame.toObject().value("c").toArray()) {
            if (packet.toObject().value("c").toString() != QLatin1String("setItem"))
                continue;
            const QJsonObject p = packet.toObject().value("p").toObject();
            const QJsonObject path = p.value("p").toObject();
            result << QStringList { path.value("l").toString(), path.value("a").toString(),
                                    path.value("c").toString(), p.value("i").toString(),
                                    p.value("v").toVariant().toString() }
                              .join(QLatin1Char(' '));
        }
    }
    return result;
}

quint16 SupplyProcess::freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}
