#pragma once

#include <QString>

// Whether `path` is a regular file holding a complete, plain PCM wave (8- or 16-bit, evenly
// sized chunks, fmt before data, the data wholly present) that the sound effect loader is
// sure to finish with. It reads only the chunk headers.
//
// QSoundEffect's loader never gives up on an empty or cut-off file: it waits for more bytes
// forever, and from then on every QSoundEffect that is destroyed blocks the program until
// that load ends. Such a file must never reach it.
bool IsPlayableWave(const QString& path);
