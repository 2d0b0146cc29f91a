// zandor-sim: a stand-in for the Zandor server, for trying and testing Brixtel without a plant.
#include "tools/zandor-sim/options.h"
#include "tools/zandor-sim/plant.h"
#include "tools/zandor-sim/server.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

using namespace brixtel::zandor;

constexpr int kUsageError = 2;
constexpr int kStartError = 3;

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "zandor-sim: %s\n", message.c_str());
    return code;
}

std::optional<std::string> file_text(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    OptionsParse parsed = parse_options(arguments);
    if (!parsed.options)
        return fail(kUsageError, parsed.error + " (--help lists the options)");
    Options& options = *parsed.options;
    if (options.help) {
        std::fputs(std::string(usage_text()).c_str(), stdout);
        return 0;
    }
    if (options.print_plant) {
        std::fputs(std::string(default_plant_text()).c_str(), stdout);
        return 0;
    }
    std::string plant_text(default_plant_text());
    if (!options.plant_file.empty()) {
        auto text = file_text(options.plant_file);
        if (!text)
            return fail(kStartError, "cannot read the plant file " + options.plant_file);
        plant_text = std::move(*text);
    }
    PlantParse plant = parse_plant(plant_text);
    if (!plant.plant)
        return fail(kStartError,
                    (options.plant_file.empty() ? "built-in plant" : options.plant_file) + ":" +
                        std::to_string(plant.error_line) + ": " + plant.error);

    Server server(options, std::move(*plant.plant));
    std::string error;
    if (!server.open(&error))
        return fail(kStartError, error);
    std::string ports;
    for (const uint16_t port : server.ports())
        ports += " " + std::to_string(port);
    std::printf("zandor-sim: serving %s port%s%s", text_of(options.address).c_str(),
                server.ports().size() > 1 ? "s" : "", ports.c_str());
    if (server.control_port())
        std::printf(", control port %u", server.control_port());
    std::printf(", stopping after %d s\n", options.max_seconds);
    std::fflush(stdout);
    server.run();
    return 0;
}
