#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <xcb/xcb.h>

// Looks at another process's top-level window the way a window manager
// would: finds it by title, reads its size and size hints, grabs its
// pixels and asks it to close.
class X11Window
{
public:
    X11Window();
    ~X11Window();

    bool find(const QByteArray &title);
    QSize size() const;
    QSize minimumSize() const;
    QSize maximumSize() const;
    QImage grab() const;
    void requestClose() const;
    // Clicks the left button at a point of the window, twice for a double click.
    void click(const QPoint &at, int times = 1) const;

private:
    xcb_window_t search(xcb_window_t parent, const QByteArray &title) const;
    QByteArray name(xcb_window_t window) const;
    QVector<quint32> sizeHints() const;
    xcb_atom_t atom(const char *name) const;

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_window_t m_window = 0;
};
