#pragma once

#include "common/Outcome.h"
#include "common/SlotRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <memory>

// The slot file: five fixed-length records, the record of slot index i (0 to 4) at offset
// i * 500. Each record holds the name, the program path and the picture path in this order,
// each a 2-byte little-endian byte count followed by that many bytes of code page 932 text,
// then filler up to 500 bytes.
inline constexpr int SlotRecordLength = 500;
inline constexpr int SlotTextCapacity = SlotRecordLength - 3 * 2; // 494 bytes for the texts

// Decodes one record from the bytes found at its place in the file: 500 bytes, or fewer when
// the file ends inside the record. Never reads outside `bytes`.
SlotRecord DecodeSlotRecord(QByteArrayView bytes);

// Encodes the record of slot `index` into exactly 500 bytes, zero filled. Fails, naming the
// slot and the field, when a text holds a character that code page 932 cannot represent or the
// three texts need more than 494 bytes.
Outcome EncodeSlotRecord(int index, const SlotRecord& record, QByteArray& out);

// The one open handle through which every slot read and write of the program goes.
class SlotFile {
public:
    SlotFile();
    ~SlotFile();
    SlotFile(const SlotFile&) = delete;
    SlotFile& operator=(const SlotFile&) = delete;

    // Opens the file for reading and writing, creating it empty when it does not exist.
    // The Data directory is never created. A file that this user may read but not write is
    // opened for reading: its slots still show, and ReadOnlyReason() tells why none is saved.
    Outcome open(const QString& path);
    // Tests hand in a device of their own, for example one that fails after N bytes.
    Outcome openDevice(std::unique_ptr<QIODevice> device);

    // The record of slot `index` (0 to 4). A record past the end of the file reads as three
    // empty texts.
    Result<SlotRecord> read(int index);
    // Writes the record of slot `index`, extending the file when needed. When it returns success
    // the bytes have reached the operating system. A refused record (see EncodeSlotRecord)
    // writes nothing; a failing device may have taken part of the record before it failed.
    Outcome write(int index, const SlotRecord& record);
    void close();

    bool isOpen() const;
    // For a file opened for reading only: that the slots cannot be saved, naming the file and
    // the system's reason. Every write fails with it. Empty otherwise.
    const QString& readOnlyReason() const { return readOnlyReason_; }

private:
    std::unique_ptr<QIODevice> device_;
    QString readOnlyReason_;
};
