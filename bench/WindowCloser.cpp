#include "WindowCloser.h"

#include <QByteArray>
#include <QList>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

QList<xcb_window_t> children(xcb_connection_t *connection, xcb_window_t window)
{
    QList<xcb_window_t> result;
    xcb_query_tree_reply_t *tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    if (!tree)
        return result;
    const xcb_window_t *list = xcb_query_tree_children(tree);
    result = QList<xcb_window_t>(list, list + xcb_query_tree_children_length(tree));
    std::free(tree);
    return result;
}

// The first 32-bit items of a window's property.
QList<uint32_t> property(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name,
                         xcb_atom_t type)
{
    QList<uint32_t> result;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, 32), nullptr);
    if (reply && reply->format == 32) {
        const auto *items = static_cast<const uint32_t *>(xcb_get_property_value(reply));
        result = QList<uint32_t>(items, items + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return result;
}

} // namespace

namespace WindowCloser {

bool closeWindowsOf(pid_t pid)
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    const xcb_atom_t wmPid = atom(connection, "_NET_WM_PID");
    const xcb_atom_t protocols = atom(connection, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = atom(connection, "WM_DELETE_WINDOW");

    // Top-level windows are the root's children, or their children under a window manager's
    // frames.
    QList<xcb_window_t> windows;
    for (xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection));
         screen.rem; xcb_screen_next(&screen)) {
        for (const xcb_window_t top : children(connection, screen.data->root))
            windows << top << children(connection, top);
    }
    bool closed = false;
    for (const xcb_window_t window : windows) {
        if (property(connection, window, wmPid, XCB_ATOM_CARDINAL).value(0) != uint32_t(pid) ||
            !property(connection, window, protocols, XCB_ATOM_ATOM).contains(deleteWindow))
            continue;
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = protocols;
        message.data.data32[0] = deleteWindow;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char *>(&message));
        closed = true;
    }
    xcb_flush(connection);
    xcb_disconnect(connection);
    return closed;
}

} // namespace WindowCloser
