#include "panel.h"

#include "startup.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>
#include <QTimer>

static QtMessageHandler testLog = nullptr;

// Still written to the test's log; a failure of the test that ran.
static void failOnScriptError(QtMsgType type, const QMessageLogContext &context,
                              const QString &message)
{
    testLog(type, context, message);
    if (Panel::isScriptError(message))
        QTest::qFail(qPrintable(QStringLiteral("script error in the log: ") + message), __FILE__,
                     __LINE__);
}

bool Panel::isScriptError(const QString &line)
{
    static const QRegularExpression error(QStringLiteral(
            "TypeError|ReferenceError|RangeError|SyntaxError|is not a function|is not defined|"
            "Cannot read property|Cannot assign|Unable to assign|Binding loop detected"));
    return error.match(line).hasMatch();
}

void Panel::prepareApplication()
{
    // Over the test library's handler, which is installed once the tests run.
    if (!testLog)
        testLog = qInstallMessageHandler(failOnScriptError);
    nameApplication();
    protectSettingsFile();
    chooseRenderer();
    registerInterfaceTypes();
    loadPanelFonts();
}

void Panel::paceTap()
{
    static QElapsedTimer last;
    if (last.isValid() && last.elapsed() < 550)
        QTest::qWait(550 - int(last.elapsed()));
    last.start();
}

void Panel::run(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void Panel::pointSettingsAt(quint16 port, const QString &user, const QString &password)
{
    QSettings settings(QStringLiteral("Korvat"), QStringLiteral("Zandorcontrol"));
    settings.setValue(QStringLiteral("ip"), QStringLiteral("127.0.0.1"));
    settings.setValue(QStringLiteral("port"), QString::number(port));
    settings.setValue(QStringLiteral("user"), user);
    settings.setValue(QStringLiteral("password"), password);
}

Panel::Panel(quint16 port, const QString &user, const QString &password)
{
    pointSettingsAt(port, user, password);
    QObject::connect(m_view.engine(), &QQmlEngine::quit, &m_view, &QWindow::close);
    m_view.rootContext()->setContextProperty(QStringLiteral("osciSeries"), &m_osciSeries);
    m_view.setSource(QUrl(QStringLiteral("qrc:/main.qml")));
    m_view.setResizeMode(QQuickView::SizeRootObjectToView);
    m_view.setColor(QColor(QStringLiteral("#404040")));
    m_view.show();
}

// Script functions take exactly their declared number of arguments.
QVariant Panel::call(const char *function, const QVariantList &arguments)
{
    QVariant result;
    const QVariantList &a = arguments;
    const auto r = Q_RETURN_ARG(QVariant, result);
    switch (a.size()) {
    case 0:
        QMetaObject::invokeMethod(root(), function, r);
        break;
    case 1:
        QMetaObject::invokeMethod(root(), function, r, Q_ARG(QVariant, a[0]));
        break;
    case 2:
        QMetaObject::invokeMethod(root(), function, r, Q_ARG(QVariant, a[0]),
                                  Q_ARG(QVariant, a[1]));
        break;
    case 3:
        QMetaObject::invokeMethod(root(), function, r, Q_ARG(QVariant, a[0]), Q_ARG(QVariant, a[1]),
                                  Q_ARG(QVariant, a[2]));
        break;
    default:
        QMetaObject::invokeMethod(root(), function, r, Q_ARG(QVariant, a[0]), Q_ARG(QVariant, a[1]),
                                  Q_ARG(QVariant, a[2]), Q_ARG(QVariant, a[3]));
        break;
    }
    return result;
}

QObject *Panel::child(const char *member) const
{
    for (QObject *object : root()->findChildren<QObject *>(QString(), Qt::FindDirectChildrenOnly)) {
        const QMetaObject *meta = object->metaObject();
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            if (meta->method(i).name() == member)
                return object;
        }
    }
    return nullptr;
}
