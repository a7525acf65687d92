#pragma once

#include <QString>

// Push-button captions are in the system's face, unless that face is missing: then they take
// `gothic`, the face of the labels, with the system's behind it.
void KeepCaptionFaceDrawable(const QString& gothic);
