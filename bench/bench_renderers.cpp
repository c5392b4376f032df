// Every screen of the real root screen grabbed at 480 x 272, and a driver that
// grabs them once with OpenGL and once with the software scene graph and
// compares each pair.
// Usage: bench_renderers DIR            grabs under this process's renderer into DIR
//        bench_renderers --compare DIR  both renderers into DIR/opengl and DIR/software,
//                                       differences into DIR/diff
// Live values are frozen before each grab, so that both runs draw the same
// data: the supply pushes once a minute, the measured values are replaced by
// fixed ones, and the channel chart and the oscilloscope are fed fixed traces
// at a fixed time.
#include "items.h"
#include "panel.h"
#include "supplyprocess.h"

#include <QApplication>
#include <QDir>
#include <QJSValue>
#include <QPainter>
#include <QProcess>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSGRendererInterface>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// A channel as the bench sets it up: output on at this voltage, or off (0).
const double setVoltages[] = { 500, 250, 0, 1000 };
// The time the fixed traces end at (12:00:00 UTC on 1 Jan 2030).
const double fixedNow = 1893499200000.0;
// A channel differing by more than this in any colour component differs.
const int tolerance = 16;

const QStringList screens
        = { "channellist",       "alert",         "channel",      "home", "menu-settings",
            "menu-voltage-edit", "menu-keyboard", "oscilloscope", "touch" };

QQuickItem *find(Panel &panel, const QString &name)
{
    QList<QQuickItem *> found;
    collect(qobject_cast<QQuickItem *>(panel.root()), name, found);
    return found.value(0);
}

QObject *shownView(Panel &panel)
{
    for (QObject *child : panel.root()->children()) {
        if (child->metaObject()->indexOfProperty("sourceComponent") >= 0)
            return child->property("item").value<QObject *>();
    }
    return nullptr;
}

QString channelPath(int channel)
{
    return QStringLiteral("0.0.%1").arg(channel);
}

// Stops the stream of measurements and shows fixed ones in their place:
// the set voltage, 0.5 mA per kV, 35 degrees.
void freezeValues(Panel &panel)
{
    panel.command(QStringLiteral("ChangeCycleTime"), { { "cycleTime", 60000 } });
    QTest::qWait(600); // a push already on its way lands first
    QObject *cache = panel.child("addItem");
    const auto set = [cache](const QString &path, const char *item, const QString &value,
                             const char *unit) {
        QMetaObject::invokeMethod(cache, "addItem", Q_ARG(QVariant, path), Q_ARG(QVariant, item),
                                  Q_ARG(QVariant, value), Q_ARG(QVariant, unit),
                                  Q_ARG(QVariant, "1893499200"));
    };
    const int channels = panel.property("numberOfChannels").toInt();
    for (int i = 0; i < channels; ++i) {
        const QString path = channelPath(i);
        const bool negative = panel.call("getItemValue", { path, "Status.voltageMeasure" })
                                      .toList()
                                      .value(1)
                                      .toString()
                                      .startsWith(QLatin1Char('-'));
        const double volts = (negative ? -1 : 1) * setVoltages[i % 4];
        set(path, "Status.voltageMeasure", QString::number(volts, 'f', 3), "V");
        set(path, "Status.currentMeasure", QString::number(volts / 2000, 'f', 5), "mA");
    }
    set(QStringLiteral("0.0"), "Status.temperature", QStringLiteral("35.0"), "°C");
}

QVariantList record(double value, const QString &unit)
{
    return { QStringLiteral("t"), QString::number(value, 'f', 3), unit };
}

// The channel chart stops sampling and draws 30 s of a fixed ramp with ripple.
bool freezeChart(Panel &panel)
{
    QQuickItem *chart = find(panel, QStringLiteral("channelChart"));
    if (!chart)
        return false;
    chart->setProperty("started", false);
    for (int i = 0; i <= 60; ++i) {
        const double volts = -(std::min(i, 40) * 6.25 + 3 * std::sin(i / 3.0));
        const QVariant time = fixedNow - (60 - i) * 500;
        QMetaObject::invokeMethod(chart, "addPoint", Q_ARG(QVariant, "voltage"),
                                  Q_ARG(QVariant, record(volts, "V")), Q_ARG(QVariant, time));
        const double milliamperes = -0.05 - 0.04 * std::cos(i / 5.0);
        QMetaObject::invokeMethod(chart, "addPoint", Q_ARG(QVariant, "current"),
                                  Q_ARG(QVariant, record(milliamperes, "mA")),
                                  Q_ARG(QVariant, time));
    }
    return true;
}

// The plot stops and draws fixed waves across its window on every channel.
bool freezeOscilloscope(Panel &panel)
{
    QQuickItem *plot = find(panel, QStringLiteral("osci"));
    if (!plot)
        return false;
    plot->setProperty("isRunning", false);
    const double xMax = fixedNow + plot->property("xScale").toDouble();
    const double range = plot->property("xAxisRange").toDouble();
    plot->setProperty("nowMs", fixedNow);
    plot->setProperty("xMax", xMax);
    QMetaObject::invokeMethod(plot, "setXAxis", Q_ARG(QVariant, xMax - range),
                              Q_ARG(QVariant, xMax));
    QJSEngine *engine = panel.view().engine();
    const QJSValue channels = plot->property("channels").value<QJSValue>();
    const int n = channels.property(QStringLiteral("length")).toInt();
    for (int c = 0; c < n; ++c) {
        QJSValue channel = channels.property(quint32(c));
        channel.property(QStringLiteral("clear")).callWithInstance(channel);
        const double level = setVoltages[c % 4];
        for (int i = 0; i < 200; ++i) {
            const double volts = level + (20 + 10 * c) * std::sin(i / (4.0 + 2 * c));
            channel.property(QStringLiteral("addPoint"))
                    .callWithInstance(channel,
                                      { engine->toScriptValue(record(volts, "V")),
                                        fixedNow - (200 - i) * range / 200 });
        }
    }
    return QMetaObject::invokeMethod(plot, "refreshAll");
}

// Opacity as drawn: the item's own times every ancestor's.
qreal shownOpacity(const QQuickItem *item)
{
    qreal opacity = 1;
    for (; item; item = item->parentItem())
        opacity *= item->isVisible() ? item->opacity() : 0;
    return opacity;
}

// Where text is drawn: renderers rasterise glyphs differently, so the
// comparison reports these areas apart from the rest.
// The text's own extent within its padding and alignment (the bounding
// rectangle leaves out the padding of aligned text).
QRectF contentRect(const QQuickItem *item)
{
    const auto along = [item](const char *alignment, const char *before, const char *after,
                              qreal size, qreal content) {
        const int align = item->property(alignment).toInt();
        const qreal start = item->property(before).toReal();
        const qreal room = size - start - item->property(after).toReal();
        if (align & (Qt::AlignRight | Qt::AlignBottom))
            return start + room - content;
        if (align & (Qt::AlignHCenter | Qt::AlignVCenter))
            return start + (room - content) / 2;
        return start;
    };
    const qreal width = item->property("contentWidth").toReal();
    const qreal height = item->property("contentHeight").toReal();
    return QRectF(along("effectiveHorizontalAlignment", "leftPadding", "rightPadding",
                        item->width(), width),
                  along("verticalAlignment", "topPadding", "bottomPadding", item->height(), height),
                  width, height);
}

void markText(const QQuickItem *item, QPainter &painter)
{
    const bool text = item->inherits("QQuickText") || item->inherits("QQuickTextInput")
            || item->inherits("QQuickTextEdit");
    if (text && !item->property("text").toString().isEmpty() && shownOpacity(item) >= 0.01) {
        const QRectF area = item->mapRectToScene(item->boundingRect() | contentRect(item));
        painter.fillRect(area.adjusted(-2, -2, 2, 2).toAlignedRect(), Qt::white);
    }
    for (const QQuickItem *child : item->childItems())
        markText(child, painter);
}

QImage textMask(QQuickWindow &window)
{
    QImage mask(window.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    QPainter painter(&mask);
    markText(window.contentItem(), painter);
    return mask;
}

void save(Panel &panel, const QDir &dir, const QString &name)
{
    const QImage image = panel.view().grabWindow().convertToFormat(QImage::Format_RGB32);
    image.save(dir.filePath(name + ".png"));
    textMask(panel.view()).save(dir.filePath(name + "-text.png"));
    std::printf("  %s: %dx%d\n", qPrintable(name), image.width(), image.height());
}

// The menu with the row current, in edit when asked.
bool showMenu(Panel &panel, const QString &menu, int row, bool edit = false)
{
    panel.call("changeView", { "Menu", QVariantMap { { "modelToLoad", menu } }, false });
    QObject *view = shownView(panel);
    QObject *list = view ? view->findChild<QQuickItem *>(QStringLiteral("menuList")) : nullptr;
    if (!list)
        return false;
    list->setProperty("currentIndex", row);
    QTest::qWait(1500); // values answered, fades settled
    if (!edit)
        return true;
    QMetaObject::invokeMethod(view, "command", Q_ARG(QVariant, "editItem"),
                              Q_ARG(QVariant, QVariantMap()));
    QTest::qWait(800);
    return view->property("mode").toString() == QLatin1String("edit");
}

int failed(const char *why)
{
    std::fprintf(stderr, "bench_renderers: %s\n", why);
    return 1;
}

int grabScreens(const QDir &dir)
{
    Panel::prepareApplication();
    SupplyProcess supply({ QStringLiteral("--seed"), QStringLiteral("1") });
    if (!supply.start())
        return 1;
    Panel panel(supply.port());
    if (!QTest::qWaitFor([&] { return panel.property("currentView").toString() == "Channellist"; },
                         10000))
        return 1;
    const bool software
            = panel.view().rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
    std::printf("renderer: %s\n", software ? "software" : "OpenGL");

    // Three outputs on at fast ramps, one off; every ramp ends before the grabs.
    const int channels = panel.property("numberOfChannels").toInt();
    for (int i = 0; i < channels; ++i) {
        const QString path = channelPath(i);
        if (setVoltages[i % 4] == 0)
            continue;
        panel.call("setItemValue", { path, "Control.voltageRampspeedUp", "500", "V/s" });
        panel.call("setItemValue",
                   { path, "Control.voltageSet", QString::number(setVoltages[i % 4]), "V" });
        panel.call("setItemValue", { path, "Control.on", "1", "" });
    }
    const auto settled = [&] {
        for (int i = 0; i < channels; ++i) {
            const QString state
                    = panel.call("getItemValue", { channelPath(i), "Status.runningState" })
                              .toList()
                              .value(1)
                              .toString();
            if (state != (setVoltages[i % 4] ? "ok" : "off"))
                return false;
        }
        return true;
    };
    if (!QTest::qWaitFor(settled, 15000))
        return failed("the outputs did not settle");

    freezeValues(panel);
    QTest::qWait(1000);
    save(panel, dir, "channellist");

    QMetaObject::invokeMethod(panel.root(), "alert", Q_ARG(QString, "bench"),
                              Q_ARG(QString, "CURRENT TRIP ON CHANNEL 3"), Q_ARG(QString, "error"));
    QTest::qWait(800);
    save(panel, dir, "alert");
    QMetaObject::invokeMethod(panel.root(), "alert", Q_ARG(QString, "bench"), Q_ARG(QString, ""),
                              Q_ARG(QString, ""));

    QQuickItem *row = inRow(qobject_cast<QQuickItem *>(panel.root()), channelPath(1),
                            QStringLiteral("maSelect"));
    if (!row)
        return failed("no row of channel 1");
    QTest::mouseDClick(&panel.view(), Qt::LeftButton, {},
                       row->mapToScene(QPointF(row->width() / 2, row->height() / 2)).toPoint());
    QTest::qWait(3000); // the chart samples live values
    if (!freezeChart(panel))
        return failed("no chart on the channel view");
    QTest::qWait(800);
    save(panel, dir, "channel");

    panel.command(QStringLiteral("openHomescreen"));
    QTest::qWait(1200);
    save(panel, dir, "home");

    if (!showMenu(panel, "configMain", 0))
        return failed("no settings tree");
    save(panel, dir, "menu-settings");
    if (!showMenu(panel, "channelSetup_voltageMenu", 0, true))
        return failed("the voltage menu did not go into edit");
    save(panel, dir, "menu-voltage-edit");
    if (!showMenu(panel, "configReset", 3, true))
        return failed("the configuration name did not go into edit");
    save(panel, dir, "menu-keyboard");

    panel.command(QStringLiteral("openOsci"));
    QTest::qWait(3000); // live traces at the fast cycle the view asks for
    freezeValues(panel);
    if (!freezeOscilloscope(panel))
        return failed("no oscilloscope plot");
    QTest::qWait(800);
    save(panel, dir, "oscilloscope");

    panel.command(QStringLiteral("openTest"));
    QTest::qWait(800);
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, QPoint(200, 120));
    QTest::qWait(300);
    save(panel, dir, "touch");
    return 0;
}

// Runs a grab in a child process with QT_QUICK_BACKEND set as given
// (a null value leaves it unset).
bool grabIn(const QString &dir, const QString &backend)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QUICK_BACKEND"));
    if (!backend.isNull())
        environment.insert(QStringLiteral("QT_QUICK_BACKEND"), backend);
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), { dir });
    if (!child.waitForFinished(180000)) {
        child.kill();
        child.waitForFinished();
        return false;
    }
    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

int compare(const QDir &dir)
{
    std::printf("OpenGL (QT_QUICK_BACKEND set and empty):\n");
    std::fflush(stdout);
    if (!grabIn(dir.filePath("opengl"), QStringLiteral("")))
        return 1;
    std::printf("software scene graph (the default):\n");
    std::fflush(stdout);
    if (!grabIn(dir.filePath("software"), QString()))
        return 1;
    dir.mkpath(QStringLiteral("diff"));

    std::printf("\nPixels differing by more than %d in a colour component, in all and outside "
                "text; masked: nothing (values frozen, fixed traces at a fixed time)\n",
                tolerance);
    std::printf("%-18s %8s %8s %9s %8s  %s\n", "screen", "differ", "largest", "non-text", "largest",
                "where (non-text)");
    for (const QString &screen : screens) {
        const QImage gl(dir.filePath("opengl/" + screen + ".png"));
        const QImage sw(dir.filePath("software/" + screen + ".png"));
        const QImage glText(dir.filePath("opengl/" + screen + "-text.png"));
        const QImage swText(dir.filePath("software/" + screen + "-text.png"));
        if (gl.isNull() || sw.isNull() || gl.size() != sw.size() || glText.size() != gl.size()
            || swText.size() != sw.size()) {
            std::printf("%-18s missing or of different sizes\n", qPrintable(screen));
            continue;
        }
        // Over the software grab dimmed to grey: differences in text orange,
        // elsewhere red.
        QImage diff(sw.size(), QImage::Format_RGB32);
        int differing = 0, largest = 0, outside = 0, largestOutside = 0;
        QRect where;
        for (int y = 0; y < sw.height(); ++y) {
            for (int x = 0; x < sw.width(); ++x) {
                const QRgb a = gl.pixel(x, y);
                const QRgb b = sw.pixel(x, y);
                const int d = std::max({ qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)),
                                         qAbs(qBlue(a) - qBlue(b)) });
                const bool text = qGray(glText.pixel(x, y)) > 0 || qGray(swText.pixel(x, y)) > 0;
                largest = std::max(largest, d);
                const int grey = qGray(b) / 3;
                diff.setPixel(x, y, qRgb(grey, grey, grey));
                if (d <= tolerance)
                    continue;
                ++differing;
                if (text) {
                    diff.setPixel(x, y, qRgb(255, 150, 0));
                    continue;
                }
                ++outside;
                largestOutside = std::max(largestOutside, d);
                where |= QRect(x, y, 1, 1);
                diff.setPixel(x, y, qRgb(255, 0, 0));
            }
        }
        diff.save(dir.filePath("diff/" + screen + ".png"));
        const double pixels = sw.width() * sw.height() / 100.0;
        const QString box = where.isEmpty() ? QStringLiteral("-")
                                            : QStringLiteral("%1,%2 %3x%4")
                                                      .arg(where.x())
                                                      .arg(where.y())
                                                      .arg(where.width())
                                                      .arg(where.height());
        std::printf("%-18s %7.2f%% %8d %8.3f%% %8d  %s\n", qPrintable(screen), differing / pixels,
                    largest, outside / pixels, largestOutside, qPrintable(box));
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (args.value(0) == QLatin1String("--compare") && args.size() == 2) {
        QCoreApplication app(argc, argv);
        QDir dir(args[1]);
        if (!dir.mkpath(QStringLiteral(".")))
            return 1;
        return compare(QDir(dir.absolutePath()));
    }
    if (args.size() != 1 || args[0].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: bench_renderers DIR | --compare DIR\n");
        return 2;
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    QDir dir(args[0]);
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    return grabScreens(dir);
}
