#pragma once

#include <QColor>
#include <QDir>
#include <QImage>
#include <QQuickWindow>

// Looking at a grabbed screen.

// Pixels of the area within reach of the colour.
inline int count(const QImage &image, const QRect &area, const QColor &colour, int tolerance = 40)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            n += qAbs(qRed(pixel) - colour.red()) <= tolerance
                    && qAbs(qGreen(pixel) - colour.green()) <= tolerance
                    && qAbs(qBlue(pixel) - colour.blue()) <= tolerance;
        }
    }
    return n;
}

// Light text on the dark panel; glyph edges are tinted by subpixel smoothing.
inline int bright(const QImage &image, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            n += qGray(image.pixel(x, y)) > 150;
    }
    return n;
}

// The window's pixels, also saved under the temporary folder for a look.
inline QImage grab(QQuickWindow &window, const QString &name)
{
    const QImage image = window.grabWindow().convertToFormat(QImage::Format_RGB32);
    image.save(QDir::temp().filePath(name));
    return image;
}
