#include "tools/hostile-sender/traffic.h"

#include <cstdio>

namespace brixtel::hostile {

std::string_view name_of(Kind kind) {
    switch (kind) {
    case Kind::Random:
        return "random";
    case Kind::Empty:
        return "empty";
    case Kind::Huge:
        return "huge";
    case Kind::ForgedId:
        return "forged_id";
    case Kind::Bystander:
        return "bystander";
    case Kind::Replay:
        return "replay";
    }
    return "?";
}

std::string RequestLine::window() const {
    return text.substr(0, text.find(','));
}

std::string RequestLine::after_window() const {
    const size_t comma = text.find(',');
    return comma == std::string::npos ? std::string() : text.substr(comma);
}

std::vector<RequestLine> read_requests_of(std::string_view record, uint16_t source_port,
                                          size_t keep) {
    // Record lines: seconds, local port, source address:port, disposition, request (tabs).
    const std::string source = ":" + std::to_string(source_port) + "\t";
    std::vector<RequestLine> found;
    size_t start = 0;
    while (start < record.size()) {
        size_t end = record.find('\n', start);
        if (end == std::string_view::npos)
            break; // a line still being written
        const std::string_view line = record.substr(start, end - start);
        start = end + 1;
        const size_t last_tab = line.rfind('\t');
        if (last_tab == std::string_view::npos || line.find(source) == std::string_view::npos)
            continue;
        const std::string_view request = line.substr(last_tab + 1);
        if (request.find(" read output ") == std::string_view::npos ||
            request.find('\\') != std::string_view::npos)
            continue;
        found.push_back({std::string(request)});
    }
    if (found.size() > keep)
        found.erase(found.begin(), found.end() - static_cast<long>(keep));
    return found;
}

Kind Traffic::next_kind() {
    const Kind kind = kKinds[turn_++ % kKinds.size()];
    const bool needs_request =
        kind == Kind::ForgedId || kind == Kind::Bystander || kind == Kind::Replay;
    return needs_request && requests_.empty() ? Kind::Random : kind;
}

const RequestLine& Traffic::some_request() {
    return requests_[std::uniform_int_distribution<size_t>(0, requests_.size() - 1)(random_)];
}

std::string Traffic::make(Kind kind) {
    switch (kind) {
    case Kind::Random: {
        std::string bytes(std::uniform_int_distribution<size_t>(1, 2048)(random_), '\0');
        for (char& c : bytes)
            c = static_cast<char>(random_());
        return bytes;
    }
    case Kind::Empty:
        return {};
    case Kind::Huge: {
        // A well-formed answer head, so a receiver that read it would route it.
        std::string bytes = requests_.empty() ? std::string() : some_request().text + "\nOK REAL\n";
        bytes.resize(kMaxPayload, '9');
        return bytes;
    }
    case Kind::ForgedId: {
        const RequestLine& request = some_request();
        char id[16];
        std::snprintf(id, sizeof id, "%08X", static_cast<unsigned>(random_() | 0x80000000u));
        const std::string after = request.after_window();
        const size_t blank = after.find(' ');
        return request.window() + "," + id + after.substr(blank) + "\nOK REAL\n" + value_;
    }
    case Kind::Bystander:
        return bystander_ + some_request().after_window() + "\nOK REAL\n" + value_;
    case Kind::Replay:
        return some_request().text + "\nOK REAL\n" + value_;
    }
    return {};
}

} // namespace brixtel::hostile
