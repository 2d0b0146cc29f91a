// The simulated plant: which blocks exist and what reading them answers.
#pragma once

#include "tools/zandor-sim/request.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::zandor {

// A value that is fixed or moves with the plant clock (seconds since start).
struct Waveform {
    enum class Shape { Fixed, Sine, Ramp };
    Shape shape = Shape::Fixed;
    // Fixed: the number as written, so "12.5" is answered as "12.5".
    std::string literal;
    // Sine: middle, amplitude, period in seconds. Ramp: start, rise per second, top.
    double a = 0, b = 0, c = 0;
};

enum class EntryKind { Real, Int, String, Answer, Silent };

struct PlantEntry {
    // An empty field matches every value ("*" in the file).
    std::optional<int> loop, pcu, module, block;
    EntryKind kind = EntryKind::Answer;
    Waveform value;
    // Real and Int: words after the value ("degC"); String: the text; Answer: the whole result.
    std::string text;

    bool matches(const PlantAddress& address) const;
};

class Plant {
  public:
    // The first entry that matches wins.
    const PlantEntry* find(const PlantAddress& address) const;
    void append(PlantEntry entry) { entries_.push_back(std::move(entry)); }
    // Takes precedence over every earlier entry (used by the "set" control command).
    void put_first(PlantEntry entry);
    size_t size() const { return entries_.size(); }

  private:
    std::vector<PlantEntry> entries_;
};

struct PlantLine {
    std::optional<PlantEntry> entry;
    std::string error;
};

// One non-comment line: "<loop> <pcu> <module> <block> <kind> [<value> [<unit...>] | <text>]".
PlantLine parse_plant_line(std::string_view line);

struct PlantParse {
    std::optional<Plant> plant;
    int error_line = 0;
    std::string error;
};

PlantParse parse_plant(std::string_view text);

// The plant served when no file is given; also a sample to start a file from.
std::string_view default_plant_text();

// The result part of a read answer (after the echoed line and its line feed); none for a block
// that never answers.
std::optional<std::string> read_result(const PlantEntry& entry, double seconds);

std::string value_text(const Waveform& value, EntryKind kind, double seconds);

} // namespace brixtel::zandor
