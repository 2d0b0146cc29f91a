#include "tools/zandor-sim/request.h"

#include <charconv>
#include <vector>

namespace brixtel::zandor {

namespace {

std::vector<std::string_view> words_of(std::string_view text) {
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < text.size()) {
        const size_t start = text.find_first_not_of(' ', at);
        if (start == text.npos)
            break;
        const size_t end = std::min(text.find(' ', start), text.size());
        words.push_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

// Splits off a trailing " from <user>" so the numbers before it are read alone.
std::vector<std::string_view> without_user(std::vector<std::string_view> words, std::string* user) {
    for (size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == "from") {
            std::string name;
            for (size_t j = i + 1; j < words.size(); ++j)
                name += (j > i + 1 ? " " : "") + std::string(words[j]);
            *user = name;
            words.resize(i);
            break;
        }
    }
    return words;
}

void read_numbers(Request& request, const std::vector<std::string_view>& numbers) {
    int* fields[] = {&request.address.loop, &request.address.pcu, &request.address.module,
                     &request.address.block};
    for (size_t i = 0; i < std::size(fields); ++i) {
        const auto value = i < numbers.size() ? decimal_of(numbers[i]) : std::nullopt;
        if (!value) {
            request.missing_parameter = true;
            return;
        }
        *fields[i] = *value;
    }
}

} // namespace

std::optional<int> decimal_of(std::string_view text) {
    if (text.starts_with('+'))
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

Request parse_request(std::string_view datagram) {
    Request request;
    request.line = std::string(datagram.substr(0, datagram.find('\n')));
    auto words = without_user(words_of(request.line), &request.user);
    // words[0] is "<reply window>,<identifier or port>"; the command follows.
    if (words.size() >= 3 && words[1] == "read" && words[2] == "output") {
        request.kind = RequestKind::Read;
        read_numbers(request, {words.begin() + 3, words.end()});
    } else if (words.size() >= 2 && words[1] == "connstat") {
        request.kind = RequestKind::Connstat;
        if (words.size() >= 3)
            request.host = std::string(words[2]);
        request.address.loop = words.size() > 3 ? decimal_of(words[3]).value_or(0) : 0;
        request.address.pcu = words.size() > 4 ? decimal_of(words[4]).value_or(0) : 0;
    } else if (words.size() >= 3 && words[1] == "feature" && words[2] == "username") {
        request.kind = RequestKind::FeatureUsername;
        if (words.size() >= 4)
            request.host = std::string(words[3]);
    }
    return request;
}

} // namespace brixtel::zandor
