#include "WindowWatch.h"

#include <QSocketNotifier>
#include <cstdlib>
#include <cstring>
#include <sys/uio.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

namespace {

// The DAMAGE extension's requests, sent by hand: its client library is not needed for two
// requests and one event.
xcb_extension_t DamageExtension = {"DAMAGE", 0};
constexpr uint8_t DamageQueryVersion = 0;
constexpr uint8_t DamageCreate = 1;
// One event when a window's damage turns from empty to not empty: its first drawing.
constexpr uint8_t DamageReportNonEmpty = 3;

struct QueryVersionRequest {
    uint8_t major, minor;
    uint16_t length;
    uint32_t clientMajor, clientMinor;
};

struct CreateRequest {
    uint8_t major, minor;
    uint16_t length;
    uint32_t damage, drawable;
    uint8_t level, pad[3];
};

struct NotifyEvent {
    uint8_t responseType, level;
    uint16_t sequence;
    uint32_t drawable;
};

template <typename Request>
unsigned int send(xcb_connection_t *connection, uint8_t opcode, Request &request, bool reply)
{
    iovec parts[3];
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof request;
    xcb_protocol_request_t protocol{1, &DamageExtension, opcode, uint8_t(reply ? 0 : 1)};
    return xcb_send_request(connection, reply ? XCB_REQUEST_CHECKED : 0, parts + 2, &protocol);
}

} // namespace

WindowWatch::WindowWatch(QObject *parent) : QObject(parent)
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    const xcb_query_extension_reply_t *damage =
        xcb_get_extension_data(connection, &DamageExtension);
    if (!damage || !damage->present) {
        xcb_disconnect(connection);
        return;
    }
    m_damageOpcode = damage->major_opcode;
    m_damageEvent = damage->first_event;
    QueryVersionRequest version{0, DamageQueryVersion, 0, 1, 1};
    std::free(xcb_wait_for_reply(connection, send(connection, DamageQueryVersion, version, true),
                                 nullptr));

    const char *name = "_NET_WM_PID";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    m_pidAtom = atom ? atom->atom : 0;
    std::free(atom);

    // New top-level windows and their mapping, on every screen.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    for (xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection));
         screen.rem; xcb_screen_next(&screen))
        xcb_change_window_attributes(connection, screen.data->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    m_connection = connection;
    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WindowWatch::read);
}

WindowWatch::~WindowWatch()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

void WindowWatch::start(pid_t pid, const QElapsedTimer *clock)
{
    m_pid = pid;
    m_clock = clock;
    m_window = 0;
    m_firstDamage.clear();
    m_shownMs = -1;
    m_paintedMs = -1;
}

void WindowWatch::createDamage(uint32_t window)
{
    CreateRequest request{0,      DamageCreate,         0,        xcb_generate_id(m_connection),
                          window, DamageReportNonEmpty, {0, 0, 0}};
    send(m_connection, DamageCreate, request, false);
    xcb_flush(m_connection);
}

bool WindowWatch::isOurs(uint32_t window)
{
    if (m_pid <= 0)
        return false;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1),
        nullptr);
    const bool ours =
        reply && reply->format == 32 && xcb_get_property_value_length(reply) == 4 &&
        *static_cast<const uint32_t *>(xcb_get_property_value(reply)) == uint32_t(m_pid);
    std::free(reply);
    return ours;
}

void WindowWatch::read()
{
    const double now = m_clock ? double(m_clock->nsecsElapsed()) / 1e6 : -1;
    bool seen = false;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            createDamage(reinterpret_cast<xcb_create_notify_event_t *>(event)->window);
        } else if (type == XCB_MAP_NOTIFY) {
            const uint32_t window = reinterpret_cast<xcb_map_notify_event_t *>(event)->window;
            if (m_shownMs < 0 && isOurs(window)) {
                m_shownMs = now;
                m_window = window;
                // Drawn into before it was mapped: first seen on the screen now.
                if (m_firstDamage.contains(window))
                    m_paintedMs = now;
                seen = true;
            }
        } else if (type == m_damageEvent) {
            const uint32_t window = reinterpret_cast<NotifyEvent *>(event)->drawable;
            if (!m_firstDamage.contains(window))
                m_firstDamage.insert(window, now);
            if (window == m_window && m_paintedMs < 0) {
                m_paintedMs = now;
                seen = true;
            }
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection))
        m_notifier->setEnabled(false);
    if (seen)
        emit changed();
}
