// tesselo_record SOURCE FILE: records SOURCE (16-bit mono, 44.1 kHz) into FILE until killed.
// Unlike parecord, it does not keep the output awake: recording a monitor of an output that
// suspends itself when idle hears what a user would.

#include <pulse/pulseaudio.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
const char* source;
std::FILE* out;

void readable(pa_stream* s, size_t, void*) {
    const void* data = nullptr;
    size_t n = 0;
    while (pa_stream_peek(s, &data, &n) == 0 && n > 0) {
        // A hole in the data is silence.
        const std::vector<char> silence(data ? 0 : n);
        std::fwrite(data ? data : silence.data(), 1, n, out);
        pa_stream_drop(s);
    }
    std::fflush(out);
}

void changed(pa_context* c, void*) {
    const pa_context_state_t state = pa_context_get_state(c);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
        std::exit(1);
    if (state != PA_CONTEXT_READY)
        return;
    const pa_sample_spec spec{PA_SAMPLE_S16LE, 44100, 1};
    pa_stream* s = pa_stream_new(c, "record", &spec, nullptr);
    pa_stream_set_read_callback(s, readable, nullptr);
    const pa_buffer_attr small{~0u, ~0u, ~0u, ~0u, 882}; // 10 ms fragments
    pa_stream_connect_record(
        s, source, &small,
        pa_stream_flags_t(PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND | PA_STREAM_ADJUST_LATENCY));
}
} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3 || !(out = std::fopen(argv[2], "wb")))
        return 2;
    source = argv[1];
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* c = pa_context_new(pa_mainloop_get_api(loop), "record");
    pa_context_set_state_callback(c, changed, nullptr);
    pa_context_connect(c, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
    return pa_mainloop_run(loop, nullptr);
}
