#include "FuzzChecks.h"

#include "common/Module1.h"
#include "storage/OptionsFile.h"
#include "storage/SlotFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

namespace {

QString describe(const SlotRecord& record) {
    return QStringLiteral("{\"%1\", \"%2\", \"%3\"}")
        .arg(record.Name, record.ProgramPath, record.ImagePath);
}

// The bytes that lie at record n's place, as the file holds them.
QByteArrayView recordBytes(QByteArrayView file, int n) {
    const qsizetype offset = qsizetype(n - 1) * SlotRecordLength;
    if (offset >= file.size())
        return {};
    return file.sliced(offset, qMin<qsizetype>(SlotRecordLength, file.size() - offset));
}

// Writing record n back must change exactly its 500 bytes (and zero-fill a gap before it).
QString checkWrittenBytes(QByteArrayView before, QByteArrayView after, int n,
                          QByteArrayView encoded) {
    const qsizetype offset = qsizetype(n - 1) * SlotRecordLength;
    const qsizetype end = offset + SlotRecordLength;
    if (after.size() != qMax(before.size(), end))
        return QStringLiteral("writing slot %1 left a file of %2 bytes, had %3")
            .arg(n)
            .arg(after.size())
            .arg(before.size());
    const qsizetype kept = qMin(before.size(), offset);
    if (after.first(kept) != before.first(kept))
        return QStringLiteral("writing slot %1 changed the bytes before it").arg(n);
    for (qsizetype i = kept; i < offset; ++i)
        if (after[i] != '\0')
            return QStringLiteral("writing slot %1 left a gap that is not zero").arg(n);
    if (after.sliced(offset, SlotRecordLength) != encoded)
        return QStringLiteral("slot %1 does not hold the bytes it was written with").arg(n);
    if (before.size() > end && after.sliced(end) != before.sliced(end))
        return QStringLiteral("writing slot %1 changed the bytes after it").arg(n);
    return {};
}

QString checkSlot(SlotFile& file, const QBuffer& buffer, QByteArrayView original, int n) {
    SlotRecord read{QStringLiteral("stale"), QStringLiteral("stale"), QStringLiteral("stale")};
    if (Outcome outcome = file.ReadSlot(n, read); !outcome)
        return QStringLiteral("slot %1 does not read: %2").arg(n).arg(outcome.message());
    const SlotRecord expected = DecodeSlotRecord(recordBytes(original, n));
    if (read != expected)
        return QStringLiteral("slot %1 read %2, its bytes decode to %3")
            .arg(n)
            .arg(describe(read), describe(expected));

    QByteArray encoded;
    const bool encodable = EncodeSlotRecord(n, read, encoded).ok();
    if (encodable && DecodeSlotRecord(encoded) != read)
        return QStringLiteral("slot %1 %2 encodes to bytes that decode differently")
            .arg(n)
            .arg(describe(read));

    const QByteArray before = buffer.data();
    const Outcome written = file.WriteSlot(n, read);
    if (written.ok() != encodable)
        return QStringLiteral("slot %1: writing %2 where encoding %3")
            .arg(n)
            .arg(written ? QStringLiteral("succeeded") : QStringLiteral("failed"),
                 encodable ? QStringLiteral("succeeded") : QStringLiteral("failed"));
    if (!written) {
        if (written.message().isEmpty())
            return QStringLiteral("slot %1: a failed write says nothing").arg(n);
        return buffer.data() == before
                   ? QString()
                   : QStringLiteral("slot %1: a failed write changed the file").arg(n);
    }
    if (QString broken = checkWrittenBytes(before, buffer.data(), n, encoded); !broken.isEmpty())
        return broken;
    SlotRecord reread;
    if (!file.ReadSlot(n, reread) || reread != read)
        return QStringLiteral("slot %1 written as %2 reads back as %3")
            .arg(n)
            .arg(describe(read), describe(reread));
    return {};
}

// The options file is read through a real file, so that the reading limits are exercised too.
// In memory where the system offers it: rewriting a file on disk costs milliseconds each time.
QString optionsScratchPath() {
    static const auto dir =
        QFileInfo(QStringLiteral("/dev/shm")).isWritable()
            ? std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/tesselo-fuzz-XXXXXX"))
            : std::make_unique<QTemporaryDir>();
    return dir->filePath(QStringLiteral("DataBase.FIL"));
}

QString checkLoadOptions(QByteArrayView data, const std::optional<StoredOptions>& parsed) {
    const QString path = optionsScratchPath();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(data.data(), data.size()) != data.size())
            return {}; // no scratch space: nothing to judge
    }
    constexpr qint16 Untouched = 12345;
    Module1::SoftClose = Untouched;
    Module1::SoundEffects = Untouched;
    const Outcome loaded = LoadOptions(path);
    const StoredOptions values{Module1::SoftClose, Module1::SoundEffects};
    if (!loaded) {
        if (loaded.message().isEmpty())
            return QStringLiteral("a failed load says nothing");
        if (values != StoredOptions{Untouched, Untouched})
            return QStringLiteral("a failed load changed the options");
        // Only a file too long to read whole may be refused although its text parses.
        constexpr qsizetype SurelyReadWhole = 4096;
        if (parsed && data.size() <= SurelyReadWhole)
            return QStringLiteral("the file does not load although its text parses");
        return {};
    }
    if (!parsed)
        return QStringLiteral("the file loads although its text does not parse");
    if (values != *parsed)
        return QStringLiteral("the file loads as %1,%2, its text parses as %3,%4")
            .arg(values.SoftClose)
            .arg(values.SoundEffects)
            .arg(parsed->SoftClose)
            .arg(parsed->SoundEffects);
    return {};
}

// The one form the program writes: two plain decimal integers, a comma between, CR LF after.
bool isWrittenForm(const QByteArray& line) {
    if (!line.endsWith("\r\n"))
        return false;
    const QList<QByteArray> fields = line.chopped(2).split(',');
    if (fields.size() != 2)
        return false;
    for (const QByteArray& field : fields) {
        const QByteArray digits = field.startsWith('-') ? field.mid(1) : field;
        if (digits.isEmpty() || (digits.size() > 1 && digits.startsWith('0')))
            return false;
        for (char c : digits)
            if (c < '0' || c > '9')
                return false;
    }
    return true;
}

} // namespace

QString CheckSlotFileBytes(QByteArrayView data) {
    // Decoding looks at the first 500 bytes only, however many it is given.
    if (DecodeSlotRecord(data) != DecodeSlotRecord(recordBytes(data, 1)))
        return QStringLiteral("decoding a record looked past its 500 bytes");

    auto device = std::make_unique<QBuffer>();
    device->setData(data.toByteArray());
    const QBuffer& buffer = *device;
    SlotFile file;
    if (Outcome opened = file.OpenSlotDevice(std::move(device)); !opened)
        return QStringLiteral("a buffer does not open: ") + opened.message();
    for (int n = 1; n <= SlotCount; ++n)
        if (QString broken = checkSlot(file, buffer, data, n); !broken.isEmpty())
            return broken;
    return {};
}

QString CheckOptionsBytes(QByteArrayView data) {
    const std::optional<StoredOptions> parsed = ParseOptions(data);
    if (QString broken = checkLoadOptions(data, parsed); !broken.isEmpty())
        return broken;
    if (!parsed)
        return {};

    const QByteArray written = FormatOptions(*parsed);
    if (!isWrittenForm(written))
        return QStringLiteral("options are written as \"%1\"")
            .arg(QString::fromLatin1(written.toPercentEncoding()));
    if (ParseOptions(written) != parsed)
        return QStringLiteral("options written as \"%1\" do not read back")
            .arg(QString::fromLatin1(written.toPercentEncoding()));
    // Further fields are ignored.
    if (ParseOptions(data.toByteArray() + ",\"x\",-0,1") != parsed)
        return QStringLiteral("a further field changed what the options read as");
    return {};
}
