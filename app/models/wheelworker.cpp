#include "wheelworker.h"

#ifdef ZANDOR_DEVICE_BUILD
#include <QDebug>

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <unistd.h>

namespace {

const char devicePath[] = ZANDOR_DEVICE_ROOT "/dev/input/event1";

constexpr qint64 slowInterval = 1000000;
constexpr qint64 mediumInterval = 300000;
constexpr qint64 fastInterval = 150000;
constexpr int mediumLevel = 48;
constexpr int fastLevel = 96;
constexpr int eventsPerRead = 64;

// Microseconds between two events, at most one second; a clock that went
// back counts as a pause. The seconds are subtracted in the width of the
// kernel's field: on 32-bit ARM it is 32 bits, which a signed time_t reads
// as jumping back by 2^32 s in January 2038.
qint64 interval(const input_event &previous, const input_event &event)
{
    using Seconds = std::make_unsigned_t<decltype(event.input_event_sec)>;
    const Seconds seconds = Seconds(event.input_event_sec) - Seconds(previous.input_event_sec);
    if (seconds > 1)
        return slowInterval;
    const qint64 micros = qint64(seconds) * 1000000 + qint64(event.input_event_usec)
            - qint64(previous.input_event_usec);
    return micros < 0 ? slowInterval : std::min(micros, slowInterval);
}

// Speed-dependent acceleration of the detents of one direction.
class Accelerator
{
public:
    int steps(const input_event &event)
    {
        const qint64 delta = m_hasPrevious ? interval(m_previous, event) : slowInterval;
        qint64 factor = 1;
        if (m_hasPrevious && event.value != m_previous.value)
            m_level = 0;

        if (delta < mediumInterval) {
            if (m_level < mediumLevel)
                ++m_level;
            else
                factor *= 10;
        } else if (m_level > 0) {
            m_level = 0;
        }

        if (delta < fastInterval) {
            if (m_level < fastLevel)
                ++m_level;
            else
                factor *= 10;
        } else if (m_level >= fastLevel) {
            m_level = mediumLevel;
        }

        m_previous = event;
        m_hasPrevious = true;
        // The wheel counts the other way round; keep garbage values in range.
        return int(qBound<qint64>(INT_MIN, -qint64(event.value) * factor, INT_MAX));
    }

private:
    input_event m_previous = {};
    bool m_hasPrevious = false;
    int m_level = 0;
};

} // namespace
#endif

WheelWorker::WheelWorker(QObject *parent) : QThread(parent)
{
#ifdef ZANDOR_DEVICE_BUILD
    if (::pipe2(m_wakeFds, O_CLOEXEC | O_NONBLOCK) < 0)
        qDebug("WheelWorker: no wake-up pipe: %s", qPrintable(qt_error_string(errno)));
#endif
}

WheelWorker::~WheelWorker()
{
    stop();
#ifdef ZANDOR_DEVICE_BUILD
    for (int fd : m_wakeFds) {
        if (fd >= 0)
            ::close(fd);
    }
#endif
}

void WheelWorker::stop()
{
#ifdef ZANDOR_DEVICE_BUILD
    if (m_wakeFds[1] >= 0) {
        const char wake = 1;
        // A full pipe already holds a wake-up; nothing else can fail here.
        const ssize_t written = ::write(m_wakeFds[1], &wake, 1);
        Q_UNUSED(written)
    }
#endif
    wait();
}

void WheelWorker::run()
{
#ifdef ZANDOR_DEVICE_BUILD
    // Without a way to wake it the thread could not be stopped.
    if (m_wakeFds[0] < 0)
        return;
    // Non-blocking, so that a device without a writer cannot hold the open.
    const int fd = ::open(devicePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        qDebug("evtest: %s", qPrintable(qt_error_string(errno)));
        return;
    }

    Accelerator accelerator;
    input_event events[eventsPerRead];
    // Bytes of an event split across reads are kept, so later events stay aligned.
    size_t pending = 0;
    for (;;) {
        pollfd fds[2] = { { fd, POLLIN, 0 }, { m_wakeFds[0], POLLIN, 0 } };
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            qDebug("WheelWorker: wait failed: %s", qPrintable(qt_error_string(errno)));
            break;
        }
        if (fds[1].revents)
            break;
        const ssize_t n
                = ::read(fd, reinterpret_cast<char *>(events) + pending, sizeof(events) - pending);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0) {
            // The device went away or its writer closed: waiting again would spin.
            if (n < 0)
                qDebug("WheelWorker: read failed: %s", qPrintable(qt_error_string(errno)));
            break;
        }
        const size_t bytes = pending + size_t(n);
        const size_t whole = bytes / sizeof(input_event);
        for (size_t i = 0; i < whole; ++i) {
            if (events[i].type == EV_REL)
                emit wheelTurned(accelerator.steps(events[i]));
        }
        pending = bytes % sizeof(input_event);
        if (pending)
            memmove(events, events + whole, pending);
    }
    ::close(fd);
#endif
}

#include "moc_wheelworker.cpp"
