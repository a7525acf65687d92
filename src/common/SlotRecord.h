#pragma once

#include <QString>

// One launcher slot: what its label shows, what its button starts, what its picture shows.
struct SlotRecord {
    QString Name;
    QString ProgramPath;
    QString ImagePath;

    friend bool operator==(const SlotRecord&, const SlotRecord&) = default;
};
