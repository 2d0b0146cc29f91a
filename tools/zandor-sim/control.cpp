#include "tools/zandor-sim/control.h"

#include <charconv>

namespace brixtel::zandor {

namespace {

std::pair<std::string_view, std::string_view> first_word(std::string_view text) {
    const size_t start = std::min(text.find_first_not_of(' '), text.size());
    text.remove_prefix(start);
    const size_t end = std::min(text.find(' '), text.size());
    std::string_view rest = text.substr(end);
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    while (rest.ends_with(' ') || rest.ends_with('\n') || rest.ends_with('\r'))
        rest.remove_suffix(1);
    return {text.substr(0, end), rest};
}

ControlOutcome ok(std::string what, ServerAction action = ServerAction::None) {
    return {"OK " + what, action};
}

ControlOutcome refused(std::string why) {
    return {"ERROR " + why, ServerAction::None};
}

std::optional<double> share_of(std::string_view text) {
    double value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !(value >= 0 && value <= 1))
        return std::nullopt;
    return value;
}

ControlOutcome silence(std::string_view what, Behaviour& behaviour) {
    if (what.empty() || what == "all") {
        behaviour.silent = true;
        return ok("silent");
    }
    if (what == "connstat") {
        behaviour.silent_connstat = true;
        return ok("silent connstat");
    }
    return refused("silent takes all or connstat");
}

ControlOutcome reply_mode(std::string_view name, std::string_view word, ReplyMode* mode) {
    const auto chosen = reply_mode_of(word);
    if (!chosen)
        return refused(std::string(name) + " takes success, failure, unsupported or none");
    *mode = *chosen;
    return ok(std::string(name) + " " + std::string(word));
}

ControlOutcome cancel(std::string_view what, Behaviour& behaviour) {
    if (what == "now")
        return ok("cancel now", ServerAction::CancelNow);
    const auto count = what.empty() ? std::optional<int>(1) : decimal_of(what);
    if (!count || *count < 0)
        return refused("cancel takes now or a count");
    behaviour.cancels_pending = *count;
    return ok("cancel " + std::to_string(*count));
}

ControlOutcome set_entry(std::string_view line, Plant& plant) {
    PlantLine parsed = parse_plant_line(line);
    if (!parsed.entry)
        return refused(parsed.error);
    plant.put_first(std::move(*parsed.entry));
    return ok("set");
}

} // namespace

ControlOutcome apply_control(std::string_view command, Responder& responder) {
    const auto [word, rest] = first_word(command);
    Behaviour& behaviour = responder.behaviour();
    if (word == "ping")
        return ok("ready");
    if (word == "silent")
        return silence(rest, behaviour);
    if (word == "resume") {
        behaviour.silent = false;
        behaviour.silent_connstat = false;
        return ok("resume");
    }
    if (word == "connstat")
        return reply_mode(word, rest, &behaviour.connstat);
    if (word == "username")
        return reply_mode(word, rest, &behaviour.username);
    if (word == "drop") {
        const auto share = share_of(rest);
        if (!share)
            return refused("drop takes a share from 0 to 1");
        behaviour.drop_share = *share;
        return ok("drop " + std::string(rest));
    }
    if (word == "delay") {
        const auto ms = decimal_of(rest);
        if (!ms || *ms < 0 || *ms > 60000)
            return refused("delay takes milliseconds from 0 to 60000");
        behaviour.delay_ms = *ms;
        return ok("delay " + std::to_string(*ms));
    }
    if (word == "delay-share") {
        const auto share = share_of(rest);
        if (!share)
            return refused("delay-share takes a share from 0 to 1");
        behaviour.delay_share = *share;
        return ok("delay-share " + std::string(rest));
    }
    if (word == "cancel")
        return cancel(rest, behaviour);
    if (word == "flood") {
        const auto rate = decimal_of(rest);
        if (!rate || *rate < 0 || *rate > kMaxFloodPerSecond)
            return refused("flood takes datagrams per second from 0 to " +
                           std::to_string(kMaxFloodPerSecond));
        behaviour.flood_per_second = *rate;
        return ok("flood " + std::to_string(*rate));
    }
    if (word == "set")
        return set_entry(rest, responder.plant());
    if (word == "count")
        return ok("count", ServerAction::Count);
    if (word == "stop")
        return ok("stop", ServerAction::Stop);
    return refused("unknown command \"" + std::string(word) + "\"");
}

} // namespace brixtel::zandor
