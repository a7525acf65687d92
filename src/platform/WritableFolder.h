#pragma once

#include <QString>

// Whether this user may make files in the folder `dir`.
bool CanWriteIn(const QString& dir);
