#include "core/server_requests.h"

#include <cstdio>

#include "core/text_scan.h"

namespace brixtel {

namespace {

using text::decimal;
using text::hex8;

std::optional<std::wstring> fitting(std::wstring request) {
    if (request.size() + 1 > kRequestBufferChars)
        return std::nullopt;
    return request;
}

std::wstring read_head(std::uint32_t reply_window, std::uint32_t request_id) {
    return hex8(reply_window) + L',' + hex8(request_id) + L" read output ";
}

std::optional<std::wstring> compose_status_request(std::uint32_t reply_window,
                                                   std::wstring_view command,
                                                   const LoopEndpoint& entry,
                                                   std::wstring_view suffix) {
    std::wstring request = hex8(reply_window) + L',' + decimal(entry.remote_port) + L' ';
    request += command;
    request += L' ' + entry.host + L' ' + decimal(entry.loop) + L' ' + decimal(entry.pcu) + L" 0 0";
    request += suffix;
    return fitting(std::move(request));
}

} // namespace

std::wstring user_suffix(std::wstring_view user_name) {
    if (user_name.empty())
        return {};
    return L" from " + std::wstring(user_name.substr(0, kMaxUserNameChars));
}

bool user_suffix_applies(bool is_connstat, std::int32_t user_name_feature_state) {
    return is_connstat || user_name_feature_state == 1;
}

std::optional<std::wstring> compose_read_request(std::uint32_t reply_window,
                                                 std::uint32_t request_id,
                                                 const BlockAddress& address,
                                                 std::wstring_view suffix) {
    std::wstring request = read_head(reply_window, request_id) + request_address_text(address);
    request += suffix;
    return fitting(std::move(request));
}

std::optional<std::wstring> compose_connstat_request(std::uint32_t reply_window,
                                                     const LoopEndpoint& entry,
                                                     std::wstring_view suffix) {
    return compose_status_request(reply_window, L"connstat", entry, suffix);
}

std::optional<std::wstring> compose_feature_username_request(std::uint32_t reply_window,
                                                             const LoopEndpoint& entry,
                                                             std::wstring_view suffix) {
    return compose_status_request(reply_window, L"feature username", entry, suffix);
}

std::wstring read_request_display_text(std::uint32_t reply_window, std::uint32_t request_id,
                                       const BlockAddress& a) {
    return read_head(reply_window, request_id) + decimal(a.loop) + L' ' + decimal(a.pcu) + L' ' +
           decimal(a.module) + L' ' + decimal(a.block);
}

std::wstring simulation_answer(std::wstring_view request_without_suffix, float counter) {
    char number[64];
    const int length = std::snprintf(number, sizeof number, "%.2f", static_cast<double>(counter));
    std::wstring answer(request_without_suffix);
    answer += L"\nOK\n";
    for (int i = 0; i < length && i < static_cast<int>(sizeof number) - 1; ++i)
        answer += static_cast<wchar_t>(number[i]);
    return answer;
}

} // namespace brixtel
