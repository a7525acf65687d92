#pragma once

// The time of day and the wait that lets window events run in the meantime.
class Clock {
public:
    virtual ~Clock() = default;
    // The second of the current minute, 0 to 59.
    virtual int secondOfMinute() = 0;
    // Lets pending events run and returns after a short while, at the latest when the clock's
    // second has changed. Never spins the processor. User input is not delivered.
    virtual void letEventsRun() = 0;
};

class SystemClock final : public Clock {
public:
    int secondOfMinute() override;
    void letEventsRun() override;
};
