#include "sound/WinSoundDevice.h"

#include <QDir>
#include <QFileInfo>
// mmsystem.h builds on windows.h.
#include <qt_windows.h>

#include <mmsystem.h>

void WinSoundDevice::open() {
    open_ = true;
}

void WinSoundDevice::play(const QString& waveFile) {
    // Only a plain file: a name the system resolves otherwise (a registry alias, a device)
    // must not sound.
    if (!open_ || waveFile.isEmpty() || !QFileInfo(waveFile).isFile())
        return;
    const QString native = QDir::toNativeSeparators(waveFile);
    PlaySoundW(reinterpret_cast<const wchar_t*>(native.utf16()), nullptr,
               SND_ASYNC | SND_FILENAME | SND_NODEFAULT);
}

void WinSoundDevice::close() {
    // The cue still sounding plays to its end; it stops only with the program.
    open_ = false;
}
