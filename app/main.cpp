#include "osciseries.h"
#include "revision.h"
#include "startup.h"

#include <QApplication>
#include <QColor>
#include <QDebug>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickView>

int main(int argc, char *argv[])
{
    // Qt Charts draws through the widget module, hence QApplication.
    QApplication app(argc, argv);
    chooseRenderer();
    QQuickView view;

    qDebug() << "zandorcontrol rev. " << ZANDOR_REVISION << " started.\n";

    nameApplication();
    protectSettingsFile();
    registerInterfaceTypes();
    loadPanelFonts();

    QObject::connect(view.engine(), &QQmlEngine::quit, &view, &QWindow::close);

    OsciSeries osciSeries(&view);
    view.rootContext()->setContextProperty(QStringLiteral("osciSeries"), &osciSeries);

    view.setTitle(QStringLiteral("Zandor control"));
    view.setSource(QUrl(QStringLiteral("qrc:/main.qml")));
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.setColor(QColor(QStringLiteral("#404040")));
    view.show();

    const QRect geometry = view.geometry();
    view.setMinimumWidth(geometry.width());
    view.setMaximumWidth(geometry.width());
    view.setMinimumHeight(geometry.height());
    view.setMaximumHeight(geometry.height());

    return app.exec();
}
