#include "storage/SlotFile.h"
// Placeholder.
SlotRecord DecodeSlotRecord(QByteArrayView) { return {}; }
Outcome EncodeSlotRecord(int, const SlotRecord&, QByteArray&) { return Outcome::success(); }
SlotFile::SlotFile() = default;
SlotFile::~SlotFile() = default;
Outcome SlotFile::OpenSlotFile(const QString&) { return Outcome::success(); }
Outcome SlotFile::OpenSlotDevice(std::unique_ptr<QIODevice>) { return Outcome::success(); }
Outcome SlotFile::ReadSlot(int, SlotRecord& r) { r = {}; return Outcome::success(); }
Outcome SlotFile::WriteSlot(int, const SlotRecord&) { return Outcome::success(); }
void SlotFile::CloseSlotFile() {}
bool SlotFile::isOpen() const { return false; }
