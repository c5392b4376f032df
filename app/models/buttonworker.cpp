#include "buttonworker.h"

#ifdef ZANDOR_DEVICE_BUILD
#include <QDebug>

#include <array>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Key
{
    const char *id;
    int gpio;
};

// Polling order; the lines are active low.
constexpr std::array<Key, 10> keys = { {
        { "bb_bt1", 168 },
        { "bb_bt2", 176 },
        { "bb_bt3", 167 },
        { "bb_bt4", 171 },
        { "ch_bt0", 165 },
        { "ch_bt1", 164 },
        { "ch_bt2", 163 },
        { "ch_bt3", 162 },
        { "rt_bt", 40 },
        { "home_bt", 6 },
} };

const QByteArray exportPath = ZANDOR_DEVICE_ROOT "/sys/class/gpio/export";

QByteArray valuePath(int gpio)
{
    return ZANDOR_DEVICE_ROOT "/sys/class/gpio/gpio" + QByteArray::number(gpio) + "/value";
}

// Why the export failed, or nothing when it worked.
QString exportGpio(int gpio)
{
    const int fd = ::open(exportPath.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("Error while opening %1: '%2'")
                .arg(QLatin1String(exportPath), qt_error_string(errno));
    QString error;
    const QByteArray number = QByteArray::number(gpio);
    if (::write(fd, number.constData(), size_t(number.size())) != number.size())
        error = QStringLiteral("Write error %1").arg(qt_error_string(errno));
    ::close(fd);
    return error;
}

// One line for a key that cannot be read: the ten keys share the export file,
// whose failure alone would say ten times the same without naming the key.
int openValue(int gpio)
{
    const QByteArray path = valuePath(gpio);
    int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0)
        return fd;
    const QString exportError = exportGpio(gpio);
    fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        qDebug("Error while opening %s: '%s'%s", path.constData(),
               qPrintable(qt_error_string(errno)),
               qPrintable(exportError.isEmpty() ? QString() : " (" + exportError + ")"));
    return fd;
}

} // namespace
#endif

ButtonWorker::ButtonWorker(QObject *parent) : QThread(parent) { }

ButtonWorker::~ButtonWorker()
{
    stop();
}

void ButtonWorker::stop()
{
    requestInterruption();
    wait();
}

void ButtonWorker::run()
{
#ifdef ZANDOR_DEVICE_BUILD
    std::array<int, keys.size()> fds;
    std::array<char, keys.size()> states;
    for (size_t i = 0; i < keys.size(); ++i) {
        fds[i] = openValue(keys[i].gpio);
        states[i] = '1';
    }

    while (!isInterruptionRequested()) {
        for (size_t i = 0; i < keys.size(); ++i) {
            // A key that cannot be read keeps its state and stays silent.
            char state;
            if (fds[i] < 0 || ::lseek(fds[i], 0, SEEK_SET) < 0 || ::read(fds[i], &state, 1) != 1)
                continue;
            if (state == states[i])
                continue;
            states[i] = state;
            if (state == '0')
                emit buttonPressed(QLatin1String(keys[i].id));
            else if (state == '1')
                emit buttonReleased(QLatin1String(keys[i].id));
        }
        msleep(50);
    }

    for (int fd : fds) {
        if (fd >= 0)
            ::close(fd);
    }
#endif
}

#include "moc_buttonworker.cpp"
