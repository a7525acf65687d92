#pragma once

// The two states that the saver helper writes in turn, and what the kill test expects to find
// whenever it stops it.

#include "common/SlotRecord.h"
#include "storage/OptionsFile.h"

// State 0 and state 1 differ in every field and in every field's length, so that a record
// written in part reads as neither.
SlotRecord SaverRecord(int slot, int state);
StoredOptions SaverOptions(int state);
