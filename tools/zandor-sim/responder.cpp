#include "tools/zandor-sim/responder.h"

namespace brixtel::zandor {

namespace {

constexpr std::pair<std::string_view, ReplyMode> kReplyModes[] = {
    {"success", ReplyMode::Success},
    {"failure", ReplyMode::Failure},
    {"unsupported", ReplyMode::Unsupported},
    {"none", ReplyMode::None},
};

std::optional<std::string> feature_result(ReplyMode mode) {
    switch (mode) {
    case ReplyMode::Success:
        return "SUCCESS";
    case ReplyMode::Failure:
        return "FAILURE";
    case ReplyMode::Unsupported:
        return "ERROR Unsupported command";
    case ReplyMode::None:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<ReplyMode> reply_mode_of(std::string_view word) {
    for (const auto& [name, mode] : kReplyModes)
        if (word == name)
            return mode;
    return std::nullopt;
}

std::string_view name_of(ReplyMode mode) {
    for (const auto& [name, candidate] : kReplyModes)
        if (candidate == mode)
            return name;
    return {};
}

double DropDice::next() {
    // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

std::string cancel_answer(std::string_view read_line) {
    return std::string(read_line) + "\n0 cancel";
}

std::optional<std::string> Responder::result_of(const Request& request, double seconds) const {
    switch (request.kind) {
    case RequestKind::Connstat:
        return feature_result(behaviour_.connstat);
    case RequestKind::FeatureUsername:
        return feature_result(behaviour_.username);
    case RequestKind::Unknown:
        return "ERROR Unsupported command";
    case RequestKind::Read:
        break;
    }
    if (request.missing_parameter)
        return "ERROR Missing Parameter";
    const PlantEntry* entry = plant_.find(request.address);
    return entry ? read_result(*entry, seconds) : std::nullopt;
}

Reply Responder::respond(const Request& request, double seconds) {
    // One throw per request, so a seed gives the same pattern whatever the settings.
    const bool lost = dice_.next() < behaviour_.drop_share;
    const bool late = delay_dice_.next() < behaviour_.delay_share;
    if (behaviour_.silent || (behaviour_.silent_connstat && request.kind == RequestKind::Connstat))
        return {std::nullopt, "silent"};
    Reply reply;
    if (request.kind == RequestKind::Read && !request.missing_parameter &&
        behaviour_.cancels_pending > 0) {
        --behaviour_.cancels_pending;
        reply = {cancel_answer(request.line), "cancel"};
    } else if (auto result = result_of(request, seconds)) {
        reply = {request.line + "\n" + *result, "answered"};
    } else {
        return {std::nullopt, "unanswered"};
    }
    if (lost)
        return {std::nullopt, "dropped"};
    if (late && behaviour_.delay_ms > 0) {
        reply.delay_ms = behaviour_.delay_ms;
        reply.disposition = "delayed";
    }
    return reply;
}

} // namespace brixtel::zandor
