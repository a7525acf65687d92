#pragma once

// Marks the steps of start-up for the start-up timeline (bench/StartupTimeline.cpp), in builds
// configured with TESSELO_STARTUP_MARKS only. In every other build a mark is nothing at all:
// the program reads nothing and writes nothing for it.
//
// A mark writes one line "tesselo-mark STEP NANOSECONDS" to the standard error, the time taken
// from the monotonic clock the timeline started the process by.

class QObject;

#ifdef TESSELO_STARTUP_MARKS
void StartupMark(const char* step);
// Marks the first paint event that reaches `window`.
void MarkFirstPaint(QObject* window);
#else
inline void StartupMark(const char*) {}
inline void MarkFirstPaint(QObject*) {}
#endif
