// The built Debian packages unpacked into a throw-away root: the installed
// virtual supply, the installed desktop program through its launcher, the
// panel program as its systemd unit starts it (offscreen instead of the
// framebuffer) and the virtual supply's unit with its settings file.
#include "panel.h"
#include "supplyprocess.h"
#include "x11window.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QtTest>

class tst_PackageInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void desktopLauncherRunsInDataDirectoryAndReachesChannelList();
    void panelUnitStartsProgramAndReachesChannelList();
    void simulatorUnitListensWhereItsSettingsFileSays();

private:
    QString root(const QString &path = QString()) const
    {
        return QStringLiteral(PACKAGE_ROOT) + path;
    }
    void expectChannelList(QProcess &program, const SupplyProcess &supply, const QString &user);
    QString revision;
};

// A unit file's settings, key by key in file order.
static QMultiMap<QString, QString> readUnit(const QString &path)
{
    QMultiMap<QString, QString> unit;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return unit;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const int equals = line.indexOf(QLatin1Char('='));
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char('['))
            || equals < 0)
            continue;
        unit.insert(line.left(equals), line.mid(equals + 1));
    }
    return unit;
}

// Environment= lines: NAME=VALUE words.
static void addAssignments(QMap<QString, QString> &environment, const QStringList &lines)
{
    for (const QString &line : lines) {
        for (const QString &word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int equals = word.indexOf(QLatin1Char('='));
            if (equals > 0)
                environment[word.left(equals)] = word.mid(equals + 1);
        }
    }
}

// An environment file: one NAME=VALUE a line, the value may be quoted.
static void addFile(QMap<QString, QString> &environment, const QStringList &lines)
{
    for (const QString &line : lines) {
        const int equals = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('#')) || equals <= 0)
            continue;
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"'))
            && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        environment[line.left(equals).trimmed()] = value;
    }
}

// ExecStart as systemd expands it: ${NAME} is one word, $NAME splits.
static QStringList expandCommand(const QString &command, const QMap<QString, QString> &environment)
{
    QStringList words;
    static const QRegularExpression variable(QStringLiteral("^\\$(\\{)?([A-Za-z_0-9]+)\\}?$"));
    for (const QString &word : command.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = variable.match(word);
        if (!match.hasMatch())
            words << word;
        else if (match.capturedLength(1))
            words << environment.value(match.captured(2));
        else
            words << environment.value(match.captured(2))
                             .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    return words;
}

// Channels whose list row asked for its measured voltage: the rows of the
// channel list do that when they are created.
static QSet<QString> channelRows(const SupplyProcess &supply)
{
    QSet<QString> channels;
    for (const QJsonValue &frame : supply.received()) {
        for (const QJsonValue &packet : frame.toObject().value("c").toArray()) {
            const QJsonObject p = packet.toObject().value("p").toObject();
            const QString channel = p.value("p").toObject().value("c").toString();
            if (packet.toObject().value("c") == QLatin1String("getItem")
                && p.value("i") == QLatin1String("Status.voltageMeasure") && channel != "*")
                channels << channel;
        }
    }
    return channels;
}

// The login frame's user name; empty before any login.
static QString loginUser(const SupplyProcess &supply)
{
    for (const QJsonValue &frame : supply.received()) {
        if (frame.toObject().value("t") == QLatin1String("login"))
            return frame.toObject().value("c").toObject().value("l").toString();
    }
    return QString();
}

static bool received(const SupplyProcess &supply, const QString &type)
{
    for (const QJsonValue &frame : supply.received()) {
        if (frame.toObject().value("t").toString() == type)
            return true;
    }
    return false;
}

void tst_PackageInstall::initTestCase()
{
    const QStringList debs = QDir(QStringLiteral(PACKAGE_DEBS))
                                     .entryList({ QStringLiteral("*.deb") }, QDir::Files);
    QCOMPARE(debs.size(), 3);
    QDir(root()).removeRecursively();
    QVERIFY(QDir().mkpath(root()));
    for (const QString &deb : debs) {
        QProcess dpkg;
        dpkg.setProcessChannelMode(QProcess::ForwardedChannels);
        dpkg.start(QStringLiteral("dpkg"),
                   { QStringLiteral("-x"), QStringLiteral(PACKAGE_DEBS "/") + deb, root() });
        QVERIFY(dpkg.waitForFinished(60000));
        QCOMPARE(dpkg.exitCode(), 0);
    }
    // The packages' version carries the revision the program must print.
    static const QRegularExpression version(QStringLiteral("_[0-9.]+\\+([0-9a-f]{8})-"));
    const QRegularExpressionMatch match = version.match(debs.first());
    QVERIFY2(match.hasMatch(), qPrintable(debs.first()));
    revision = match.captured(1);
}

void tst_PackageInstall::expectChannelList(QProcess &program, const SupplyProcess &supply,
                                           const QString &user)
{
    QTRY_COMPARE_WITH_TIMEOUT(loginUser(supply), user, 20000);
    QVERIFY(received(supply, "getConfig"));
    const QSet<QString> all = { "0", "1", "2", "3" };
    QTRY_COMPARE_WITH_TIMEOUT(channelRows(supply), all, 20000);
    QCOMPARE(program.state(), QProcess::Running);
}

// The start-up line once, with the packages' revision, and no script error.
static void checkLog(const QString &log, const QString &revision)
{
    const QRegularExpression startLine(
            QStringLiteral("zandorcontrol rev\\. +([0-9a-f]{8}) +started\\."));
    QRegularExpressionMatchIterator matches = startLine.globalMatch(log);
    QVERIFY2(matches.hasNext(), qPrintable(log));
    QCOMPARE(matches.next().captured(1), revision);
    QVERIFY2(!matches.hasNext(), "the start-up line was written more than once");
    static const QRegularExpression scriptError(QStringLiteral(
            "ReferenceError|TypeError|is not defined|is not a type|module .* is not installed"));
    QVERIFY2(!scriptError.match(log).hasMatch(), qPrintable(log));
}

void tst_PackageInstall::desktopLauncherRunsInDataDirectoryAndReachesChannelList()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel::pointSettingsAt(supply.port());

    // Started from somewhere else, as the menu would start it.
    const QString data = QDir::homePath() + QStringLiteral("/.local/share/Korvat/Zandorcontrol");
    QVERIFY(!QFileInfo::exists(data));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QDir::homePath());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(root("/usr/bin/zandorcontrol"), QStringList());
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));

    X11Window window;
    QTRY_VERIFY_WITH_TIMEOUT(window.find("Zandor control"), 20000);
    expectChannelList(program, supply, QStringLiteral("kiwi"));

    // The launcher made the data directory and left the installed program in it.
    const QString proc = QStringLiteral("/proc/%1/").arg(program.processId());
    QCOMPARE(QFileInfo(proc + "cwd").symLinkTarget(), data);
    QCOMPARE(QFileInfo(proc + "exe").canonicalFilePath(),
             QFileInfo(root("/usr/libexec/zandorcontrol/zandorcontrol")).canonicalFilePath());

    window.requestClose();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    checkLog(QString::fromLocal8Bit(program.readAll()), revision);
}

void tst_PackageInstall::panelUnitStartsProgramAndReachesChannelList()
{
    const QMultiMap<QString, QString> unit
            = readUnit(root("/lib/systemd/system/zandorcontrol-panel.service"));
    QMap<QString, QString> unitEnvironment;
    addAssignments(unitEnvironment, unit.values("Environment"));
    QCOMPARE(unitEnvironment.value("QT_QPA_PLATFORM"), QStringLiteral("linuxfb"));
    QCOMPARE(unitEnvironment.value("QT_QUICK_BACKEND"), QStringLiteral("software"));
    QVERIFY(unit.value("WorkingDirectory").startsWith("/var/lib/"));
    QCOMPARE(unit.value("Restart"), QStringLiteral("on-failure"));

    SupplyProcess supply;
    QVERIFY(supply.start());

    // What systemd gives the service: a bare environment, the user's home,
    // the unit's settings; the paths live under the throw-away root.
    const QString home = QDir::homePath() + QStringLiteral("/panel-user");
    QSettings settings(home + QStringLiteral("/.config/Korvat/Zandorcontrol.conf"),
                       QSettings::IniFormat);
    settings.setValue(QStringLiteral("port"), QString::number(supply.port()));
    settings.sync();
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/sbin:/usr/bin:/sbin:/bin"));
    environment.insert(QStringLiteral("HOME"), home);
    for (auto it = unitEnvironment.cbegin(); it != unitEnvironment.cend(); ++it)
        environment.insert(it.key(), it.value().startsWith('/') ? root(it.value()) : it.value());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QVERIFY(QDir().mkpath(environment.value("XDG_RUNTIME_DIR")));
    QFile::setPermissions(environment.value("XDG_RUNTIME_DIR"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString workingDirectory = root(unit.value("WorkingDirectory"));
    QVERIFY(QDir().mkpath(workingDirectory));

    const QStringList command = expandCommand(unit.value("ExecStart"), unitEnvironment);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(workingDirectory);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(root(command.first()), command.mid(1));
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
    // The panel's own login (the device build's default).
    expectChannelList(program, supply, QStringLiteral("_PANEL_"));

    // systemd stops the service with SIGTERM.
    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    checkLog(QString::fromLocal8Bit(program.readAll()), revision);
}

void tst_PackageInstall::simulatorUnitListensWhereItsSettingsFileSays()
{
    const QMultiMap<QString, QString> unit
            = readUnit(root("/lib/systemd/system/zandorsim.service"));
    QString settingsFile = unit.value("EnvironmentFile");
    if (settingsFile.startsWith('-'))
        settingsFile.remove(0, 1);
    QCOMPARE(settingsFile, QStringLiteral("/etc/default/zandorsim"));
    QFile shipped(root(settingsFile));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QString port = QString::number(SupplyProcess::freePort());

    // The shipped file with the lab's port and options: the environment
    // file overrides the unit's defaults, options split into words.
    QStringList lines;
    for (const QByteArray &line : shipped.readAll().split('\n')) {
        if (line.startsWith("ZANDORSIM_PORT="))
            lines << QStringLiteral("ZANDORSIM_PORT=") + port;
        else if (line.startsWith("ZANDORSIM_OPTIONS="))
            lines << QStringLiteral("ZANDORSIM_OPTIONS=\"--channels 2 --cycle 100\"");
        else
            lines << QString::fromUtf8(line);
    }
    QMap<QString, QString> environment;
    addAssignments(environment, unit.values("Environment"));
    addFile(environment, lines);
    const QStringList command = expandCommand(unit.value("ExecStart"), environment);
    QCOMPARE(command.first(), QStringLiteral("/usr/bin/zandorsim"));

    QProcess simulator;
    simulator.start(root(command.first()), command.mid(1));
    QVERIFY(simulator.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(simulator.canReadLine(), 10000);
    QCOMPARE(QString::fromLatin1(simulator.readLine()).trimmed(),
             QStringLiteral("zandorsim listening on 127.0.0.1:") + port);
    QCOMPARE(command.mid(command.indexOf(QStringLiteral("--channels"))),
             QStringList({ "--channels", "2", "--cycle", "100" }));
    simulator.terminate();
    QVERIFY(simulator.waitForFinished(5000));
    QCOMPARE(simulator.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_PackageInstall)
#include "tst_package_install.moc"
