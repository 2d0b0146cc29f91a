#include "tools/zandor-sim/plant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace brixtel::zandor {

namespace {

constexpr std::string_view kBuiltInPlant = R"(# Built-in plant of the Zandor simulator.
# <loop> <pcu> <module> <block> <kind> <value or text>; "*" matches any number.
# The first matching line wins. Kinds: real, int, string, answer, silent.
# Values: a number, sine(middle,amplitude,period_s) or ramp(start,per_second,top).

# Values: loop 1, PCU 2, module 5.
1 2 5 100 real 12.5 degC
1 2 5 101 real sine(50,25,60) %
1 2 5 102 int ramp(0,1,1000)
1 2 5 103 string Pump 3 running normally
1 2 5 104 int 42
1 2 5 105 real ramp(-10,0.5,10) bar
1 2 5 106 real -3.75

# Loop 2 (any PCU) tracks the same shapes.
2 * 1 1 real sine(100,10,30) kPa
2 * 1 2 int sine(500,400,90) rpm
2 * 1 3 string Valve open

# Error and information answers: loop 1, PCU 2, module 9.
1 2 9 1 answer ERROR 105
1 2 9 2 answer ERROR 7
1 2 9 3 answer ERROR Missing Parameter
1 2 9 4 answer ERROR Failed to dequeue response
1 2 9 5 answer ERROR Invalid response from CIU
1 2 9 6 answer ERROR Unknown response code 99
1 2 9 7 answer ERROR Failed to resend request
1 2 9 8 answer ERROR Invalid Zero Loop and PCU
1 2 9 9 answer INFO Cannot reach PCU
1 2 9 10 answer IP_BLOCKED Invalid IP Address
1 2 9 11 answer USER_BLOCKED Invalid User Name
1 2 9 12 answer USER_BLOCKED User Name Not Approved
1 2 9 13 answer ERROR CIU busy
1 2 9 14 answer INFO PCU in configure mode
1 2 9 15 answer OK STRING\nERROR LOG FULL ON PCU 2
1 2 9 16 answer OK REAL
1 2 9 17 silent

# Loop and PCU 0 name no PCU; every other block is undefined.
0 0 * * answer ERROR Invalid Zero Loop and PCU
* * * * answer ERROR 105
)";

std::vector<std::string_view> split_blanks(std::string_view text, size_t limit) {
    std::vector<std::string_view> words;
    size_t at = 0;
    while (words.size() + 1 < limit) {
        const size_t start = text.find_first_not_of(" \t", at);
        if (start == text.npos)
            return words;
        const size_t end = std::min(text.find_first_of(" \t", start), text.size());
        words.push_back(text.substr(start, end - start));
        at = end;
    }
    // The last piece keeps its inner blanks (string texts, units, answers).
    const size_t start = text.find_first_not_of(" \t", at);
    if (start != text.npos)
        words.push_back(text.substr(start));
    return words;
}

std::optional<double> number_of(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool address_field(std::string_view word, std::optional<int>* field) {
    if (word == "*") {
        field->reset();
        return true;
    }
    const auto value = decimal_of(word);
    *field = value;
    return value.has_value();
}

// "name(a,b,c)" with exactly three numbers.
std::optional<Waveform> function_of(std::string_view text, std::string_view name,
                                    Waveform::Shape shape) {
    if (!text.starts_with(name) || text.size() < name.size() + 2 || text[name.size()] != '(' ||
        !text.ends_with(')'))
        return std::nullopt;
    std::string_view arguments = text.substr(name.size() + 1, text.size() - name.size() - 2);
    double numbers[3];
    for (int i = 0; i < 3; ++i) {
        const size_t comma = i < 2 ? arguments.find(',') : arguments.size();
        if (comma == arguments.npos)
            return std::nullopt;
        const auto number = number_of(arguments.substr(0, comma));
        if (!number)
            return std::nullopt;
        numbers[i] = *number;
        arguments.remove_prefix(std::min(comma + 1, arguments.size()));
    }
    Waveform wave;
    wave.shape = shape;
    wave.a = numbers[0];
    wave.b = numbers[1];
    wave.c = numbers[2];
    return wave;
}

std::optional<Waveform> waveform_of(std::string_view text, EntryKind kind, std::string* error) {
    if (auto sine = function_of(text, "sine", Waveform::Shape::Sine)) {
        if (sine->c <= 0) {
            *error = "the period of sine() must be above 0";
            return std::nullopt;
        }
        return sine;
    }
    if (auto ramp = function_of(text, "ramp", Waveform::Shape::Ramp)) {
        if ((ramp->c - ramp->a) * ramp->b <= 0) {
            *error = "ramp(start,per_second,top) must rise or fall towards its top";
            return std::nullopt;
        }
        return ramp;
    }
    const bool is_number =
        kind == EntryKind::Int ? decimal_of(text).has_value() : number_of(text).has_value();
    if (!is_number) {
        *error = "\"" + std::string(text) + "\" is not " +
                 (kind == EntryKind::Int ? "a whole number" : "a number") +
                 ", sine(middle,amplitude,period_s) or ramp(start,per_second,top)";
        return std::nullopt;
    }
    Waveform fixed;
    fixed.literal = std::string(text);
    return fixed;
}

// "\n" in a file line stands for a line feed of the answer, "\\" for a backslash.
std::string unescaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
            out += text[i + 1] == 'n' ? '\n' : '\\';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<EntryKind> kind_of(std::string_view word) {
    static constexpr std::pair<std::string_view, EntryKind> kinds[] = {
        {"real", EntryKind::Real},     {"int", EntryKind::Int},       {"string", EntryKind::String},
        {"answer", EntryKind::Answer}, {"silent", EntryKind::Silent},
    };
    for (const auto& [name, kind] : kinds)
        if (word == name)
            return kind;
    return std::nullopt;
}

double wave_at(const Waveform& wave, double seconds) {
    switch (wave.shape) {
    case Waveform::Shape::Sine:
        return wave.a + wave.b * std::sin(2 * std::numbers::pi * seconds / wave.c);
    case Waveform::Shape::Ramp: {
        const double span = wave.c - wave.a;
        return wave.a + std::fmod(wave.b * seconds, span);
    }
    case Waveform::Shape::Fixed:
        break;
    }
    return number_of(wave.literal).value_or(0);
}

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

bool PlantEntry::matches(const PlantAddress& address) const {
    const auto fits = [](const std::optional<int>& field, int value) {
        return !field || *field == value;
    };
    return fits(loop, address.loop) && fits(pcu, address.pcu) && fits(module, address.module) &&
           fits(block, address.block);
}

const PlantEntry* Plant::find(const PlantAddress& address) const {
    for (const PlantEntry& entry : entries_)
        if (entry.matches(address))
            return &entry;
    return nullptr;
}

void Plant::put_first(PlantEntry entry) {
    entries_.insert(entries_.begin(), std::move(entry));
}

PlantLine parse_plant_line(std::string_view line) {
    PlantLine result;
    const auto words = split_blanks(line, 6);
    if (words.size() < 5) {
        result.error = "expected <loop> <pcu> <module> <block> <kind> ...";
        return result;
    }
    PlantEntry entry;
    std::optional<int>* fields[] = {&entry.loop, &entry.pcu, &entry.module, &entry.block};
    for (int i = 0; i < 4; ++i) {
        if (!address_field(words[i], fields[i])) {
            result.error = "\"" + std::string(words[i]) + "\" is neither a whole number nor *";
            return result;
        }
    }
    const auto kind = kind_of(words[4]);
    if (!kind) {
        result.error =
            "unknown kind \"" + std::string(words[4]) + "\" (real, int, string, answer or silent)";
        return result;
    }
    entry.kind = *kind;
    const std::string_view rest = words.size() > 5 ? words[5] : std::string_view();
    switch (entry.kind) {
    case EntryKind::Real:
    case EntryKind::Int: {
        const auto parts = split_blanks(rest, 2);
        if (parts.empty()) {
            result.error = "a value is missing";
            return result;
        }
        auto wave = waveform_of(parts[0], entry.kind, &result.error);
        if (!wave)
            return result;
        entry.value = *wave;
        entry.text = parts.size() > 1 ? std::string(parts[1]) : std::string();
        break;
    }
    case EntryKind::String:
        entry.text = std::string(rest);
        break;
    case EntryKind::Answer:
        if (rest.empty()) {
            result.error = "an answer text is missing";
            return result;
        }
        entry.text = unescaped(rest);
        break;
    case EntryKind::Silent:
        if (!rest.empty()) {
            result.error = "silent takes nothing after it";
            return result;
        }
        break;
    }
    result.entry = std::move(entry);
    return result;
}

PlantParse parse_plant(std::string_view text) {
    PlantParse result;
    Plant plant;
    int number = 0;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const size_t start = line.find_first_not_of(" \t");
        if (start == line.npos || line[start] == '#')
            continue;
        PlantLine parsed = parse_plant_line(line);
        if (!parsed.entry) {
            result.error_line = number;
            result.error = parsed.error;
            return result;
        }
        plant.append(std::move(*parsed.entry));
    }
    result.plant = std::move(plant);
    return result;
}

std::string_view default_plant_text() {
    return kBuiltInPlant;
}

std::string value_text(const Waveform& value, EntryKind kind, double seconds) {
    if (value.shape == Waveform::Shape::Fixed)
        return value.literal;
    const double number = wave_at(value, seconds);
    if (kind == EntryKind::Int)
        return std::to_string(static_cast<long long>(std::floor(number)));
    return formatted("%.2f", number);
}

std::optional<std::string> read_result(const PlantEntry& entry, double seconds) {
    const auto with_unit = [&](std::string value) {
        return entry.text.empty() ? value : value + " " + entry.text;
    };
    switch (entry.kind) {
    case EntryKind::Real:
        return "OK REAL\n" + with_unit(value_text(entry.value, entry.kind, seconds));
    case EntryKind::Int:
        return "OK INT\n" + with_unit(value_text(entry.value, entry.kind, seconds));
    case EntryKind::String:
        return "OK STRING\n" + entry.text;
    case EntryKind::Answer:
        return entry.text;
    case EntryKind::Silent:
        break;
    }
    return std::nullopt;
}

} // namespace brixtel::zandor
