#include "devicefiles.h"
#include "fanworker.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class tst_FanWorker : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void constructorSetsUpPwm();
    void configureFanSpeed_data();
    void configureFanSpeed();
    void missingPwmFilesFail();

private:
    const QString m_root = QStringLiteral(ZANDOR_DEVICE_ROOT);
};

static const QString pwmChip = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/pwm/pwmchip0");
static const QString exportFile = pwmChip + QLatin1String("/export");
static const QString periodFile = pwmChip + QLatin1String("/pwm0/period");
static const QString dutyFile = pwmChip + QLatin1String("/pwm0/duty_cycle");
static const QString enableFile = pwmChip + QLatin1String("/pwm0/enable");
static const QString powerFile
        = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/leds/FAN/brightness");

static const QByteArray untouched = "x";

static QVariant numbers(std::initializer_list<double> values)
{
    QVariantList list;
    for (double value : values)
        list.append(value);
    return list;
}

static QVariant texts(const QStringList &values)
{
    return QVariant(values).toList();
}

void tst_FanWorker::init()
{
    QDir(m_root).removeRecursively();
    QVERIFY(QDir().mkpath(pwmChip + QLatin1String("/pwm0")));
    QVERIFY(QDir().mkpath(m_root + QLatin1String("/sys/class/leds/FAN")));
    for (const QString &path : { exportFile, periodFile, dutyFile, enableFile, powerFile })
        writeFile(path, untouched);
}

void tst_FanWorker::cleanup()
{
    QDir(m_root).removeRecursively();
}

void tst_FanWorker::constructorSetsUpPwm()
{
    FanWorker worker;
    QCOMPARE(readFile(exportFile), QByteArray("0\n"));
    QCOMPARE(readFile(periodFile), QByteArray("1000000\n"));
    QCOMPARE(readFile(dutyFile), QByteArray("1000000\n"));
    QCOMPARE(readFile(enableFile), QByteArray("1\n"));
    QCOMPARE(readFile(powerFile), QByteArray("1\n"));
}

void tst_FanWorker::configureFanSpeed_data()
{
    QTest::addColumn<QString>("temperature");
    QTest::addColumn<QVariant>("voltages");
    QTest::addColumn<QVariant>("currents");
    QTest::addColumn<QVariant>("voltageNoms");
    QTest::addColumn<QVariant>("currentNoms");
    QTest::addColumn<QByteArray>("power");
    QTest::addColumn<QByteArray>("duty");

    const QVariant idle = numbers({ 0, 0, 0, 0 });
    const QVariant voltageNoms = numbers({ 3000, 3000, 3000, 3000 });
    const QVariant currentNoms = numbers({ 0.002, 0.002, 0.002, 0.002 });

    // Temperature demand (t - 35) * 6 against the idle load demand -1.2.
    QTest::newRow("45: 60 %") << "45" << idle << idle << voltageNoms << currentNoms
                              << QByteArray("1\n") << QByteArray("400000\n");
    QTest::newRow("35: 0 %") << "35" << idle << idle << voltageNoms << currentNoms
                             << QByteArray("1\n") << QByteArray("1000000\n");
    QTest::newRow("30: off") << "30" << idle << idle << voltageNoms << currentNoms
                             << QByteArray("0\n") << untouched;
    QTest::newRow("60: clamped to 100 %") << "60" << idle << idle << voltageNoms << currentNoms
                                          << QByteArray("1\n") << QByteArray("0\n");
    // (4 - 0.1) * 10 + (0 - 0.1) * 2 = 38.8
    QTest::newRow("four channels at nominal current")
            << "35" << idle << numbers({ 0.002, 0.002, 0.002, 0.002 }) << voltageNoms << currentNoms
            << QByteArray("1\n") << QByteArray("612000\n");
    // (4 - 0.1) * 10 + (4 - 0.1) * 2 = 46.8
    QTest::newRow("four channels at nominal current and voltage")
            << "35" << numbers({ 3000, 3000, 3000, 3000 })
            << numbers({ 0.002, 0.002, 0.002, 0.002 }) << voltageNoms << currentNoms
            << QByteArray("1\n") << QByteArray("532000\n");
    // Only the first nominal values count: (1 - 0.1) * 10 + (4 / 4 - 0.1) * 2 = 10.8
    QTest::newRow("first nominal values only")
            << "20" << numbers({ 2, 2, 2, 2 }) << numbers({ 0.5 }) << numbers({ 4, 1, 1, 1 })
            << numbers({ 0.5, 100 }) << QByteArray("1\n") << QByteArray("892000\n");
    QTest::newRow("texts and empty texts")
            << "45" << texts({ "", "0" }) << texts({ "", "" }) << texts({ "3000" })
            << texts({ "0.002" }) << QByteArray("1\n") << QByteArray("400000\n");
    QTest::newRow("temperature not a number") << "warm" << idle << idle << voltageNoms
                                              << currentNoms << QByteArray("0\n") << untouched;
    QTest::newRow("overflow runs at full speed")
            << "20" << idle << numbers({ 1e30 }) << voltageNoms << numbers({ 1e30 })
            << QByteArray("1\n") << QByteArray("0\n");
    QTest::newRow("zero nominal voltage") << "60" << idle << idle << numbers({ 3000, 0 })
                                          << currentNoms << untouched << untouched;
    QTest::newRow("empty nominal current") << "60" << idle << idle << voltageNoms
                                           << texts({ "0.002", "" }) << untouched << untouched;
    QTest::newRow("no nominal values")
            << "60" << QVariant(QVariantList()) << QVariant(QVariantList())
            << QVariant(QVariantList()) << QVariant(QVariantList()) << untouched << untouched;
}

void tst_FanWorker::configureFanSpeed()
{
    QFETCH(QString, temperature);
    QFETCH(QVariant, voltages);
    QFETCH(QVariant, currents);
    QFETCH(QVariant, voltageNoms);
    QFETCH(QVariant, currentNoms);
    QFETCH(QByteArray, power);
    QFETCH(QByteArray, duty);

    FanWorker worker;
    writeFile(powerFile, untouched);
    writeFile(dutyFile, untouched);

    QVERIFY(worker.configureFanSpeed(temperature, voltages, currents, voltageNoms, currentNoms));
    QCOMPARE(readFile(powerFile), power);
    QCOMPARE(readFile(dutyFile), duty);
}

void tst_FanWorker::missingPwmFilesFail()
{
    QDir(pwmChip).removeRecursively();
    FanWorker worker;
    QVERIFY(!worker.configureFanSpeed("45", QVariantList(), QVariantList(), numbers({ 1 }),
                                      numbers({ 1 })));
    QCOMPARE(readFile(powerFile), QByteArray("1\n"));
    QVERIFY(!QFile::exists(dutyFile));
}

QTEST_GUILESS_MAIN(tst_FanWorker)

#include "tst_fanworker.moc"
