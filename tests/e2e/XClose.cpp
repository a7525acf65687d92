// tesselo_xclose WINDOW: asks a top-level X window to close, as a window manager's close box
// does, by sending it the WM_DELETE_WINDOW message. The test displays run no window manager,
// and xdotool can only destroy a window, which skips the program's own close handling.
//
// Exit codes: 0 sent, 1 the window does not take WM_DELETE_WINDOW or does not exist, 2 usage
// or display errors.

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool takesDelete(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t protocols,
                 xcb_atom_t deleteWindow) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, protocols, XCB_ATOM_ATOM, 0, 64),
            nullptr),
        &std::free);
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    for (int i = 0; i < count; ++i)
        if (atoms[i] == deleteWindow)
            return true;
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    char* end = nullptr;
    const unsigned long id = argc == 2 ? std::strtoul(argv[1], &end, 0) : 0;
    if (argc != 2 || *end != '\0' || id == 0) {
        std::fprintf(stderr, "usage: %s WINDOW-ID\n", argv[0]);
        return 2;
    }
    const auto window = xcb_window_t(id);

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        xcb_disconnect(connection);
        return 2;
    }
    const xcb_atom_t protocols = atom(connection, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = atom(connection, "WM_DELETE_WINDOW");
    if (!takesDelete(connection, window, protocols, deleteWindow)) {
        std::fprintf(stderr, "%s: window 0x%lx does not take WM_DELETE_WINDOW\n", argv[0], id);
        xcb_disconnect(connection);
        return 1;
    }

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = protocols;
    message.data.data32[0] = deleteWindow;
    message.data.data32[1] = XCB_CURRENT_TIME;
    char event[32] = {};
    static_assert(sizeof(message) == sizeof(event));
    std::memcpy(event, &message, sizeof(message));
    const Reply<xcb_generic_error_t> error(
        xcb_request_check(connection, xcb_send_event_checked(connection, 0, window,
                                                             XCB_EVENT_MASK_NO_EVENT, event)),
        &std::free);
    xcb_disconnect(connection);
    if (error) {
        std::fprintf(stderr, "%s: sending to window 0x%lx failed (X error %d)\n", argv[0], id,
                     error->error_code);
        return 1;
    }
    return 0;
}
