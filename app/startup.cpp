#include "startup.h"

#include "config.h"
#include "hardware.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QQuickWindow>
#include <QtQml>

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Korvat"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("korvat.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Zandorcontrol"));
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
