#pragma once

#include <QByteArrayView>
#include <QString>

// What must hold for any bytes found where a data file should be. Each check runs the
// program's real reading and writing code on the bytes and returns an empty string when every
// property holds, or a description of the first one broken. The fuzzers abort on a broken
// property; the regression test replays the corpus and every past finding through the same
// checks in the ordinary builds.

// The bytes as a whole slot file: all five slots read, each read agrees with decoding the
// record's bytes directly, and every record that can be written back reads back unchanged
// without touching the other records.
QString CheckSlotFileBytes(QByteArrayView data);

// The bytes as the options file's content: whatever parses is formatted in the one written
// form, which parses back to the same values, and trailing fields never change the result.
QString CheckOptionsBytes(QByteArrayView data);
