#include "framerecorder.h"

#include <QJsonDocument>
#include <QJsonObject>

bool FrameRecorder::open(const QString &fileName)
{
    m_file.setFileName(fileName);
    m_clock.start();
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void FrameRecorder::record(const QString &direction, const QString &frame)
{
    if (!m_file.isOpen())
        return;
    const QJsonObject line { { "dir", direction },
                             { "frame", frame },
                             { "ms", m_clock.elapsed() } };
    m_file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
    m_file.flush();
}
