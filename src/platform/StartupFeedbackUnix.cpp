#include "platform/StartupFeedback.h"

#include <QtGlobal>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {
// Read as the program is loaded: Qt's X11 connection takes the startup id out of the
// environment when the application object is made, and Wayland's token goes with its use.
const QByteArray ActivationToken = qgetenv("XDG_ACTIVATION_TOKEN");
const QByteArray StartupId = qgetenv("DESKTOP_STARTUP_ID");

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const auto cookie = xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}
} // namespace

QByteArray startupToken() {
    return ActivationToken.isEmpty() ? StartupId : ActivationToken;
}

// The freedesktop.org startup notification's "remove" message: sent to the root window in
// pieces of 20 bytes, the first as _NET_STARTUP_INFO_BEGIN, the rest as _NET_STARTUP_INFO.
void endStartupFeedback() {
    if (StartupId.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) == 0) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        const QByteArray message = "remove: ID=" + StartupId; // sent with its closing NUL
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = root;
        event.type = atom(connection, "_NET_STARTUP_INFO_BEGIN");
        const xcb_atom_t more = atom(connection, "_NET_STARTUP_INFO");
        for (qsizetype sent = 0; sent <= message.size(); sent += 20, event.type = more) {
            std::memset(event.data.data8, 0, sizeof event.data.data8);
            std::memcpy(event.data.data8, message.constData() + sent,
                        size_t(qMin<qsizetype>(20, message.size() + 1 - sent)));
            xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                           reinterpret_cast<const char*>(&event));
        }
        // A round trip: the server has taken the messages before the connection closes.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    xcb_disconnect(connection);
}
