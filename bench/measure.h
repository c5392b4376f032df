#pragma once

// What the long-running benchmarks read off their own process, and the live
// traces they start before opening the oscilloscope.
#include "panel.h"

#include <QFile>
#include <QString>

#include <sys/resource.h>

// CPU seconds of the process (RUSAGE_SELF) or of the calling thread
// (RUSAGE_THREAD, the interface thread: the rest is mostly rendering).
inline double cpuSeconds(int who)
{
    rusage usage;
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
            + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A memory figure of /proc/self/status in MiB, e.g. "VmRSS:" or "VmHWM:".
inline double statusMiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

// Every channel on, ramping to 500 V and then noisy.
inline void switchChannelsOn(Panel &panel)
{
    for (int i = 0; i < panel.property("numberOfChannels").toInt(); ++i) {
        const QString path = QStringLiteral("0.0.%1").arg(i);
        panel.call("setItemValue", { path, "Control.voltageSet", "500", "V" });
        panel.call("setItemValue", { path, "Control.on", "1", "" });
    }
}
