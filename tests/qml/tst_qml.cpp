// Runs the Qt Quick tests against the program's compiled interface: one
// instance of the real root screen per test file is published as `main`.
#include "osciseries.h"
#include "panel.h"
#include "supplyprocess.h"

#include <QApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

class Setup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        Panel::prepareApplication();
        // A port nobody listens on (the settings home is temporary): unit
        // tests never reach a real service.
        Panel::pointSettingsAt(SupplyProcess::freePort());
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
