#pragma once

// The console's waits (the connection wait, the half-second pause) and the
// reply path let the window handle events while they run. Every such
// re-entry point goes through this seam, so it can be found and driven.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Handle the events already pending, then return at once.
    virtual void processPending() = 0;
    // Handle events for a short while, sleeping when there are none, so a
    // wait loop never spins a core.
    virtual void idle() = 0;
};

class QtEventPump final : public EventPump {
public:
    void processPending() override;
    void idle() override;
};
