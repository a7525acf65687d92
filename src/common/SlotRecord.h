#pragma once

#include <QString>

// The launcher has five slots, shown top to bottom; arrays of slots are indexed 0 to 4 and a
// slot is numbered 1 to 5 wherever the user reads about it.
inline constexpr int SlotCount = 5;

inline int SlotNumber(int index) {
    return index + 1;
}

// The object name of a slot's control: the control's name and the slot's number, "Run_B_3".
inline QString SlotControlName(const char* control, int index) {
    return QLatin1StringView(control) + QString::number(SlotNumber(index));
}

// One launcher slot: what its label shows, what its button starts, what its picture shows.
struct SlotRecord {
    QString name;
    QString programPath;
    QString imagePath;

    friend bool operator==(const SlotRecord&, const SlotRecord&) = default;
};
