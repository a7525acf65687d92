#pragma once

#include <QObject>
#include <QString>

// The part of the sound device that needs Qt Multimedia. It lives in a module of its own that
// the device loads on the first cue: linked into the program, Qt Multimedia would bring some
// twenty more libraries (the sound server's client, its codecs, networking) into every start,
// which costs more than drawing the launcher's window.
class CueBackend : public QObject {
public:
    using QObject::QObject;

    // Loads a wave file that IsPlayableWave accepted, so that playing it later starts at once.
    virtual void prepare(const QString& waveFile) = 0;
    // Plays a wave file that IsPlayableWave accepted, cutting off the cue still sounding.
    virtual void play(const QString& waveFile) = 0;
};

// The module's one entry point: makes the backend as a child of `parent`.
using CreateCueBackend = CueBackend* (*)(QObject* parent);
inline constexpr char CreateCueBackendSymbol[] = "tesselo_create_cue_backend";

// The module's base name beside the executable; the platform's suffix is added when loading.
inline constexpr char CueBackendModule[] = "tesselo_sound";
