// Draws the panel artwork and the resource list that compiles it into
// the program: zandorart <outdir> writes <outdir>/assets/... and
// <outdir>/artwork.qrc.

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QtMath>
#include <QtGui/QImage>
#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtGui/QRadialGradient>

#include <cstdio>

namespace {

// State colours named by the "_grey", "_green", "_yellow", "_red" and
// "_orange" file name suffixes; light is the colour of the icons.
const QRgb grey = 0xff9a9a9a;
const QRgb green = 0xff51a301;
const QRgb yellow = 0xfffdcf30;
const QRgb red = 0xffce0000;
const QRgb orange = 0xffff6600;
const QRgb light = 0xfff0f0f0;

QColor alpha(QColor c, int a)
{
    c.setAlpha(a);
    return c;
}

QColor mix(const QColor &a, const QColor &b, qreal t)
{
    return QColor::fromRgbF(
            a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
            a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

QLinearGradient vertical(const QRectF &r, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// Icons are designed on a 24-unit square, centred in the image.
void glyphBox(QPainter &p, const QRectF &r)
{
    const qreal side = qMin(r.width(), r.height());
    p.translate(r.center().x() - side / 2, r.center().y() - side / 2);
    p.scale(side / 24, side / 24);
}

void drawScreen(QPainter &p, const QRectF &r, const QColor &)
{
    p.fillRect(r, vertical(r, QColor(0x3e, 0x3e, 0x3e), QColor(0x22, 0x22, 0x22)));
    // A faint light from above keeps the large area from looking flat.
    QRadialGradient glow(QPointF(r.width() * 0.35, 0), r.width() * 0.7);
    glow.setColorAt(0, QColor(255, 255, 255, 20));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(r, glow);
}

void drawTopBar(QPainter &p, const QRectF &r, const QColor &)
{
    p.fillRect(r, vertical(r, QColor(0x4c, 0x4c, 0x4c), QColor(0x2a, 0x2a, 0x2a)));
    p.fillRect(QRectF(0, 0, r.width(), 1), QColor(255, 255, 255, 30));
    p.fillRect(QRectF(0, r.height() - 1, r.width(), 1), QColor(255, 255, 255, 80));
}

void drawBottomBar(QPainter &p, const QRectF &r, const QColor &)
{
    p.fillRect(r, vertical(r, QColor(0x2a, 0x2a, 0x2a), QColor(0x3a, 0x3a, 0x3a)));
    p.fillRect(QRectF(0, 0, r.width(), 1), QColor(255, 255, 255, 80));
    // The three status buttons are 158 wide with 2-pixel gaps.
    for (qreal x : { 158.0, 318.0 })
        p.fillRect(QRectF(x, 1, 2, r.height() - 1), QColor(0x18, 0x18, 0x18));
}

void drawSoftKeyBar(QPainter &p, const QRectF &r, const QColor &)
{
    // Darkens toward the screen edge so the right-aligned labels stay
    // legible over the wheel.
    QLinearGradient shade(r.topLeft(), r.topRight());
    shade.setColorAt(0, QColor(0, 0, 0, 0));
    shade.setColorAt(1, QColor(0, 0, 0, 120));
    p.fillRect(r, shade);

    QLinearGradient line(r.topLeft(), r.topRight());
    line.setColorAt(0.3, QColor(255, 255, 255, 0));
    line.setColorAt(1, QColor(255, 255, 255, 60));
    for (qreal y : { 43.0, 105.0, 166.0 })
        p.fillRect(QRectF(0, y, r.width(), 1), line);

    // Marks pointing at the front-panel keys beside the keys' centres.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    for (qreal y : { 12.0, 74.0, 136.0, 197.0 })
        p.drawRoundedRect(QRectF(r.width() - 4, y - 7, 6, 14), 2, 2);
}

// Highlight of the current list row; the colour tells the state.
void drawRowHighlight(QPainter &p, const QRectF &r, const QColor &c)
{
    const QRectF box = r.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(r.topLeft(), r.topRight());
    fill.setColorAt(0, alpha(c, 100));
    fill.setColorAt(0.6, alpha(c, 40));
    fill.setColorAt(1, alpha(c, 20));
    p.setPen(QPen(alpha(c, 170), 1));
    p.setBrush(fill);
    p.drawRoundedRect(box, 4, 4);

    QPainterPath accent;
    accent.addRoundedRect(box, 4, 4);
    p.setClipPath(accent);
    p.fillRect(QRectF(0, 0, 4, r.height()), c);
    p.fillRect(QRectF(0, 1, r.width(), 1), QColor(255, 255, 255, 40));
}

void drawDivider(QPainter &p, const QRectF &r, const QColor &c)
{
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, alpha(c, 150));
    g.setColorAt(1, alpha(c, 30));
    p.fillRect(r, g);
}

// Home screen button; the colour marks the pressed look.
void drawTile(QPainter &p, const QRectF &r, const QColor &c)
{
    const QRectF box = r.adjusted(1, 1, -1, -1);
    p.setPen(QPen(c, 1.5));
    p.setBrush(vertical(box, mix(QColor(0x4e, 0x4e, 0x4e), c, 0.1),
                        mix(QColor(0x28, 0x28, 0x28), c, 0.2)));
    p.drawRoundedRect(box, 6, 6);
    p.setPen(QPen(QColor(255, 255, 255, 45), 1));
    p.drawLine(QPointF(box.left() + 6, box.top() + 2), QPointF(box.right() - 6, box.top() + 2));
}

// Back of the value row being edited, with a field around the value.
void drawEditBar(QPainter &p, const QRectF &r, const QColor &c)
{
    p.setPen(QPen(alpha(c, 150), 1));
    p.setBrush(vertical(r, QColor(0x30, 0x30, 0x30, 170), QColor(0x18, 0x18, 0x18, 170)));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.setPen(QPen(alpha(c, 120), 1));
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(QRectF(155.5, 4.5, 212, 33), 3, 3);
}

void drawArrow(QPainter &p, const QRectF &r, const QColor &c, bool up)
{
    const qreal tip = up ? r.top() + 0.5 : r.bottom() - 0.5;
    const qreal base = up ? r.bottom() - 0.5 : r.top() + 0.5;
    const QPointF points[]
            = { { r.left() + 0.5, base }, { r.right() - 0.5, base }, { r.center().x(), tip } };
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(points, 3);
}

void drawArrowUp(QPainter &p, const QRectF &r, const QColor &c)
{
    drawArrow(p, r, c, true);
}

void drawArrowDown(QPainter &p, const QRectF &r, const QColor &c)
{
    drawArrow(p, r, c, false);
}

// The wheel disc: a coloured ring (the state) around a dark knob whose
// ribs make its turning visible.
void drawWheel(QPainter &p, const QRectF &r, const QColor &c)
{
    const QPointF centre = r.center();
    const qreal radius = r.width() / 2;

    QRadialGradient ring(centre, radius);
    ring.setColorAt(0.84, mix(c, Qt::black, 0.55));
    ring.setColorAt(0.92, mix(c, Qt::black, 0.25));
    ring.setColorAt(1, mix(c, Qt::black, 0.45));
    p.setPen(Qt::NoPen);
    p.setBrush(ring);
    p.drawEllipse(centre, radius - 0.5, radius - 0.5);

    const qreal knob = radius - 25;
    p.setBrush(QColor(0x14, 0x14, 0x14));
    p.drawEllipse(centre, knob + 2, knob + 2);
    QRadialGradient body(centre - QPointF(knob * 0.4, knob * 0.4), knob * 1.6);
    body.setColorAt(0, QColor(0x50, 0x50, 0x50));
    body.setColorAt(1, QColor(0x1e, 0x1e, 0x1e));
    p.setBrush(body);
    p.drawEllipse(centre, knob, knob);

    p.setPen(QPen(QColor(255, 255, 255, 40), 2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 60; ++i) {
        const qreal a = qDegreesToRadians(i * 6.0);
        const QPointF d(qCos(a), qSin(a));
        p.drawLine(centre + d * (knob - 12), centre + d * (knob - 3));
    }
    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, knob - 20, knob - 20);
}

// Shown while turning: a double arrow along the wheel's visible edge.
void drawWheelArrows(QPainter &p, const QRectF &r, const QColor &c)
{
    const qreal x = r.center().x();
    const qreal top = r.top() + 4;
    const qreal bottom = r.bottom() - 4;
    QPainterPath shaft;
    shaft.moveTo(x + 4, top + 14);
    shaft.quadTo(x - 8, r.center().y(), x + 4, bottom - 14);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shaft);
    const QPointF upHead[] = { { x - 8, top + 14 }, { x + 4, top + 2 }, { x + 13, top + 16 } };
    const QPointF downHead[]
            = { { x - 8, bottom - 14 }, { x + 4, bottom - 2 }, { x + 13, bottom - 16 } };
    p.drawPolyline(upHead, 3);
    p.drawPolyline(downHead, 3);
}

// The scroll position mark; it sits at (17, 75) on the 330-pixel disc,
// so it is drawn as a piece of the ring around the disc's centre.
void drawWheelIndicator(QPainter &p, const QRectF &, const QColor &c)
{
    const QPointF centre(165 - 17, 165 - 75);
    const qreal radius = 152;
    const qreal mid = qRadiansToDegrees(qAtan2(centre.y() - 24.5, centre.x() - 14.5));
    const QRectF circle(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
    QPainterPath arc;
    arc.arcMoveTo(circle, 180 - mid + 6.5);
    arc.arcTo(circle, 180 - mid + 6.5, -13);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 160), 14, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
    p.setPen(QPen(c, 10, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
}

// Key caps under the keyboard's transparent keys (35 × 30 each); rows
// holds the number of keys per row from the top.
void drawKeyboard(QPainter &p, const QRectF &r, const QColor &c, std::initializer_list<int> rows)
{
    const qreal keyWidth = 35;
    const qreal keyHeight = 30;
    p.fillRect(r, vertical(r, QColor(0x30, 0x30, 0x30), QColor(0x1a, 0x1a, 0x1a)));
    int row = 0;
    for (int keys : rows) {
        for (int column = 0; column < keys; ++column) {
            const QRectF cap(column * keyWidth + 2.5, row * keyHeight + 3.5, keyWidth - 5,
                             keyHeight - 5);
            p.setPen(QPen(mix(QColor(0x80, 0x80, 0x80), c, 0.5), 1));
            p.setBrush(vertical(cap, QColor(0x50, 0x50, 0x50), QColor(0x36, 0x36, 0x36)));
            p.drawRoundedRect(cap, 3, 3);
        }
        ++row;
    }
    p.fillRect(QRectF(0, 0, r.width(), 2), c);
}

void drawKeyboardBar(QPainter &p, const QRectF &r, const QColor &c)
{
    drawKeyboard(p, r, c, { 12 });
}

void drawKeyboardPanel(QPainter &p, const QRectF &r, const QColor &c)
{
    drawKeyboard(p, r, c, { 10, 10, 10, 8, 10 });
}

void drawHome(QPainter &p, const QRectF &r, const QColor &c)
{
    glyphBox(p, r);
    QPainterPath house;
    house.moveTo(12, 3);
    house.lineTo(22, 12);
    house.lineTo(19, 12);
    house.lineTo(19, 21);
    house.lineTo(5, 21);
    house.lineTo(5, 12);
    house.lineTo(2, 12);
    house.closeSubpath();
    QPainterPath door;
    door.addRect(10, 14, 4, 7);
    p.fillPath(house.subtracted(door), c);
}

void drawGear(QPainter &p, const QRectF &r, const QColor &c)
{
    glyphBox(p, r);
    QPainterPath gear;
    gear.addEllipse(QPointF(12, 12), 8, 8);
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(12, 12);
        t.rotate(i * 45);
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-2, -11.5, 4, 6), 1, 1);
        gear = gear.united(t.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(12, 12), 3.5, 3.5);
    p.fillPath(gear.subtracted(hole), c);
}

// Channel control: three output sliders.
void drawControl(QPainter &p, const QRectF &r, const QColor &c)
{
    glyphBox(p, r);
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
    const qreal knobs[] = { 14, 7, 17 };
    for (int i = 0; i < 3; ++i) {
        const qreal x = 5 + i * 7;
        p.drawLine(QPointF(x, 3), QPointF(x, 21));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    for (int i = 0; i < 3; ++i)
        p.drawRoundedRect(QRectF(5 + i * 7 - 3, knobs[i] - 2, 6, 4), 1, 1);
}

// Oscilloscope: a screen with a grid and a wave.
void drawOsci(QPainter &p, const QRectF &r, const QColor &c)
{
    glyphBox(p, r);
    const QRectF screen(2, 4, 20, 16);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(alpha(c, 90), 0.6));
    for (qreal x : { 7.0, 12.0, 17.0 })
        p.drawLine(QPointF(x, screen.top()), QPointF(x, screen.bottom()));
    for (qreal y : { 8.0, 12.0, 16.0 })
        p.drawLine(QPointF(screen.left(), y), QPointF(screen.right(), y));
    p.setPen(QPen(c, 1.6));
    p.drawRoundedRect(screen, 2, 2);

    QPainterPath wave;
    for (int i = 0; i <= 40; ++i) {
        const qreal x = screen.left() + 1.5 + i * (screen.width() - 3) / 40;
        const qreal y = 12 - 4.5 * qSin(i * M_PI / 10);
        if (i == 0)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    p.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
}

// A disc with the letter cut out, so the bar behind it shows through.
void drawInfo(QPainter &p, const QRectF &r, const QColor &c)
{
    glyphBox(p, r);
    QPainterPath disc;
    disc.addEllipse(QPointF(12, 12), 9, 9);
    QPainterPath letter;
    letter.addEllipse(QPointF(12, 7.5), 1.6, 1.6);
    letter.addRoundedRect(QRectF(10.6, 10.5, 2.8, 8), 0.8, 0.8);
    p.fillPath(disc.subtracted(letter), c);
}

void drawLock(QPainter &p, const QRectF &r, const QColor &c)
{
    glyphBox(p, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 2.6));
    QPainterPath shackle;
    shackle.moveTo(7, 12);
    shackle.lineTo(7, 8);
    shackle.arcTo(QRectF(7, 3, 10, 10), 180, -180);
    shackle.lineTo(17, 12);
    p.drawPath(shackle);

    QPainterPath body;
    body.addRoundedRect(QRectF(4, 11, 16, 11), 2, 2);
    QPainterPath keyhole;
    keyhole.addEllipse(QPointF(12, 15.5), 1.8, 1.8);
    keyhole.addRect(QRectF(11.3, 15.5, 1.4, 3.5));
    p.fillPath(body.subtracted(keyhole), c);
}

// The program's menu icon: the panel's dark face, the green ring of the
// wheel and a high-voltage bolt; designed on a 24-unit square.
void drawAppIcon(QPainter &p, const QRectF &r, const QColor &c)
{
    glyphBox(p, r);
    const QRectF face(0.5, 0.5, 23, 23);
    p.setPen(QPen(QColor(0x14, 0x14, 0x14), 0.6));
    p.setBrush(vertical(face, QColor(0x4e, 0x4e, 0x4e), QColor(0x22, 0x22, 0x22)));
    p.drawRoundedRect(face, 4.5, 4.5);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 2.2));
    p.drawEllipse(QPointF(12, 12), 8, 8);

    const QPointF bolt[] = { { 13.6, 4.8 },  { 7.8, 13.2 },  { 11.6, 13.2 },
                             { 10.2, 19.4 }, { 16.4, 10.6 }, { 12.5, 10.6 } };
    p.setPen(QPen(QColor(0x18, 0x18, 0x18), 0.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(yellow));
    p.drawPolygon(bolt, 6);
}

struct Artwork
{
    const char *path;
    int width;
    int height;
    void (*draw)(QPainter &, const QRectF &, const QColor &);
    QRgb colour;
};

const Artwork artworks[] = {
    { "bg_main", 480, 272, drawScreen, grey },
    { "Bar/bg_top", 480, 20, drawTopBar, grey },
    { "Bar/bg_bottom", 480, 22, drawBottomBar, grey },
    { "Bar/bg_right", 100, 210, drawSoftKeyBar, grey },
    { "Channel/bg_channellist_channel_grey", 480, 53, drawRowHighlight, grey },
    { "Channel/bg_channellist_channel_green", 480, 53, drawRowHighlight, green },
    { "Channel/bg_channellist_channel_yellow", 480, 53, drawRowHighlight, yellow },
    { "Channel/bg_channellist_channel_red", 480, 53, drawRowHighlight, red },
    { "Channel/bg_divider", 120, 1, drawDivider, light },
    { "Icons/zandor_ico_home", 20, 20, drawHome, light },
    { "Icons/zandor_ico_control", 43, 38, drawControl, light },
    { "Icons/zandor_ico_osci", 43, 38, drawOsci, light },
    { "Icons/zandor_ico_menu", 43, 38, drawGear, light },
    { "Icons/bg_icon", 125, 113, drawTile, grey },
    { "Icons/bg_icon_pressed", 125, 113, drawTile, orange },
    { "Icons/ico_info", 28, 28, drawInfo, light },
    { "Icons/ico_lock", 15, 15, drawLock, light },
    { "Menu/bg_menu_item_grey", 480, 35, drawRowHighlight, grey },
    { "Menu/bg_menu_item_edit_sm_grey", 480, 42, drawEditBar, grey },
    { "Menu/arrow_input_select_up", 10, 8, drawArrowUp, light },
    { "Menu/arrow_input_select_down", 10, 8, drawArrowDown, light },
    { "Wheel/bg_grey", 330, 330, drawWheel, grey },
    { "Wheel/bg_green", 330, 330, drawWheel, green },
    { "Wheel/bg_yellow", 330, 330, drawWheel, yellow },
    { "Wheel/bg_red", 330, 330, drawWheel, red },
    { "Wheel/bg_orange", 330, 330, drawWheel, orange },
    { "Wheel/arrows", 29, 213, drawWheelArrows, light },
    { "Wheel/indicator", 29, 49, drawWheelIndicator, light },
    { "Keyboard/bg_keyboard_bar_grey", 480, 30, drawKeyboardBar, grey },
    { "Keyboard/bg_keyboard_bar_green", 480, 30, drawKeyboardBar, green },
    { "Keyboard/bg_keyboard_bar_yellow", 480, 30, drawKeyboardBar, yellow },
    { "Keyboard/bg_keyboard_bar_red", 480, 30, drawKeyboardBar, red },
    { "Keyboard/bg_keyboard_panel_grey", 480, 150, drawKeyboardPanel, grey },
    { "Keyboard/bg_keyboard_panel_green", 480, 150, drawKeyboardPanel, green },
    { "Keyboard/bg_keyboard_panel_yellow", 480, 150, drawKeyboardPanel, yellow },
    { "Keyboard/bg_keyboard_panel_red", 480, 150, drawKeyboardPanel, red },
};

} // namespace

int main(int argc, char *argv[])
{
    // zandorart --icon SIZE FILE draws the menu icon, which the program
    // itself does not carry.
    if (argc == 4 && qstrcmp(argv[1], "--icon") == 0) {
        const int size = QByteArray(argv[2]).toInt();
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "zandorart: the icon size must be from 16 to 1024\n");
            return 2;
        }
        const QString path = QFile::decodeName(argv[3]);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawAppIcon(painter, QRectF(0, 0, size, size), QColor(green));
        painter.end();
        if (!QDir().mkpath(QFileInfo(path).path())
            || !image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) {
            std::fprintf(stderr, "zandorart: cannot write %s\n", qPrintable(path));
            return 1;
        }
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: zandorart <outdir> | zandorart --icon <size> <file.png>\n");
        return 2;
    }
    const QDir out(QFile::decodeName(argv[1]));

    QByteArray qrc = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
    for (const Artwork &art : artworks) {
        const QString file = QStringLiteral("assets/%1.png").arg(QLatin1String(art.path));
        const QString path = out.filePath(file);
        QImage image(art.width, art.height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        art.draw(painter, QRectF(0, 0, art.width, art.height), QColor(art.colour));
        painter.end();
        if (!out.mkpath(QFileInfo(path).path())
            || !image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) {
            std::fprintf(stderr, "zandorart: cannot write %s\n", qPrintable(path));
            return 1;
        }
        qrc += "    <file>" + file.toUtf8() + "</file>\n";
    }
    qrc += "</qresource>\n</RCC>\n";

    QFile list(out.filePath(QStringLiteral("artwork.qrc")));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate) || list.write(qrc) != qrc.size()) {
        std::fprintf(stderr, "zandorart: cannot write %s\n", qPrintable(list.fileName()));
        return 1;
    }
    return 0;
}
