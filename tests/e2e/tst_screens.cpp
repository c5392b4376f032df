// Screens of the real root screen, connected to the virtual supply, as the
// operator sees them: grabbed from a real window and checked pixel by pixel.
#include "panel.h"
#include "pixels.h"
#include "supplyprocess.h"

#include <QQuickItem>
#include <QtTest>

class tst_Screens : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void homeScreenIsDrawn();
    void eventListKeepsItsColumns();
};

void tst_Screens::initTestCase()
{
    Panel::prepareApplication();
}

void tst_Screens::homeScreenIsDrawn()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("numberOfChannels").toInt() > 0, 10000);
    panel.command("openHomescreen");
    QCOMPARE(panel.property("currentView").toString(), QStringLiteral("Home"));
    QTest::qWait(1200); // fades and the wheel's opacity settle

    const QImage image = grab(panel.view(), "zandor-home.png");
    QCOMPARE(image.size(), QSize(480, 272));

    const QColor background(QStringLiteral("#404040"));
    // Not a blank window: far from every pixel is the window colour.
    QVERIFY(count(image, image.rect(), background, 2) < image.width() * image.height() / 2);
    // Top bar: the path "HOME" and the device name in white text.
    QVERIFY2(bright(image, QRect(120, 2, 200, 16)) > 20, "no path text in the top bar");
    QVERIFY2(bright(image, QRect(22, 2, 95, 16)) > 20, "no device name in the top bar");
    // Bottom bar, third button: the link's text and its green "connected" strip.
    QVERIFY2(bright(image, QRect(320, 252, 158, 18)) > 20, "no link text in the bottom bar");
    QVERIFY2(count(image, QRect(320, 250, 158, 22), QColor(QStringLiteral("#51a301")), 24) > 50,
             "no green strip under the connected link");
    // The soft-key bar's first key is labelled.
    QVERIFY2(bright(image, QRect(380, 27, 100, 50)) > 20, "no soft-key label");
}

void tst_Screens::eventListKeepsItsColumns()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    // Events with names longer than their column.
    QObject *cache = panel.child("addItem");
    QVERIFY(cache);
    for (const char *item : { "Event.externalInhibitActiveForAVeryLongTime",
                              "Event.currentLimitExceededWhileRampingUp" })
        QMetaObject::invokeMethod(cache, "addItem", Q_ARG(QVariant, "0.0.1"), Q_ARG(QVariant, item),
                                  Q_ARG(QVariant, "1"), Q_ARG(QVariant, "mA"),
                                  Q_ARG(QVariant, "1700000000"));
    // The shown view is the item of the root's view slot.
    QQuickItem *view = nullptr;
    for (QObject *child : panel.root()->children()) {
        if (child->metaObject()->indexOfProperty("params") >= 0)
            view = qvariant_cast<QQuickItem *>(child->property("item"));
    }
    QVERIFY(view);
    const QVariantMap params { { "cID", "0.0" } };
    QMetaObject::invokeMethod(view, "command", Q_ARG(QVariant, "ShowEvents"),
                              Q_ARG(QVariant, params));
    QTest::qWait(1200); // the list slides in

    const QImage image = grab(panel.view(), "zandor-events.png");
    // Names end in an ellipsis before the value column: a dark gap between.
    const QQuickItem *list = view->findChild<QQuickItem *>("list");
    QVERIFY(list);
    const int left = int(list->mapToScene(QPointF(0, 0)).x());
    const QRect rows(0, int(list->mapToScene(QPointF(0, 0)).y()), 0, 40);
    QVERIFY2(bright(image, rows.adjusted(left + 113, 0, left + 285, 0)) > 20, "no event names");
    QVERIFY2(bright(image, rows.adjusted(left + 290, 0, left + 330, 0)) > 20, "no values");
    QCOMPARE(bright(image, rows.adjusted(left + 286, 0, left + 289, 0)), 0);
}

QTEST_MAIN(tst_Screens)
#include "tst_screens.moc"
