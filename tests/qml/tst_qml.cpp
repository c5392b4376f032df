// Runs the Qt Quick tests against the program's compiled interface: one
// instance of the real root screen per test file is published as `main`.
#include "osciseries.h"
#include "startup.h"

#include <QApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSettings>
#include <QTcpServer>
#include <QtQuickTest>

class Setup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Korvat"));
        QCoreApplication::setApplicationName(QStringLiteral("Zandorcontrol"));
        registerInterfaceTypes();
        loadPanelFonts();

        // Point the link at a port nobody listens on (the settings home is
        // temporary): unit tests never reach a real service.
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 closedPort = probe.serverPort();
        probe.close();
        QSettings settings;
        settings.setValue(QStringLiteral("ip"), QStringLiteral("127.0.0.1"));
        settings.setValue(QStringLiteral("port"), QString::number(closedPort));
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->rootContext()->setContextProperty(QStringLiteral("osciSeries"), &m_osciSeries);
        QQmlComponent component(engine, QUrl(QStringLiteral("qrc:/main.qml")));
        QObject *root = component.create();
        if (!root)
            qFatal("Cannot create the root screen: %s", qPrintable(component.errorString()));
        root->setParent(engine);
        engine->rootContext()->setContextProperty(QStringLiteral("main"), root);
    }

private:
    OsciSeries m_osciSeries { nullptr };
};

// Qt Charts draws through the widget module: the test runner must find a
// widget application already made.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    Setup setup;
    return quick_test_main_with_setup(argc, argv, "zandorqml", QUICK_TEST_SOURCE_DIR, &setup);
}

#include "tst_qml.moc"
