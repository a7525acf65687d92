#include "storage/SlotFile.h"

#include "platform/CodePage932.h"
#include "storage/DataFileCheck.h"

#include <QFile>
#include <QFileDevice>
#include <QtEndian>
#include <array>

namespace {

constexpr int CountSize = 2;

// The fields in the order the record stores them, with the names the messages use.
struct Field {
    QString SlotRecord::*text;
    const char16_t* name;
};
const std::array<Field, 3> Fields{{
    {&SlotRecord::name, u"名前"},
    {&SlotRecord::programPath, u"プログラムのパス"},
    {&SlotRecord::imagePath, u"画像のパス"},
}};

bool isSlotIndex(int index) {
    return index >= 0 && index < SlotCount;
}

Outcome notASlot(int index) {
    return Outcome::failure(QStringLiteral("スロット番号 %1 は 1 から %2 の範囲にありません。")
                                .arg(SlotNumber(index))
                                .arg(SlotCount));
}

Outcome notOpen() {
    return Outcome::failure(QStringLiteral("スロットファイルが開かれていません。"));
}

qint64 recordOffset(int index) {
    return qint64(index) * SlotRecordLength;
}

// Reads up to `length` bytes at the current position; fewer only at the end of the device.
std::optional<QByteArray> readUpTo(QIODevice& device, qint64 length) {
    QByteArray bytes(length, '\0');
    qint64 got = 0;
    while (got < length) {
        const qint64 n = device.read(bytes.data() + got, length - got);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

} // namespace

SlotRecord DecodeSlotRecord(QByteArrayView bytes) {
    // A damaged count is clipped to what the record holds, so a damaged record still reads
    // as far as it is readable and never reaches into the next one. A field whose count is
    // itself cut off reads as empty, and so do the fields after it.
    bytes = bytes.first(qMin(bytes.size(), qsizetype(SlotRecordLength)));
    SlotRecord record;
    qsizetype pos = 0;
    for (const Field& field : Fields) {
        if (bytes.size() - pos < CountSize)
            break;
        const qsizetype count = qFromLittleEndian<quint16>(bytes.data() + pos);
        pos += CountSize;
        const qsizetype available = qMin(count, bytes.size() - pos);
        record.*field.text = DecodeCodePage932(bytes.sliced(pos, available));
        pos += available;
    }
    return record;
}

Outcome EncodeSlotRecord(int index, const SlotRecord& record, QByteArray& out) {
    std::array<QByteArray, 3> encoded;
    qsizetype total = 0;
    for (size_t i = 0; i < Fields.size(); ++i) {
        std::optional<QByteArray> bytes = EncodeCodePage932(record.*Fields[i].text);
        if (!bytes)
            return Outcome::failure(
                QStringLiteral("スロット %1 の%2はコードページ 932 で表せない文字を含んでいます。")
                    .arg(SlotNumber(index))
                    .arg(QString::fromUtf16(Fields[i].name)));
        total += bytes->size();
        encoded[i] = std::move(*bytes);
    }
    if (total > SlotTextCapacity)
        return Outcome::failure(
            QStringLiteral("スロット %1 の名前・プログラムのパス・画像のパスが合わせて %2 "
                           "バイトを超えています (%3 バイト)。")
                .arg(SlotNumber(index))
                .arg(SlotTextCapacity)
                .arg(total));

    out.clear();
    out.reserve(SlotRecordLength);
    for (const QByteArray& bytes : encoded) {
        char count[CountSize];
        qToLittleEndian<quint16>(quint16(bytes.size()), count);
        out.append(count, CountSize);
        out.append(bytes);
    }
    out.append(QByteArray(SlotRecordLength - out.size(), '\0'));
    return Outcome::success();
}

SlotFile::SlotFile() = default;
SlotFile::~SlotFile() = default;

Outcome SlotFile::open(const QString& path) {
    close();
    // Checked before opening: opening a FIFO would block start-up until someone writes to it.
    if (Outcome usable = RefuseNonRegularFile(path, QStringLiteral("スロットファイル")); !usable)
        return usable;
    auto file = std::make_unique<QFile>(path);
    // Unbuffered, so every write reaches the operating system before write() returns.
    // ReadWrite creates a missing file but never the directory above it.
    if (!file->open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        const QString why = file->errorString();
        if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return Outcome::failure(
                QStringLiteral("スロットファイル %1 を開けません: %2").arg(NativePath(path), why));
        readOnlyReason_ =
            QStringLiteral("スロットを保存できません。スロットファイル %1 に書き込めません: %2")
                .arg(NativePath(path), why);
    }
    device_ = std::move(file);
    return Outcome::success();
}

Outcome SlotFile::openDevice(std::unique_ptr<QIODevice> device) {
    close();
    if (!device)
        return notOpen();
    if (!device->isOpen() && !device->open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return Outcome::failure(
            QStringLiteral("スロットファイルを開けません: %1").arg(device->errorString()));
    if (device->isSequential() || !device->isReadable() || !device->isWritable())
        return Outcome::failure(QStringLiteral(
            "スロットファイルは読み書きできる位置指定可能なファイルでなければなりません。"));
    device_ = std::move(device);
    return Outcome::success();
}

Result<SlotRecord> SlotFile::read(int index) {
    if (!isSlotIndex(index))
        return notASlot(index);
    if (!isOpen())
        return notOpen();
    const qint64 offset = recordOffset(index);
    const qint64 size = device_->size();
    if (offset >= size)
        return SlotRecord();
    std::optional<QByteArray> bytes;
    if (device_->seek(offset))
        bytes = readUpTo(*device_, qMin<qint64>(SlotRecordLength, size - offset));
    if (!bytes)
        return Outcome::failure(QStringLiteral("スロット %1 を読み込めません: %2")
                                    .arg(SlotNumber(index))
                                    .arg(device_->errorString()));
    return DecodeSlotRecord(*bytes);
}

Outcome SlotFile::write(int index, const SlotRecord& record) {
    if (!isSlotIndex(index))
        return notASlot(index);
    if (!isOpen())
        return notOpen();
    if (!readOnlyReason_.isEmpty())
        return Outcome::failure(readOnlyReason_);
    QByteArray bytes;
    if (Outcome encoded = EncodeSlotRecord(index, record, bytes); !encoded)
        return encoded;

    // A record past the end of the file is written together with zeros for the records
    // before it, rather than leaving the gap to whatever the platform puts there.
    const qint64 offset = recordOffset(index);
    const qint64 size = device_->size();
    const qint64 start = qMin(offset, size);
    bytes.prepend(QByteArray(offset - start, '\0'));

    const auto failed = [&](const QString& detail) {
        return Outcome::failure(
            QStringLiteral("スロット %1 を書き込めません: %2").arg(SlotNumber(index)).arg(detail));
    };
    if (!device_->seek(start))
        return failed(device_->errorString());
    const qint64 written = device_->write(bytes);
    if (written != bytes.size()) {
        const QString detail = written < 0
                                   ? device_->errorString()
                                   : QStringLiteral("%1 バイト中 %2 バイトのみ書き込み (%3)")
                                         .arg(bytes.size())
                                         .arg(written)
                                         .arg(device_->errorString());
        return failed(detail);
    }
    if (auto* file = qobject_cast<QFileDevice*>(device_.get()); file && !file->flush())
        return failed(file->errorString());
    return Outcome::success();
}

void SlotFile::close() {
    if (device_)
        device_->close();
    device_.reset();
    readOnlyReason_.clear();
}

bool SlotFile::isOpen() const {
    return device_ && device_->isOpen();
}
