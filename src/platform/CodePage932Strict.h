#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <memory>
#include <optional>

// What CodePage932.cpp leaves to the system's own converters, one file per system.
//
// Strict conversions: nothing when a character or byte sequence has no counterpart. Both
// directions may still map some characters to a near look-alike ("best fit"); the round trip
// in EncodeCodePage932 catches those.

std::optional<QByteArray> EncodeCodePage932Strict(QStringView text);

// Decodes one piece of text after another.
class CodePage932StrictDecoder {
public:
    CodePage932StrictDecoder();
    ~CodePage932StrictDecoder();
    CodePage932StrictDecoder(const CodePage932StrictDecoder&) = delete;
    CodePage932StrictDecoder& operator=(const CodePage932StrictDecoder&) = delete;

    std::optional<QString> operator()(QByteArrayView bytes);

private:
    // What the system's converter keeps from one text to the next.
    class State;
    std::unique_ptr<State> state_;
};
