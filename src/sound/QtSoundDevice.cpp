#include "sound/QtSoundDevice.h"
// Placeholder.
struct QtSoundDevice::Private {};
QtSoundDevice::QtSoundDevice() = default;
QtSoundDevice::~QtSoundDevice() = default;
void QtSoundDevice::open() {}
void QtSoundDevice::play(const QString&) {}
void QtSoundDevice::close() {}
