#include "startup.h"

#include "config.h"
#include "hardware.h"
#include "tlstrust.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QQuickWindow>
#include <QSettings>
#include <QtQml>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Takes group and other access away from path; says so when there was any.
void makePrivate(const QString &path, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status;
    if (::stat(name.constData(), &status) != 0) {
        qWarning().noquote() << "Settings: cannot check" << path + ":" << std::strerror(errno);
        return;
    }
    if ((status.st_mode & 077) == 0)
        return;
    const QString before = QString::number(status.st_mode & 07777, 8);
    if (::chmod(name.constData(), mode) != 0) {
        qWarning().noquote() << QStringLiteral("Settings: %1 is open to other users (mode 0%2) "
                                               "and cannot be made private: %3")
                                        .arg(path, before,
                                             QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    qWarning().noquote() << QStringLiteral(
                                    "Settings: %1 was open to other users (mode 0%2), now 0%3")
                                    .arg(path, before, QString::number(mode, 8));
}

} // namespace

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Korvat"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("korvat.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Zandorcontrol"));
}

void protectSettingsFile()
{
    // QSettings rewrites the file through a temporary copy that takes the
    // old file's mode, so a file that starts private stays private; the
    // directory keeps others out of the copy before that.
    const QString file = QSettings().fileName();
    const QString directory = QFileInfo(file).absolutePath();
    QDir().mkpath(QFileInfo(directory).absolutePath());
    if (::mkdir(QFile::encodeName(directory).constData(), 0700) != 0 && errno != EEXIST) {
        qWarning().noquote() << "Settings: cannot create" << directory + ":"
                             << std::strerror(errno);
        return;
    }
    makePrivate(directory, 0700);
    const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd >= 0)
        ::close(fd);
    else if (errno != EEXIST)
        qWarning().noquote() << "Settings: cannot create" << file + ":" << std::strerror(errno);
    makePrivate(file, 0600);
}

void chooseRenderer()
{
    // A 480 x 272 panel gains nothing from GL: the software scene graph draws
    // the same screens at a third of the CPU and without the driver stack's
    // memory (README, "Benchmarks").
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
}

void registerInterfaceTypes()
{
    qmlRegisterType<Config>("cppComponents.config", 1, 0, "Config");
    qmlRegisterType<Hardware>("cppComponents.hardware", 1, 0, "Hardware");
    qmlRegisterType<TlsTrust>("cppComponents.tlstrust", 1, 0, "TlsTrust");
}

void loadPanelFonts()
{
    const QStringList files = { QStringLiteral(":/assets/Fonts/Gothic.ttf"),
                                QStringLiteral(":/assets/Fonts/Gothicb.ttf") };
    for (const QString &file : files) {
        const int id = QFontDatabase::addApplicationFont(file);
        if (id < 0) {
            qWarning() << "Fonts: could not load" << file;
            continue;
        }
        for (const QString &family : QFontDatabase::applicationFontFamilies(id))
            QFont::insertSubstitution(QStringLiteral("Century Gothic"), family);
    }
}
