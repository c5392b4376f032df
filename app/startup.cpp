#include "startup.h"

#include "config.h"
#include "hardware.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QtQml>

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Korvat"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("korvat.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Zandorcontrol"));
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
