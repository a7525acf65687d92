#pragma once

class CuePlayer;
class MessageBoxes;
class ModalRunner;

// What a window needs of the program beyond its own widgets: the message boxes, the way modal
// windows are shown, and the sound cues. The launcher owns them for the whole run and hands
// them to every window it opens; tests hand in stand-ins.
struct Services {
    MessageBoxes& messages;
    ModalRunner& modal;
    CuePlayer& cues;
};
