// tesselo_xclose WINDOW: asks a window to close with WM_DELETE_WINDOW, as a window manager would.

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    const auto atom = [x](const char* name) {
        auto* r = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t found = r ? r->atom : 0;
        return std::free(r), found;
    };
    const auto w = xcb_window_t(argc == 2 ? std::strtoul(argv[1], nullptr, 0) : 0);
    xcb_client_message_event_t m{XCB_CLIENT_MESSAGE, 32, 0, w, atom("WM_PROTOCOLS"), {}};
    m.data.data32[0] = atom("WM_DELETE_WINDOW");
    auto* e = xcb_request_check(x, xcb_send_event_checked(x, 0, w, 0, reinterpret_cast<char*>(&m)));
    const bool sent = w && !xcb_connection_has_error(x) && !e;
    std::free(e);
    xcb_disconnect(x);
    return sent ? 0 : 1;
}
