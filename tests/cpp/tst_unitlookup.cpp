// The lookup of the interface units compiled into the program, asked the
// way the engine asks it.
#include <QtQml/private/qqmlmetatype_p.h>

#include <QFile>
#include <QtTest>

class tst_UnitLookup : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data();
    void lookup();
    void resourceTreeListsUnits();
};

void tst_UnitLookup::lookup_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("sameAs");

    QTest::newRow("root screen") << "qrc:/main.qml"
                                 << "qrc:/main.qml";
    QTest::newRow("authority form") << "qrc:///main.qml"
                                    << "qrc:/main.qml";
    QTest::newRow("parent segment") << "qrc:/views/../main.qml"
                                    << "qrc:/main.qml";
    QTest::newRow("dot segment") << "qrc:/./main.qml"
                                 << "qrc:/main.qml";
    QTest::newRow("doubled separators") << "qrc:/views//..//main.qml"
                                        << "qrc:/main.qml";
    QTest::newRow("no leading slash") << "qrc:main.qml"
                                      << "qrc:/main.qml";
    QTest::newRow("other scheme") << "file:///main.qml"
                                  << "";
    QTest::newRow("empty path") << "qrc:"
                                << "";
    QTest::newRow("dot path") << "qrc:."
                              << "";
    QTest::newRow("not compiled") << "qrc:/views/Nowhere.qml"
                                  << "";
    QTest::newRow("font is no unit") << "qrc:/assets/Fonts/Gothic.ttf"
                                     << "";
}

void tst_UnitLookup::lookup()
{
    QFETCH(QString, url);
    QFETCH(QString, sameAs);

    QQmlMetaType::CachedUnitLookupError status;
    const auto *unit = QQmlMetaType::findCachedCompilationUnit(QUrl(url), &status);
    if (sameAs.isEmpty()) {
        QVERIFY(!unit);
        return;
    }
    QVERIFY(unit);
    QCOMPARE(status, QQmlMetaType::CachedUnitLookupError::NoError);
    QCOMPARE(unit, QQmlMetaType::findCachedCompilationUnit(QUrl(sameAs), &status));
}

void tst_UnitLookup::resourceTreeListsUnits()
{
    QVERIFY(QFile::exists(QStringLiteral(":/main.qml")));
}

QTEST_GUILESS_MAIN(tst_UnitLookup)
#include "tst_unitlookup.moc"
