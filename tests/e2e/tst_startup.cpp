// The built program, started as a user would: one start-up line with the
// real revision, a fixed 480 x 272 window, a clean exit when closed.
#include "panel.h"
#include "supplyprocess.h"
#include "x11window.h"

#include <QDir>
#include <QSettings>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <sys/stat.h>

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void startsShowsFixedWindowAndQuits();
    void channelChartDrawsThroughOsciSeries();
    void settingsFileIsPrivate_data();
    void settingsFileIsPrivate();
};

static QString sourceRevision()
{
    QProcess git;
    git.start(QStringLiteral("git"),
              QStringList { QStringLiteral("-C"), QStringLiteral(ZANDOR_SOURCE_DIR),
                            QStringLiteral("rev-parse"), QStringLiteral("HEAD") });
    git.waitForFinished();
    return QString::fromLatin1(git.readAllStandardOutput()).trimmed().left(8);
}

// The program's own log checked as the tests in this process check theirs.
static QString scriptErrors(const QString &log)
{
    QStringList errors;
    for (const QString &line : log.split(QLatin1Char('\n'))) {
        if (Panel::isScriptError(line))
            errors << line;
    }
    return errors.join(QLatin1Char('\n'));
}

void tst_Startup::startsShowsFixedWindowAndQuits()
{
    // No service listens on this port: the program must still start.
    Panel::pointSettingsAt(SupplyProcess::freePort());

    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(ZANDORCONTROL), QStringList());
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));

    X11Window window;
    QTRY_VERIFY_WITH_TIMEOUT(window.find("Zandor control"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(window.maximumSize(), QSize(480, 272), 10000);
    QCOMPARE(window.size(), QSize(480, 272));
    QCOMPARE(window.minimumSize(), QSize(480, 272));

    window.requestClose();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    const QString log = QString::fromLocal8Bit(program.readAll());
    const QRegularExpression startLine(
            QStringLiteral("zandorcontrol rev\\. +([0-9a-f]{8}) +started\\."));
    auto matches = startLine.globalMatch(log);
    QVERIFY2(matches.hasNext(), qPrintable(log));
    const QString revision = matches.next().captured(1);
    QVERIFY2(!matches.hasNext(), "the start-up line was written more than once");
    QCOMPARE(revision, sourceRevision());
    QVERIFY(revision != QLatin1String("00000000"));

    // Written before any interface file loads, and the interface found
    // every native type and object it uses while it was being created.
    const int firstInterfaceLine = log.indexOf(QLatin1String("qrc:/"));
    QVERIFY(firstInterfaceLine == -1 || firstInterfaceLine > log.indexOf(startLine));
    static const QRegularExpression missingType(
            QStringLiteral("is not a type|module .* is not installed"));
    QVERIFY2(!missingType.match(log).hasMatch(), qPrintable(log));
    QVERIFY2(scriptErrors(log).isEmpty(), qPrintable(scriptErrors(log)));
}

// The chart of a channel is fed through the program's own `osciSeries`: the
// harnesses publish theirs, so only the program started whole shows that
// its start-up does.
void tst_Startup::channelChartDrawsThroughOsciSeries()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel::pointSettingsAt(supply.port());

    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(ZANDORCONTROL), QStringList());
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
    X11Window window;
    QTRY_VERIFY_WITH_TIMEOUT(window.find("Zandor control"), 20000);
    const auto askedForConfiguration = [&supply] {
        const QList<QJsonValue> frames = supply.received();
        return std::any_of(frames.cbegin(), frames.cend(), [](const QJsonValue &frame) {
            return frame.toObject().value(QStringLiteral("t")) == QLatin1String("getConfig");
        });
    };
    QTRY_VERIFY_WITH_TIMEOUT(askedForConfiguration(), 10000);
    QTest::qWait(1500);
    const QImage list = window.grab();

    // A double click on the first channel's row opens its screen; the chart
    // starts drawing a second later.
    window.click(QPoint(300, 50), 2);
    QTest::qWait(3500);
    const QImage channel = window.grab();
    channel.save(QDir::temp().filePath(QStringLiteral("zandor-startup-channel.png")));
    window.requestClose();
    QVERIFY(program.waitForFinished(10000));

    const QString log = QString::fromLocal8Bit(program.readAll());
    QVERIFY2(!log.contains(QLatin1String("osciSeries")), qPrintable(log));
    QVERIFY2(!log.contains(QLatin1String("Error")), qPrintable(log));
    QVERIFY2(scriptErrors(log).isEmpty(), qPrintable(scriptErrors(log)));
    QVERIFY(!list.isNull() && !channel.isNull());
    QVERIFY2(list != channel, "the channel's screen did not open");
}

static int mode(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777)
                                                                     : -1;
}

static QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_Startup::settingsFileIsPrivate_data()
{
    QTest::addColumn<bool>("existing");
    QTest::newRow("fresh start") << false;
    QTest::newRow("file open to others") << true;
}

// The settings file holds the supply's password.
void tst_Startup::settingsFileIsPrivate()
{
    QFETCH(bool, existing);
    const QString file
            = QSettings(QStringLiteral("Korvat"), QStringLiteral("Zandorcontrol")).fileName();
    const QString directory = QFileInfo(file).absolutePath();
    QVERIFY(QDir(directory).removeRecursively());
    const quint16 port = SupplyProcess::freePort();
    if (existing) {
        Panel::pointSettingsAt(port);
        QVERIFY(QFile::setPermissions(
                file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(directory,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                              | QFile::ReadGroup | QFile::ExeGroup
                                              | QFile::ReadOther | QFile::ExeOther));
        QCOMPARE(mode(file), 0644);
    }

    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(ZANDORCONTROL), QStringList());
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
    X11Window window;
    QTRY_VERIFY_WITH_TIMEOUT(window.find("Zandor control"), 20000);
    // The store writes the keys it did not find: the file was made again.
    QTRY_VERIFY_WITH_TIMEOUT(contents(file).contains("tls=false"), 10000);
    QCOMPARE(mode(file), 0600);
    QCOMPARE(mode(directory), 0700);
    window.requestClose();
    QVERIFY(program.waitForFinished(10000));

    const QString log = QString::fromLocal8Bit(program.readAll());
    const QStringList tightened = {
        "Settings: " + directory + " was open to other users (mode 0755), now 0700",
        "Settings: " + file + " was open to other users (mode 0644), now 0600",
    };
    for (const QString &line : tightened)
        QVERIFY2(log.contains(line) == existing, qPrintable(log));
    QVERIFY2(existing || !log.contains("Settings:"), qPrintable(log));
    if (existing)
        QVERIFY(contents(file).contains("port=" + QByteArray::number(port)));
    QCOMPARE(mode(file), 0600);
}

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
