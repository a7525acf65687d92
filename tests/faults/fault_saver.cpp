// Saves the options and all five slots over and over, alternating between two states, until
// it is killed. Says "saving" on standard output once the first round is complete.
//
//   fault_saver <Data directory>

#include "FaultSaver.h"
#include "common/Module1.h"
#include "storage/SlotFile.h"

#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const QString data = QFile::decodeName(argv[1]);
    SlotFile slotFile;
    if (!slotFile.OpenSlotFile(data + QStringLiteral("/SetUp.FIL")))
        return 3;
    for (long round = 0;; ++round) {
        const int state = int(round % 2);
        Module1::SoftClose = SaverOptions(state).SoftClose;
        Module1::SoundEffects = SaverOptions(state).SoundEffects;
        if (!SaveOptions(data + QStringLiteral("/DataBase.FIL")))
            return 4;
        for (int n = 1; n <= SlotCount; ++n)
            if (!slotFile.WriteSlot(n, SaverRecord(n, state)))
                return 5;
        if (round == 0) {
            std::puts("saving");
            std::fflush(stdout);
        }
    }
}
