#ifndef FRAMERECORDER_H
#define FRAMERECORDER_H

#include <QElapsedTimer>
#include <QFile>

// Writes every frame as one JSON line {"dir", "frame", "ms"}, flushed at once
// so that a reader sees it while the simulator runs.
class FrameRecorder
{
public:
    bool open(const QString &fileName);
    void record(const QString &direction, const QString &frame);

private:
    QFile m_file;
    QElapsedTimer m_clock;
};

#endif // FRAMERECORDER_H
