// Writes the launcher's four sound cues as 16-bit mono PCM wave files into the folder named on
// the command line. The sounds are synthesised here so that the program ships only what it
// makes itself, and the output is the same on every build.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int SampleRate = 44100;
constexpr double Tau = 2.0 * std::numbers::pi;

using Signal = std::vector<double>;

int samplesFor(double seconds) {
    return static_cast<int>(std::lround(seconds * SampleRate));
}

// One struck note: a fundamental with a few quieter overtones, a short raised-cosine attack so
// the onset does not click, then an exponential decay, faded out before the note is cut. The pitch
// may glide from `startHz` to `endHz` over `glide` seconds; the phase is accumulated so the glide
// stays smooth.
struct Note {
    double at = 0.0;     // seconds from the start of the cue
    double length = 0.3; // seconds until the note is cut (it has decayed by then)
    double startHz = 440.0;
    double endHz = 440.0;
    double glide = 0.0; // seconds
    double level = 1.0;
    double attack = 0.004;  // seconds
    double decay = 0.15;    // time constant of the exponential decay, seconds
    double release = 0.015; // seconds of fade before the note is cut
    std::vector<std::pair<double, double>> partials{{1.0, 1.0}, {2.0, 0.25}, {3.0, 0.08}};
};

void addNote(Signal& out, const Note& note) {
    const int first = samplesFor(note.at);
    const int count = samplesFor(note.length);
    double phase = 0.0;
    for (int i = 0; i < count && first + i < static_cast<int>(out.size()); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double progress = note.glide > 0.0 ? std::min(t / note.glide, 1.0) : 1.0;
        // Glide in pitch geometrically so it is heard as an even rise.
        const double hz = note.startHz * std::pow(note.endHz / note.startHz, progress);
        phase += Tau * hz / SampleRate;

        double value = 0.0;
        for (const auto& [ratio, weight] : note.partials)
            value += weight * std::sin(ratio * phase);

        const double rise =
            t < note.attack ? 0.5 - 0.5 * std::cos(std::numbers::pi * t / note.attack) : 1.0;
        const double left = static_cast<double>(count - i) / SampleRate;
        const double release = left < note.release
                                   ? 0.5 - 0.5 * std::cos(std::numbers::pi * left / note.release)
                                   : 1.0;
        const double fall = std::exp(-t / note.decay);
        out[static_cast<std::size_t>(first + i)] += note.level * rise * release * fall * value;
    }
}

// Short raised-cosine fades at both ends, so whatever the notes leave there starts and ends
// at silence.
void fadeEnds(Signal& signal, double fadeIn, double fadeOut) {
    const int in = std::min(samplesFor(fadeIn), static_cast<int>(signal.size()));
    for (int i = 0; i < in; ++i)
        signal[static_cast<std::size_t>(i)] *= 0.5 - 0.5 * std::cos(std::numbers::pi * i / in);
    const int out = std::min(samplesFor(fadeOut), static_cast<int>(signal.size()));
    for (int i = 0; i < out; ++i)
        signal[signal.size() - 1 - static_cast<std::size_t>(i)] *=
            0.5 - 0.5 * std::cos(std::numbers::pi * i / out);
}

// Scales the cue so that its loudest sample sits at `peakDb` below full scale.
void normalise(Signal& signal, double peakDb) {
    double peak = 0.0;
    for (double v : signal)
        peak = std::max(peak, std::abs(v));
    if (peak == 0.0)
        return;
    const double gain = std::pow(10.0, peakDb / 20.0) / peak;
    for (double& v : signal)
        v *= gain;
}

// Silence after the sound. Qt's sound effects stop the output with their last tenth of a
// second still buffered and unheard; what is lost there is this silence, not the fade.
constexpr double TrailingSilence = 0.15;

Signal render(double seconds, const std::vector<Note>& notes, double peakDb) {
    Signal signal(static_cast<std::size_t>(samplesFor(seconds)), 0.0);
    for (const Note& note : notes)
        addNote(signal, note);
    fadeEnds(signal, 0.002, 0.020);
    normalise(signal, peakDb);
    signal.resize(signal.size() + static_cast<std::size_t>(samplesFor(TrailingSilence)), 0.0);
    return signal;
}

// Equal-tempered pitch, counted in semitones from A4.
double pitch(int semitonesFromA4) {
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

Note chimeNote(double at, double hz, double length, double decay, double level = 1.0) {
    Note note;
    note.at = at;
    note.length = length;
    note.startHz = note.endHz = hz;
    note.decay = decay;
    note.level = level;
    return note;
}

// Start-up: a rising fourth, G5 then C6, the second note ringing a little longer.
Signal startupCue() {
    return render(
        0.55, {chimeNote(0.00, pitch(10), 0.30, 0.10, 0.8), chimeNote(0.12, pitch(15), 0.43, 0.14)},
        -4.0);
}

// Launch: a quick upward sweep under a fast C-major arpeggio, for "off it goes".
Signal launchCue() {
    Note sweep;
    sweep.length = 0.22;
    sweep.startHz = pitch(-9);
    sweep.endHz = pitch(15);
    sweep.glide = 0.20;
    sweep.decay = 0.12;
    sweep.level = 0.35;
    sweep.attack = 0.010;
    sweep.partials = {{1.0, 1.0}, {3.0, 1.0 / 9.0}, {5.0, 1.0 / 25.0}}; // a soft triangle
    std::vector<Note> notes{sweep};
    const int arpeggio[] = {3, 7, 10, 15};
    for (int i = 0; i < 4; ++i)
        notes.push_back(chimeNote(0.05 + 0.045 * i, pitch(arpeggio[i]), 0.30, 0.07, 0.7));
    return render(0.45, notes, -4.0);
}

// Button: a short soft blip that drops a little in pitch, quieter than the other cues since
// it is heard most often.
Signal buttonCue() {
    Note blip;
    blip.length = 0.10;
    blip.startHz = 1320.0;
    blip.endHz = 990.0;
    blip.glide = 0.03;
    blip.decay = 0.022;
    blip.attack = 0.003;
    blip.partials = {{1.0, 1.0}, {2.0, 0.12}};
    return render(0.10, {blip}, -9.0);
}

// Version: a gentle rising E-major triad, slower and softer than the start-up chime.
Signal versionCue() {
    return render(0.60,
                  {chimeNote(0.00, pitch(7), 0.30, 0.12, 0.7),
                   chimeNote(0.11, pitch(11), 0.30, 0.12, 0.7),
                   chimeNote(0.22, pitch(14), 0.38, 0.16, 0.8)},
                  -5.0);
}

void putLE(std::string& bytes, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

// A canonical 44-byte RIFF/WAVE header followed by the samples, all little-endian.
std::string waveBytes(const Signal& signal) {
    const std::uint32_t dataSize = static_cast<std::uint32_t>(signal.size() * 2);
    std::string bytes = "RIFF";
    putLE(bytes, 36 + dataSize, 4);
    bytes += "WAVEfmt ";
    putLE(bytes, 16, 4);             // format chunk size
    putLE(bytes, 1, 2);              // PCM
    putLE(bytes, 1, 2);              // mono
    putLE(bytes, SampleRate, 4);     // samples per second
    putLE(bytes, SampleRate * 2, 4); // bytes per second
    putLE(bytes, 2, 2);              // bytes per frame
    putLE(bytes, 16, 2);             // bits per sample
    bytes += "data";
    putLE(bytes, dataSize, 4);
    for (double v : signal) {
        const long sample = std::clamp(std::lround(v * 32767.0), -32767L, 32767L);
        putLE(bytes, static_cast<std::uint32_t>(static_cast<std::int16_t>(sample)), 2);
    }
    return bytes;
}

bool writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::cerr << "cannot write " << path.string() << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <output folder>\n";
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::cerr << "cannot create " << folder.string() << ": " << error.message() << '\n';
        return 1;
    }
    const bool written = writeFile(folder / "RUN_Kidou.wav", waveBytes(startupCue())) &&
                         writeFile(folder / "EXE_KIDOU.wav", waveBytes(launchCue())) &&
                         writeFile(folder / "Button_Kouka.wav", waveBytes(buttonCue())) &&
                         writeFile(folder / "Vasion_Hyouji.wav", waveBytes(versionCue()));
    return written ? 0 : 1;
}
