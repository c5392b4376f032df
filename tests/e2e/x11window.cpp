#include "x11window.h"

#include <QVector>

#include <cstdlib>
#include <cstring>

X11Window::X11Window()
{
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection))
        qFatal("X11Window: cannot connect to the X server");
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

X11Window::~X11Window()
{
    xcb_disconnect(m_connection);
}

bool X11Window::find(const QByteArray &title)
{
    m_window = search(m_root, title);
    return m_window != 0;
}

xcb_window_t X11Window::search(xcb_window_t parent, const QByteArray &title) const
{
    xcb_query_tree_reply_t *tree
            = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, parent), nullptr);
    if (!tree)
        return 0;
    xcb_window_t found = 0;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        if (name(children[i]) == title)
            found = children[i];
        else
            found = search(children[i], title);
    }
    free(tree);
    return found;
}

QByteArray X11Window::name(xcb_window_t window) const
{
    xcb_get_property_reply_t *reply
            = xcb_get_property_reply(m_connection,
                                     xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME,
                                                      XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                                     nullptr);
    if (!reply)
        return {};
    const QByteArray text(static_cast<const char *>(xcb_get_property_value(reply)),
                          xcb_get_property_value_length(reply));
    free(reply);
    return text;
}

QSize X11Window::size() const
{
    xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(
            m_connection, xcb_get_geometry(m_connection, m_window), nullptr);
    if (!geometry)
        return {};
    const QSize result(geometry->width, geometry->height);
    free(geometry);
    return result;
}

QVector<quint32> X11Window::sizeHints() const
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, m_window, XCB_ATOM_WM_NORMAL_HINTS,
                             XCB_ATOM_WM_SIZE_HINTS, 0, 18),
            nullptr);
    QVector<quint32> hints;
    if (reply && reply->format == 32) {
        const auto *values = static_cast<const quint32 *>(xcb_get_property_value(reply));
        hints = QVector<quint32>(values, values + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    return hints;
}

// WM_SIZE_HINTS: flags, x, y, width, height, min w/h, max w/h, ...
static constexpr quint32 MinSizeFlag = 1 << 4;
static constexpr quint32 MaxSizeFlag = 1 << 5;

QSize X11Window::minimumSize() const
{
    const QVector<quint32> hints = sizeHints();
    if (hints.size() < 9 || !(hints[0] & MinSizeFlag))
        return {};
    return QSize(int(hints[5]), int(hints[6]));
}

QSize X11Window::maximumSize() const
{
    const QVector<quint32> hints = sizeHints();
    if (hints.size() < 9 || !(hints[0] & MaxSizeFlag))
        return {};
    return QSize(int(hints[7]), int(hints[8]));
}

QImage X11Window::grab() const
{
    const QSize extent = size();
    xcb_get_image_reply_t *reply = xcb_get_image_reply(
            m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window, 0, 0,
                          quint16(extent.width()), quint16(extent.height()), ~0u),
            nullptr);
    if (!reply)
        return {};
    // The test server runs at depth 24 with 32-bit pixels.
    QImage image(xcb_get_image_data(reply), extent.width(), extent.height(), QImage::Format_RGB32);
    QImage copy = image.copy();
    free(reply);
    return copy;
}

xcb_atom_t X11Window::atom(const char *name) const
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, quint16(strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

void X11Window::requestClose() const
{
    xcb_client_message_event_t event;
    memset(&event, 0, sizeof(event));
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = m_window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, m_window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(m_connection);
}

void X11Window::click(const QPoint &at, int times) const
{
    // Button events as the server would send them; they go to the client
    // that made the window whatever it selected.
    xcb_timestamp_t time = 1000;
    for (int i = 0; i < times; ++i) {
        for (const uint8_t type : { XCB_BUTTON_PRESS, XCB_BUTTON_RELEASE }) {
            xcb_button_press_event_t event;
            memset(&event, 0, sizeof(event));
            event.response_type = type;
            event.detail = 1;
            event.time = time += 40;
            event.root = m_root;
            event.event = m_window;
            event.event_x = event.root_x = int16_t(at.x());
            event.event_y = event.root_y = int16_t(at.y());
            event.state = type == XCB_BUTTON_RELEASE ? XCB_BUTTON_MASK_1 : 0;
            event.same_screen = 1;
            xcb_send_event(m_connection, 0, m_window, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char *>(&event));
        }
    }
    xcb_flush(m_connection);
}
