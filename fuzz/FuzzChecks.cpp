#include "FuzzChecks.h"

#include "storage/OptionsFile.h"
#include "storage/SlotFile.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTemporaryDir>

QString CheckSlotFileBytes(QByteArrayView data) {
    auto* buffer = new QBuffer;
    buffer->setData(data.toByteArray());
    SlotFile file;
    if (!file.openDevice(std::unique_ptr<QIODevice>(buffer)) ||
        DecodeSlotRecord(data) != DecodeSlotRecord(data.first(qMin(data.size(), 500))))
        return QStringLiteral("a record decodes beyond its 500 bytes");
    for (int i = 0; i < SlotCount; ++i) {
        const QByteArray before = buffer->data();
        const qsizetype at = i * SlotRecordLength;
        const SlotRecord read = file.read(i).value().value_or(SlotRecord{QStringLiteral("?")});
        QByteArray bytes;
        const bool readRight = read == DecodeSlotRecord(before.mid(at, 500));
        const bool encoded = EncodeSlotRecord(i, read, bytes).ok();
        const Outcome written = file.write(i, read);
        if (!readRight || written.ok() != encoded || (!written && written.message().isEmpty()) ||
            buffer->data() !=
                (encoded ? before.left(at).leftJustified(at, '\0') + bytes + before.mid(at + 500)
                         : before) ||
            file.read(i).value() != read)
            return QStringLiteral(
                       "slot %1 does not read as its bytes decode, or not back as written")
                .arg(SlotNumber(i));
    }
    return {};
}

QString CheckOptionsBytes(QByteArrayView data) {
    static QTemporaryDir dir; // a real file, so that the reading limits take part
    QFile file(dir.filePath(QStringLiteral("DataBase.FIL")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(data.toByteArray()) != data.size())
        return QStringLiteral("no scratch file");
    file.close();
    const std::optional<StoredOptions> parsed = ParseOptions(data);
    const Result<StoredOptions> loaded = LoadOptions(file.fileName());
    // Only a file too long to read whole may be refused although its text parses.
    if (loaded ? loaded.value() != parsed
               : loaded.message().isEmpty() || (parsed && data.size() <= 4096))
        return QStringLiteral("loading the file disagrees with parsing its text");
    if (!parsed)
        return {};
    static const QRegularExpression form(QStringLiteral("^-?(0|[1-9]\\d*),-?(0|[1-9]\\d*)\r\n$"));
    const QByteArray written = FormatOptions(*parsed);
    if (!form.match(QString::fromLatin1(written)).hasMatch() || ParseOptions(written) != parsed ||
        ParseOptions(data.toByteArray() + ",\"x\",-0,1") != parsed)
        return QStringLiteral("written as \"%1\", or a further field counted")
            .arg(QLatin1String(written));
    return {};
}
