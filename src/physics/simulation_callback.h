// The game's receiver of physics events: keeps the latest accepted trigger report.
#pragma once

#include <cstdint>

#include "physics/physics_world.h"

namespace physics {

class SimulationCallback {
public:
    virtual ~SimulationCallback() = default;

    virtual void onConstraintBreak() {}
    virtual void onWake() {}
    virtual void onSleep() {}
    virtual void onContact() {}
    // Looks at the first pair only: a report from the trigger actor recorded last is ignored,
    // so lingering in, leaving or re-entering one box is accepted once.
    virtual void onTrigger(const TriggerPair* pairs, std::uint32_t count);
    virtual void onAdvance() {}

    // Set by an accepted report; the frame loop clears it after handling the report.
    bool triggered = false;
    Actor* triggerActor = nullptr;
    Shape* triggerShape = nullptr;
};

}  // namespace physics
