// Screens of the real root screen, connected to the virtual supply, as the
// operator sees them: grabbed from a real window and checked pixel by pixel.
#include "panel.h"
#include "pixels.h"
#include "supplyprocess.h"

#include <QtTest>

class tst_Screens : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void homeScreenIsDrawn();
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

QTEST_MAIN(tst_Screens)
#include "tst_screens.moc"
