// The sound cue backend over the sound server's sample cache (the PulseAudio protocol, which
// PipeWire serves as well), built as the module the sound device loads.

#include "sound/CueBackend.h"

#include "sound/PlayableWave.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QtGlobal>
#include <bit>
#include <deque>
#include <map>
#include <pulse/pulseaudio.h>

namespace {

// The sample format for each WaveEncoding.
constexpr pa_sample_format_t SampleFormats[]{PA_SAMPLE_U8,    PA_SAMPLE_S16LE,     PA_SAMPLE_S24LE,
                                             PA_SAMPLE_S32LE, PA_SAMPLE_FLOAT32LE, PA_SAMPLE_ULAW,
                                             PA_SAMPLE_ALAW};

// The speaker of each bit of an extensible wave's channel mask, from the lowest.
constexpr pa_channel_position_t Speakers[]{PA_CHANNEL_POSITION_FRONT_LEFT,
                                           PA_CHANNEL_POSITION_FRONT_RIGHT,
                                           PA_CHANNEL_POSITION_FRONT_CENTER,
                                           PA_CHANNEL_POSITION_LFE,
                                           PA_CHANNEL_POSITION_REAR_LEFT,
                                           PA_CHANNEL_POSITION_REAR_RIGHT,
                                           PA_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER,
                                           PA_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER,
                                           PA_CHANNEL_POSITION_REAR_CENTER,
                                           PA_CHANNEL_POSITION_SIDE_LEFT,
                                           PA_CHANNEL_POSITION_SIDE_RIGHT,
                                           PA_CHANNEL_POSITION_TOP_CENTER,
                                           PA_CHANNEL_POSITION_TOP_FRONT_LEFT,
                                           PA_CHANNEL_POSITION_TOP_FRONT_CENTER,
                                           PA_CHANNEL_POSITION_TOP_FRONT_RIGHT,
                                           PA_CHANNEL_POSITION_TOP_REAR_LEFT,
                                           PA_CHANNEL_POSITION_TOP_REAR_CENTER,
                                           PA_CHANNEL_POSITION_TOP_REAR_RIGHT};

// PipeWire now and then drops the first cycle of its graph (1024 frames at 48 kHz, 21 ms, by
// default) of a sample that wakes its output: the start of the cue. Each cue starts after 25 ms
// of silence instead, which the ear does not tell from the click that asked for it.
QByteArray leadingSilence(const pa_sample_spec& spec) {
    const char silent = spec.format == PA_SAMPLE_U8     ? '\x80'
                        : spec.format == PA_SAMPLE_ULAW ? '\xff'
                        : spec.format == PA_SAMPLE_ALAW ? '\xd5'
                                                        : '\0';
    return QByteArray(qsizetype(pa_usec_to_bytes(25'000, &spec)), silent);
}

// Each cue is uploaded once into the server's sample cache, and the server plays it from
// there on its own. A stream that this program fed would be at the mercy of its event loop
// and of the output waking from suspension (the first 50 ms were heard, then nothing); a
// sample is played whole by the server, while the window is busy and after the program has
// ended. All of libpulse runs on its own thread; the calls from the window take its lock.
//
// A new cue cuts off the one still sounding, like the single wave-audio device the cues were
// made for: quick clicks give one clear cue each instead of a pile-up. It does so once the
// server has started it, so a cue that cannot play leaves the one sounding alone.
class PulseCues final : public CueBackend {
public:
    PulseCues() : loop_(pa_threaded_mainloop_new()) {
        connectContext();
        pa_threaded_mainloop_start(loop_);
    }

    ~PulseCues() override {
        pa_threaded_mainloop_stop(loop_);
        dropContext();
        pa_threaded_mainloop_free(loop_);
    }

    PulseCues(const PulseCues&) = delete;
    PulseCues& operator=(const PulseCues&) = delete;

    void prepare(const QString& waveFile) override {
        pa_threaded_mainloop_lock(loop_);
        cueFor(waveFile);
        pa_threaded_mainloop_unlock(loop_);
    }

    void play(const QString& waveFile) override {
        pa_threaded_mainloop_lock(loop_);
        reconnectIfLost();
        Cue& cue = cueFor(waveFile);
        if (!cue.name.isEmpty()) {
            ++asked_;
            pending_ = cue.state == Cue::Stored ? nullptr : &cue;
            pendingAgain_ = false;
            if (!pending_)
                start(cue, false);
        }
        pa_threaded_mainloop_unlock(loop_);
    }

private:
    struct Cue {
        PulseCues* owner = nullptr;
        QByteArray name; // in the server's cache; empty for a file that stays silent
        pa_sample_spec spec{};
        pa_channel_map map{};
        QByteArray frames;
        enum { Unsent, Uploading, Stored } state = Unsent;
        qsizetype sent = 0;
        pa_stream* upload = nullptr;
    };

    void connectContext() {
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "TESSELO");
        pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "tesselo");
        context_ =
            pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "TESSELO", props);
        pa_proplist_free(props);
        pa_context_set_state_callback(context_, &PulseCues::contextChanged, this);
        // Never start a server: without one the cues stay silent, and at once.
        pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
    }

    void dropContext() {
        for (auto& entry : cues_)
            forgetUpload(entry.second);
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        started_.clear();
        pending_ = nullptr;
        pendingAgain_ = false;
        sounding_ = PA_INVALID_INDEX;
    }

    // A server that went away (restarted, or started after the launcher) is reached again on
    // the next cue.
    void reconnectIfLost() {
        const pa_context_state_t state = pa_context_get_state(context_);
        if (state != PA_CONTEXT_FAILED && state != PA_CONTEXT_TERMINATED)
            return;
        dropContext();
        connectContext();
    }

    static void contextChanged(pa_context* context, void* self) {
        if (pa_context_get_state(context) != PA_CONTEXT_READY)
            return;
        auto* cues = static_cast<PulseCues*>(self);
        for (auto& entry : cues->cues_)
            cues->upload(entry.second);
    }

    Cue& cueFor(const QString& waveFile) {
        auto [it, added] = cues_.try_emplace(waveFile);
        Cue& cue = it->second;
        if (!added)
            return cue;
        cue.owner = this;
        std::optional<Wave> wave = ReadPlayableWave(waveFile);
        if (wave && wave->channels <= PA_CHANNELS_MAX) {
            cue.spec = {SampleFormats[size_t(wave->encoding)], wave->rate, quint8(wave->channels)};
            cue.map = channelMap(*wave);
            cue.frames = std::move(wave->frames);
            // Named by the file, its folder's real path and all: the cache is shared by every
            // client of the user's server, and a restarted launcher, or one whose cue file was
            // edited, replaces its own samples instead of adding more.
            const QByteArray file = QFileInfo(waveFile).canonicalFilePath().toUtf8();
            cue.name = "tesselo-" +
                       QCryptographicHash::hash(file, QCryptographicHash::Sha1).toHex().left(24);
            if (!pa_sample_spec_valid(&cue.spec) || !pa_channel_map_compatible(&cue.map, &cue.spec))
                cue.name.clear();
            else
                cue.frames.prepend(leadingSilence(cue.spec));
        }
        upload(cue);
        return cue;
    }

    void upload(Cue& cue) {
        if (cue.name.isEmpty() || cue.state != Cue::Unsent ||
            pa_context_get_state(context_) != PA_CONTEXT_READY)
            return;
        cue.upload = pa_stream_new(context_, cue.name.constData(), &cue.spec, &cue.map);
        if (!cue.upload) {
            cue.name.clear(); // refused by the server: it stays silent
            return;
        }
        cue.state = Cue::Uploading;
        cue.sent = 0;
        pa_stream_set_state_callback(cue.upload, &PulseCues::uploadChanged, &cue);
        pa_stream_set_write_callback(cue.upload, &PulseCues::uploadWritable, &cue);
        if (pa_stream_connect_upload(cue.upload, size_t(cue.frames.size())) < 0)
            forgetUpload(cue);
    }

    static void uploadWritable(pa_stream* stream, size_t length, void* data) {
        Cue& cue = *static_cast<Cue*>(data);
        const qsizetype part = std::min(qsizetype(length), cue.frames.size() - cue.sent);
        if (part <= 0)
            return;
        pa_stream_write(stream, cue.frames.constData() + cue.sent, size_t(part), nullptr, 0,
                        PA_SEEK_RELATIVE);
        cue.sent += part;
        if (cue.sent == cue.frames.size())
            pa_stream_finish_upload(stream);
    }

    static void uploadChanged(pa_stream* stream, void* data) {
        Cue& cue = *static_cast<Cue*>(data);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state != PA_STREAM_TERMINATED && state != PA_STREAM_FAILED)
            return;
        // Terminated: the server has the whole sample in its cache.
        const bool stored = state == PA_STREAM_TERMINATED;
        cue.owner->forgetUpload(cue);
        cue.state = stored ? Cue::Stored : Cue::Unsent;
        if (stored && cue.owner->pending_ == &cue) {
            cue.owner->pending_ = nullptr;
            cue.owner->start(cue, std::exchange(cue.owner->pendingAgain_, false));
        }
    }

    void forgetUpload(Cue& cue) {
        cue.state = Cue::Unsent;
        if (!cue.upload)
            return;
        pa_stream_set_state_callback(cue.upload, nullptr, nullptr);
        pa_stream_set_write_callback(cue.upload, nullptr, nullptr);
        pa_stream_unref(std::exchange(cue.upload, nullptr));
    }

    // `again` after the sample was uploaded anew because the server had lost it.
    void start(Cue& cue, bool again) {
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "event");
        pa_operation* started = pa_context_play_sample_with_proplist(
            context_, cue.name.constData(), nullptr, PA_VOLUME_INVALID, props, &PulseCues::started,
            this);
        pa_proplist_free(props);
        if (!started)
            return;
        started_.push_back({asked_, &cue, again});
        pa_operation_unref(started);
    }

    // The server answers in the order of the requests; a cue that was asked for before the
    // newest one is cut off as soon as it is known. A sample that another client removed from
    // the cache is uploaded once more and played then.
    static void started(pa_context* context, uint32_t index, void* self) {
        auto* cues = static_cast<PulseCues*>(self);
        if (cues->started_.empty())
            return;
        const Start start = cues->started_.front();
        cues->started_.pop_front();
        if (start.asked != cues->asked_) {
            cues->silence(index);
        } else if (index != PA_INVALID_INDEX) {
            cues->silence(std::exchange(cues->sounding_, index));
        } else if (pa_context_errno(context) == PA_ERR_NOENTITY && !start.again) {
            start.cue->state = Cue::Unsent;
            cues->pending_ = start.cue;
            cues->pendingAgain_ = true;
            cues->upload(*start.cue);
        }
    }

    // The channels of an extensible wave that names one speaker for each, otherwise those
    // that Windows gives a wave of that many channels.
    static pa_channel_map channelMap(const Wave& wave) {
        pa_channel_map map{};
        if (quint32 mask = wave.channelMask; std::popcount(mask) == wave.channels) {
            for (int bit = 0; mask != 0 && bit < int(std::size(Speakers)); ++bit, mask >>= 1) {
                if (mask & 1)
                    map.map[map.channels++] = Speakers[bit];
            }
            if (map.channels == wave.channels)
                return map;
        }
        pa_channel_map_init_extend(&map, wave.channels, PA_CHANNEL_MAP_WAVEEX);
        return map;
    }

    void silence(uint32_t index) {
        if (index == PA_INVALID_INDEX)
            return;
        if (pa_operation* killed = pa_context_kill_sink_input(context_, index, nullptr, nullptr))
            pa_operation_unref(killed);
    }

    pa_threaded_mainloop* loop_;
    pa_context* context_ = nullptr;
    std::map<QString, Cue> cues_; // its elements stay where they are: the uploads point at them
    struct Start {
        quint64 asked; // asked_ when it was asked for
        Cue* cue;
        bool again;
    };
    Cue* pending_ = nullptr;    // asked for before the server had it
    bool pendingAgain_ = false; // pending_ is being uploaded anew
    quint64 asked_ = 0;         // how many cues were asked for
    std::deque<Start> started_; // each start the server has still to answer
    uint32_t sounding_ = PA_INVALID_INDEX;
};

} // namespace

extern "C" Q_DECL_EXPORT CueBackend* tesselo_create_cue_backend() {
    return new PulseCues;
}
