#pragma once

#include <functional>

class Clock;
class MessageBoxes;
class ModalRunner;
class ProcessStarter;
class SoundDevice;

// Every side effect the windows have beyond their own widgets and the data files. A null
// pointer means the real one, which the launcher window then creates and owns.
struct Seams {
    MessageBoxes* messages = nullptr;
    ModalRunner* modal = nullptr;
    ProcessStarter* processes = nullptr;
    SoundDevice* sound = nullptr;
    Clock* clock = nullptr;
    // Ends the program at once, without the launcher's unload. Empty: leave the event loop.
    std::function<void()> endProgram;
};
