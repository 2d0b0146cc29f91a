#include "tools/zandor-sim/options.h"

#include <charconv>
#include <functional>
#include <map>

namespace brixtel::zandor {

namespace {

constexpr std::string_view kUsage =
    R"(usage: zandor-sim [options]
Answers Brixtel's requests over UDP like a Zandor server, from a simulated plant.

  --port N               serve UDP port N (repeat for several; default 5001; 0 = any free)
  --address A            local IPv4 address to serve on (default 127.0.0.1)
  --allow-any-address    accept an --address that is not a loopback address
  --plant FILE           plant description (default: the built-in plant)
  --print-plant          print the built-in plant and exit
  --record FILE          write one line per request received (flushed at once)
  --control-port N       accept control commands on 127.0.0.1:N (0 = any free)
  --ready-file FILE      written once every port is bound: "port N" and "control N" lines
  --connstat MODE        success | failure | unsupported | none (default success)
  --username MODE        answer to feature username, same modes (default success)
  --silent all|connstat  start silent: answer nothing / no connstat
  --drop SHARE           lose this share (0..1) of the answers
  --delay MS             send answers MS milliseconds late (all, or --delay-share of them)
  --delay-share SHARE    delay only this share (0..1) of the answers (default 1)
  --seed N               seed for --drop and --delay-share (default 1)
  --time-step SECONDS    plant clock moves this much per read answered instead of with time
  --max-seconds N        stop after N seconds (default 3600)
  --max-requests N       stop after N requests have been handled
  --once                 stop after the first request (same as --max-requests 1)
  --verbose              print every request and answer
  --help                 this text
)";

template <class Number> std::optional<Number> number_of(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

using Setter = std::function<std::string(Options&, std::string_view)>;

std::string port_into(std::string_view text, uint16_t* port) {
    const auto value = number_of<unsigned>(text);
    if (!value || *value > 65535)
        return "\"" + std::string(text) + "\" is not a port number";
    *port = static_cast<uint16_t>(*value);
    return {};
}

std::string mode_into(std::string_view text, ReplyMode* mode) {
    const auto value = reply_mode_of(text);
    if (!value)
        return "\"" + std::string(text) + "\" is not success, failure, unsupported or none";
    *mode = *value;
    return {};
}

const std::map<std::string_view, Setter>& valued_options() {
    static const std::map<std::string_view, Setter> options = {
        {"--port",
         [](Options& o, std::string_view v) { return port_into(v, &o.ports.emplace_back()); }},
        {"--address",
         [](Options& o, std::string_view v) -> std::string {
             const auto address = ipv4_of(v);
             if (!address)
                 return "\"" + std::string(v) + "\" is not an IPv4 address";
             o.address = *address;
             return {};
         }},
        {"--plant", [](Options& o, std::string_view v) { return (o.plant_file = v, ""); }},
        {"--record", [](Options& o, std::string_view v) { return (o.record_file = v, ""); }},
        {"--ready-file", [](Options& o, std::string_view v) { return (o.ready_file = v, ""); }},
        {"--control-port",
         [](Options& o, std::string_view v) { return port_into(v, &o.control_port.emplace()); }},
        {"--connstat",
         [](Options& o, std::string_view v) { return mode_into(v, &o.behaviour.connstat); }},
        {"--username",
         [](Options& o, std::string_view v) { return mode_into(v, &o.behaviour.username); }},
        {"--silent",
         [](Options& o, std::string_view v) -> std::string {
             if (v == "all")
                 o.behaviour.silent = true;
             else if (v == "connstat")
                 o.behaviour.silent_connstat = true;
             else
                 return "--silent takes all or connstat";
             return {};
         }},
        {"--drop",
         [](Options& o, std::string_view v) -> std::string {
             const auto share = number_of<double>(v);
             if (!share || !(*share >= 0 && *share <= 1))
                 return "--drop takes a share from 0 to 1";
             o.behaviour.drop_share = *share;
             return {};
         }},
        {"--delay",
         [](Options& o, std::string_view v) -> std::string {
             const auto ms = number_of<int>(v);
             if (!ms || *ms < 0 || *ms > 60000)
                 return "--delay takes milliseconds from 0 to 60000";
             o.behaviour.delay_ms = *ms;
             return {};
         }},
        {"--delay-share",
         [](Options& o, std::string_view v) -> std::string {
             const auto share = number_of<double>(v);
             if (!share || !(*share >= 0 && *share <= 1))
                 return "--delay-share takes a share from 0 to 1";
             o.behaviour.delay_share = *share;
             return {};
         }},
        {"--seed",
         [](Options& o, std::string_view v) -> std::string {
             const auto seed = number_of<uint64_t>(v);
             if (!seed)
                 return "--seed takes a whole number";
             o.seed = *seed;
             return {};
         }},
        {"--time-step",
         [](Options& o, std::string_view v) -> std::string {
             const auto step = number_of<double>(v);
             if (!step || !(*step >= 0 && *step < 1e9))
                 return "--time-step takes seconds (0 or more)";
             o.time_step = *step;
             return {};
         }},
        {"--max-seconds",
         [](Options& o, std::string_view v) -> std::string {
             const auto seconds = number_of<int>(v);
             if (!seconds || *seconds <= 0)
                 return "--max-seconds takes a number of seconds above 0";
             o.max_seconds = *seconds;
             return {};
         }},
        {"--max-requests",
         [](Options& o, std::string_view v) -> std::string {
             const auto count = number_of<long>(v);
             if (!count || *count <= 0)
                 return "--max-requests takes a count above 0";
             o.max_requests = *count;
             return {};
         }},
    };
    return options;
}

bool flag(Options& options, std::string_view name) {
    if (name == "--allow-any-address")
        options.allow_any_address = true;
    else if (name == "--once")
        options.max_requests = 1;
    else if (name == "--verbose")
        options.verbose = true;
    else if (name == "--print-plant")
        options.print_plant = true;
    else if (name == "--help" || name == "-h")
        options.help = true;
    else
        return false;
    return true;
}

} // namespace

OptionsParse parse_options(const std::vector<std::string_view>& arguments) {
    OptionsParse result;
    Options options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view name = arguments[i];
        if (flag(options, name))
            continue;
        const auto setter = valued_options().find(name);
        if (setter == valued_options().end()) {
            result.error = "unknown option \"" + std::string(name) + "\"";
            return result;
        }
        if (i + 1 == arguments.size()) {
            result.error = std::string(name) + " needs a value";
            return result;
        }
        if (std::string error = setter->second(options, arguments[++i]); !error.empty()) {
            result.error = error;
            return result;
        }
    }
    if (!is_loopback(options.address) && !options.allow_any_address) {
        result.error = text_of(options.address) +
                       " is not a loopback address; add --allow-any-address to serve it";
        return result;
    }
    if (options.ports.empty())
        options.ports.push_back(kDefaultPort);
    result.options = std::move(options);
    return result;
}

std::string_view usage_text() {
    return kUsage;
}

} // namespace brixtel::zandor
