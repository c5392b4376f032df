// The real root screen where its surroundings fail it: a configuration that
// cannot be read or saved, a service that accepts the connection but never
// answers the handshake.
#include "panel.h"
#include "supplyprocess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

class tst_Hostile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusedConfigurationChangesNothing();
    void failedSaveRaisesAlert();
    void hungHandshakeIsRetried();
};

void tst_Hostile::initTestCase()
{
    Panel::prepareApplication();
}

// A configuration the store refuses leaves it, and the screen, as they were;
// a refused first one does not fix the number of channels at none.
void tst_Hostile::refusedConfigurationChangesNothing()
{
    Panel panel(SupplyProcess::freePort());
    QSignalSpy changes(panel.root(), SIGNAL(configChanged()));
    const QString deep = QStringLiteral("<lumaConfig>") + QStringLiteral("<a>").repeated(100)
            + QStringLiteral("</a>").repeated(100) + QStringLiteral("</lumaConfig>");
    panel.call("receiveConfiguration", { deep });
    QCOMPARE(changes.count(), 0);
    QCOMPARE(panel.property("numberOfChannels").toInt(), -1);

    panel.call("receiveConfiguration",
               { "<lumaConfig><hardwareDetect><device id=\"0-0\" model=\"ZHV-4000 supply\">"
                 "<channel id=\"0\"/><channel id=\"1\"/></device></hardwareDetect></lumaConfig>" });
    QCOMPARE(changes.count(), 1);
    QCOMPARE(panel.property("numberOfChannels").toInt(), 2);
    QCOMPARE(panel.property("deviceName").toString(), QStringLiteral("ZHV-4000 sup"));

    panel.call("receiveConfiguration", { "<lumaConfig><hardwareDetect>" });
    QCOMPARE(changes.count(), 1);
    QCOMPARE(panel.property("deviceName").toString(), QStringLiteral("ZHV-4000 sup"));
    QCOMPARE(panel.call("getConfigNumberOfChildren", { "hardwareDetect/device@id=0-0", "channel" }),
             QVariant(2));
}

void tst_Hostile::failedSaveRaisesAlert()
{
    // Settings are written only while logged in.
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("numberOfChannels").toInt() > 0, 10000);
    QSignalSpy alerts(panel.root(), SIGNAL(alert(QString, QString, QString)));
    const QString file = QStringLiteral("lumaConfiguration.xml");
    const QString brightness = QStringLiteral("hardwareConfig/device@id=0-0/@displayBrightness");
    const auto contents = [&] {
        QFile saved(file);
        return saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray();
    };

    // Saved once the supply's configuration holds it.
    QCOMPARE(panel.call("setConfigValue", { brightness, "8", "" }), QVariant(true));
    QTRY_VERIFY_WITH_TIMEOUT(contents().contains("displayBrightness=\"8\""), 5000);
    QCOMPARE(alerts.count(), 0);

    // Where the file was, a directory now stands: the save fails.
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkdir(file));
    QCOMPARE(panel.call("setConfigValue", { brightness, "6", "" }), QVariant(true));
    QTRY_COMPARE_WITH_TIMEOUT(alerts.count(), 1, 5000);
    QCOMPARE(alerts.first(),
             QVariantList({ "error", "THE CONFIGURATION COULD NOT BE SAVED", "error" }));
    QCOMPARE(panel.call("getConfigValue", { brightness }), QVariant("6"));
    QVERIFY(QDir().rmdir(file));
}

void tst_Hostile::hungHandshakeIsRetried()
{
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket *> held;
    QList<qint64> arrivals;
    QElapsedTimer clock;
    connect(&silent, &QTcpServer::newConnection, this, [&] {
        while (silent.hasPendingConnections()) {
            held << silent.nextPendingConnection();
            arrivals << clock.elapsed();
        }
    });

    clock.start();
    Panel panel(silent.serverPort());
    QTRY_COMPARE_WITH_TIMEOUT(held.size(), 1, 5000);
    // Not before the attempt has had its five seconds, then given up and made anew.
    QTRY_VERIFY_WITH_TIMEOUT(held.size() >= 2, 9000);
    QVERIFY2(arrivals.at(1) - arrivals.at(0) >= 4500,
             qPrintable(QString::number(arrivals.at(1) - arrivals.at(0))));
    QTRY_COMPARE_WITH_TIMEOUT(held.first()->state(), QAbstractSocket::UnconnectedState, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(held.size() >= 3, 9000);
    QVERIFY(!panel.property("connected").toBool());
}

QTEST_MAIN(tst_Hostile)
#include "tst_hostile.moc"
