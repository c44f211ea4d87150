// A timer raises "<prefix>_tick" on a module every Interval milliseconds while Enabled.
//
// Every start and stop begins a new generation; a scheduled tick carries the generation it was
// scheduled for and does nothing when it finds another one, so nothing is ever removed from the
// queue. The next tick is scheduled before the handler runs (the period runs from tick start to
// tick start) and is computed when a tick runs, so late ticks delay later ones: no catching up.
// A running timer stays alive through its scheduled tick even when no module holds it.
#pragma once

#include <memory>

#include "runtime/core/Object.h"

namespace zemtra {

class RtCore;

class RtTimer : public Object {
  public:
    static constexpr StringView kClassName = u"RtTimer";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    // Stores the interval, the runtime core object (weakly) and the event name; does not change
    // Enabled and does not reschedule: the pending tick keeps its due time and uses the new name
    // and interval when it runs.
    void Initialize(const std::shared_ptr<RtCore>& core, const String& prefix, int64_t interval);
    bool IsInitialized() const { return !core_.expired(); }

    int64_t Interval() const { return interval_; }
    // A different interval on a running timer restarts its period from now.
    void setInterval(int64_t interval);
    bool Enabled() const { return enabled_; }
    // Setting the current value again does nothing (enabling a running timer keeps its period).
    void setEnabled(bool enabled);

    const String& eventName() const { return eventName_; }
    int32_t relevantTimer() const { return relevantTimer_; }

  private:
    void startTicking();
    void stopTicking() { nextGeneration(); }
    // Wraps around instead of overflowing: only equality between generations matters.
    int32_t nextGeneration() {
        relevantTimer_ = static_cast<int32_t>(static_cast<uint32_t>(relevantTimer_) + 1u);
        return relevantTimer_;
    }
    void schedule(int32_t generation);
    void tick(int32_t generation);

    int64_t interval_ = 0;
    bool enabled_ = false;
    int32_t relevantTimer_ = 0;
    String eventName_;
    std::weak_ptr<RtCore> core_;
};

}  // namespace zemtra
