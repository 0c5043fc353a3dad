// Recording of trigger reports for the frame loop.
#include "physics/simulation_callback.h"

namespace physics {

void SimulationCallback::onTrigger(const TriggerPair* pairs, std::uint32_t count) {
    if (pairs == nullptr || count == 0) return;
    const TriggerPair& first = pairs[0];
    if (first.triggerActor == triggerActor) return;
    triggered = true;
    triggerShape = first.triggerShape;
    triggerActor = first.triggerActor;
}

}  // namespace physics
