#include "tools/zandor-sim/record.h"

#include "tools/zandor-sim/request.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace brixtel::zandor {

namespace {

std::string escaped(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::optional<Endpoint> endpoint_of(std::string_view text) {
    const size_t colon = text.rfind(':');
    if (colon == text.npos)
        return std::nullopt;
    const auto address = ipv4_of(text.substr(0, colon));
    const auto port = decimal_of(text.substr(colon + 1));
    if (!address || !port || *port < 0 || *port > 65535)
        return std::nullopt;
    return Endpoint{*address, static_cast<uint16_t>(*port)};
}

} // namespace

std::string record_line(const RecordLine& line) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", line.seconds);
    return std::string(seconds) + "\t" + std::to_string(line.local_port) + "\t" +
           text_of(line.source) + "\t" + line.disposition + "\t" + escaped(line.request);
}

std::optional<RecordLine> parse_record_line(std::string_view text) {
    std::vector<std::string_view> fields;
    for (int i = 0; i < 4; ++i) {
        const size_t tab = text.find('\t');
        if (tab == text.npos)
            return std::nullopt;
        fields.push_back(text.substr(0, tab));
        text.remove_prefix(tab + 1);
    }
    RecordLine line;
    const auto [end, error] =
        std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), line.seconds);
    const auto port = decimal_of(fields[1]);
    const auto source = endpoint_of(fields[2]);
    auto request = unescaped(text);
    if (error != std::errc() || end != fields[0].data() + fields[0].size() || !port || *port < 0 ||
        *port > 65535 || !source || !request)
        return std::nullopt;
    line.local_port = static_cast<uint16_t>(*port);
    line.source = *source;
    line.disposition = std::string(fields[3]);
    line.request = std::move(*request);
    return line;
}

} // namespace brixtel::zandor
