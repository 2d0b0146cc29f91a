#pragma once
// The loop configuration as the poll cycle drives it.
#include "core/loop_configuration.h"
#include "core/request_routing.h"

namespace brixtel {

class ConfigurationLoopControl : public LoopControl {
  public:
    explicit ConfigurationLoopControl(LoopConfiguration& loops) : loops_(loops) {}

    LoopEntryList& loop_entries() override { return loops_.loop_entries(); }
    bool simulation_mode() const override { return loops_.transport().simulation_mode(); }
    int send(Connection& connection, std::wstring_view request) override {
        return Transport::send(connection, request);
    }
    void reconnect_quietly(const LoopEndpoint& entry) override { loops_.reconnect(entry); }
    void report_status(const LoopEndpoint& entry, bool ok) override {
        loops_.report_status(entry, ok);
    }
    void report_feature(const LoopEndpoint& entry, std::int32_t state) override {
        loops_.report_feature_state(entry, state);
    }

  private:
    LoopConfiguration& loops_;
};

} // namespace brixtel
