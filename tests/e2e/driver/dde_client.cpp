#include "tests/e2e/driver/dde_client.h"

#include "tests/e2e/driver/window_query.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace brixtel::e2e {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

namespace {

// DDEML gives its callback the conversation but not our object; callbacks run on the thread
// that made the instance, so each thread keeps its own conversations.
thread_local std::map<HCONV, DdeConversation*> live_conversations;

constexpr uint16_t kTableType = 0x0010;
constexpr uint16_t kFloatType = 0x0001;
constexpr size_t kOneNumberTableSize = 20;

uint16_t u16_at(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::wstring folded(std::wstring_view item) {
    std::wstring key(item);
    if (!key.empty())
        CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

// A string handle for one call, freed when the call is over.
class StringHandle {
  public:
    StringHandle(DWORD instance, std::wstring_view text) : instance_(instance) {
        if (!text.empty()) {
            const std::wstring copy(text);
            handle_ = DdeCreateStringHandleW(instance, copy.c_str(), CP_WINUNICODE);
        }
    }
    ~StringHandle() {
        if (handle_)
            DdeFreeStringHandle(instance_, handle_);
    }
    StringHandle(const StringHandle&) = delete;
    StringHandle& operator=(const StringHandle&) = delete;
    HSZ get() const { return handle_; }

  private:
    DWORD instance_;
    HSZ handle_ = nullptr;
};

std::wstring query_string(DWORD instance, HSZ handle) {
    wchar_t text[256] = {};
    const DWORD length = DdeQueryStringW(instance, handle, text, 256, CP_WINUNICODE);
    return std::wstring(text, length < 256 ? length : 255);
}

std::vector<uint8_t> data_bytes(HDDEDATA data) {
    std::vector<uint8_t> bytes;
    if (!data)
        return bytes;
    bytes.resize(DdeGetData(data, nullptr, 0, 0));
    if (!bytes.empty())
        bytes.resize(DdeGetData(data, bytes.data(), static_cast<DWORD>(bytes.size()), 0));
    return bytes;
}

bool is_timeout(UINT error) {
    return error == DMLERR_DATAACKTIMEOUT || error == DMLERR_ADVACKTIMEOUT ||
           error == DMLERR_UNADVACKTIMEOUT || error == DMLERR_POKEACKTIMEOUT ||
           error == DMLERR_EXECACKTIMEOUT;
}

std::string error_name(UINT error) {
    switch (error) {
    case DMLERR_NO_ERROR:
        return "no error";
    case DMLERR_ADVACKTIMEOUT:
        return "DMLERR_ADVACKTIMEOUT";
    case DMLERR_BUSY:
        return "DMLERR_BUSY";
    case DMLERR_DATAACKTIMEOUT:
        return "DMLERR_DATAACKTIMEOUT";
    case DMLERR_DLL_NOT_INITIALIZED:
        return "DMLERR_DLL_NOT_INITIALIZED";
    case DMLERR_EXECACKTIMEOUT:
        return "DMLERR_EXECACKTIMEOUT";
    case DMLERR_INVALIDPARAMETER:
        return "DMLERR_INVALIDPARAMETER";
    case DMLERR_NO_CONV_ESTABLISHED:
        return "DMLERR_NO_CONV_ESTABLISHED";
    case DMLERR_NOTPROCESSED:
        return "DMLERR_NOTPROCESSED";
    case DMLERR_POKEACKTIMEOUT:
        return "DMLERR_POKEACKTIMEOUT";
    case DMLERR_POSTMSG_FAILED:
        return "DMLERR_POSTMSG_FAILED";
    case DMLERR_SERVER_DIED:
        return "DMLERR_SERVER_DIED";
    case DMLERR_UNADVACKTIMEOUT:
        return "DMLERR_UNADVACKTIMEOUT";
    default:
        return "DDEML error 0x" + [error] {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%04X", error);
            return std::string(hex);
        }();
    }
}

DWORD milliseconds(Millis bound) {
    const auto count = scaled(bound).count();
    // TIMEOUT_ASYNC is all ones; a synchronous bound must stay below it.
    return count <= 0 ? 1 : count >= 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(count);
}

bool under_wine() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

// Wine's DDE messages carry a format as a signed 16-bit number, and an arriving value finds its
// hot link only when the link was made with the format read that way: a registered format such
// as XlTable must be given sign-extended there, or none of its values is ever delivered.
UINT link_format(UINT format) {
    if (under_wine() && format >= 0x8000 && format <= 0xFFFF)
        return format | 0xFFFF0000u;
    return format;
}

} // namespace

UINT xltable_format() {
    static const UINT format = RegisterClipboardFormatW(L"XlTable");
    return format;
}

bool same_format(UINT a, UINT b) {
    return (a & 0xFFFF) == (b & 0xFFFF);
}

std::optional<double> decode_xltable(const std::vector<uint8_t>& bytes) {
    if (bytes.size() != kOneNumberTableSize || u16_at(bytes, 0) != kTableType ||
        u16_at(bytes, 2) != 4 || u16_at(bytes, 4) != 1 || u16_at(bytes, 6) != 1 ||
        u16_at(bytes, 8) != kFloatType || u16_at(bytes, 10) != 8)
        return std::nullopt;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | bytes[12 + static_cast<size_t>(i)];
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::optional<std::wstring> decode_text(const std::vector<uint8_t>& bytes) {
    if (bytes.empty() || bytes.back() != 0)
        return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(bytes.data());
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    wide.resize(
        static_cast<size_t>(MultiByteToWideChar(CP_OEMCP, 0, text, length, wide.data(), length)));
    return wide;
}

std::string DdeReply::describe() const {
    switch (status) {
    case Status::data: {
        std::string text =
            "data, " + std::to_string(bytes.size()) + " bytes in format " + std::to_string(format);
        if (const auto value = decode_text(bytes))
            text += " (text \"" + narrow(*value) + "\")";
        else if (const auto number = decode_xltable(bytes))
            text += " (XlTable " + std::to_string(*number) + ")";
        return text;
    }
    case Status::acknowledged:
        return "acknowledged";
    case Status::no_data:
        return "no data (" + error_name(error) + ")";
    case Status::timed_out:
        return "timed out (" + error_name(error) + ")";
    case Status::failed:
        break;
    }
    return "failed (" + error_name(error) + ")";
}

void pump_messages(Millis at_most) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (at_most.count() <= 0)
        return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(at_most.count()), QS_ALLINPUT);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HDDEDATA CALLBACK dde_client_callback(UINT type, UINT format, HCONV conversation, HSZ, HSZ item,
                                      HDDEDATA data, ULONG_PTR data1, ULONG_PTR) {
    const auto found = live_conversations.find(conversation);
    if (found == live_conversations.end())
        return nullptr;
    DdeConversation& self = *found->second;
    switch (type) {
    case XTYP_ADVDATA:
        self.values_[folded(query_string(self.instance_, item))].push_back(
            {format, data_bytes(data)});
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(DDE_FACK));
    case XTYP_XACT_COMPLETE: {
        const auto pending = self.pending_.find(static_cast<DWORD>(data1));
        if (pending == self.pending_.end())
            return nullptr;
        DdeReply reply;
        reply.format = format;
        // A request completes with its data; any other transaction with a true value.
        if (!data) {
            reply.status = DdeReply::Status::no_data;
            reply.error = DMLERR_NOTPROCESSED;
        } else if (pending->second == XTYP_REQUEST) {
            reply.status = DdeReply::Status::data;
            reply.bytes = data_bytes(data);
        } else {
            reply.status = DdeReply::Status::acknowledged;
        }
        self.completions_[pending->first] = std::move(reply);
        self.pending_.erase(pending);
        return nullptr;
    }
    case XTYP_DISCONNECT:
        self.ended_by_server_ = true;
        return nullptr;
    default:
        return nullptr;
    }
}

DdeClient::DdeClient() {
    DWORD instance = 0;
    if (DdeInitializeW(&instance, dde_client_callback, APPCMD_CLIENTONLY, 0) == DMLERR_NO_ERROR)
        instance_ = instance;
}

DdeClient::~DdeClient() {
    if (instance_)
        DdeUninitialize(instance_);
}

AssertionResult DdeClient::connect(std::wstring_view service, std::wstring_view topic,
                                   std::unique_ptr<DdeConversation>* conversation) {
    conversation->reset();
    if (!instance_)
        return AssertionFailure() << "DdeInitializeW failed";
    const StringHandle service_handle(instance_, service);
    const StringHandle topic_handle(instance_, topic);
    HCONV handle = DdeConnect(instance_, service_handle.get(), topic_handle.get(), nullptr);
    if (!handle) {
        const UINT error = DdeGetLastError(instance_);
        return AssertionFailure() << "could not connect to " << narrow(service) << "|"
                                  << narrow(topic) << ": "
                                  << (error == DMLERR_NO_ERROR ? "refused" : error_name(error));
    }
    conversation->reset(new DdeConversation(instance_, handle));
    return AssertionSuccess();
}

DdeConversation::DdeConversation(DWORD instance, HCONV conversation)
    : instance_(instance), conversation_(conversation) {
    live_conversations[conversation] = this;
}

DdeConversation::~DdeConversation() {
    disconnect();
}

void DdeConversation::disconnect() {
    if (!conversation_)
        return;
    live_conversations.erase(conversation_);
    DdeDisconnect(conversation_);
    conversation_ = nullptr;
}

std::optional<DWORD> DdeConversation::begin(std::wstring_view item, UINT format, UINT type) {
    if (!conversation_)
        return std::nullopt;
    const StringHandle item_handle(instance_, item);
    DWORD transaction = 0;
    if (!DdeClientTransaction(nullptr, 0, conversation_, item_handle.get(), format, type,
                              TIMEOUT_ASYNC, &transaction))
        return std::nullopt;
    pending_[transaction] = type;
    return transaction;
}

DdeReply DdeConversation::transact(std::wstring_view item, UINT format, UINT type, Millis bound) {
    DdeReply reply;
    reply.format = format;
    const auto transaction = begin(item, format, type);
    if (!transaction) {
        reply.error = conversation_ ? DdeGetLastError(instance_) : DMLERR_NO_CONV_ESTABLISHED;
        return reply;
    }
    if (auto answer = wait_for_completion(*transaction, bound))
        return *answer;
    abandon(*transaction);
    pending_.erase(*transaction);
    reply.status = DdeReply::Status::timed_out;
    reply.error = type == XTYP_REQUEST    ? DMLERR_DATAACKTIMEOUT
                  : type == XTYP_ADVSTART ? DMLERR_ADVACKTIMEOUT
                                          : DMLERR_UNADVACKTIMEOUT;
    return reply;
}

DdeReply DdeConversation::transact_sync(std::wstring_view item, UINT format, UINT type,
                                        const void* data, DWORD size, Millis bound) {
    DdeReply reply;
    reply.format = format;
    if (!conversation_) {
        reply.error = DMLERR_NO_CONV_ESTABLISHED;
        return reply;
    }
    const StringHandle item_handle(instance_, item);
    DWORD flags = 0;
    HDDEDATA answer =
        DdeClientTransaction(static_cast<LPBYTE>(const_cast<void*>(data)), size, conversation_,
                             item_handle.get(), format, type, milliseconds(bound), &flags);
    reply.error = DdeGetLastError(instance_);
    // Wine returns a true value for a refused poke too; the server's answer is in the flags.
    if (answer && (flags & DDE_FACK)) {
        reply.status = DdeReply::Status::acknowledged;
        reply.error = DMLERR_NO_ERROR;
    } else if (answer || reply.error == DMLERR_NOTPROCESSED) {
        reply.status = DdeReply::Status::no_data;
        reply.error = DMLERR_NOTPROCESSED;
    } else if (is_timeout(reply.error)) {
        reply.status = DdeReply::Status::timed_out;
    } else {
        reply.status = DdeReply::Status::failed;
    }
    return reply;
}

DdeReply DdeConversation::request(std::wstring_view item, UINT format, Millis bound) {
    return transact(item, format, XTYP_REQUEST, bound);
}

std::optional<DWORD> DdeConversation::request_async(std::wstring_view item, UINT format) {
    return begin(item, format, XTYP_REQUEST);
}

void DdeConversation::abandon(DWORD transaction) {
    DdeAbandonTransaction(instance_, conversation_, transaction);
    // Wine hands out the identifier in the high word but looks for it in the low one.
    if (LOWORD(transaction) == 0 && HIWORD(transaction) != 0)
        DdeAbandonTransaction(instance_, conversation_, HIWORD(transaction));
}

std::optional<DdeReply> DdeConversation::completion(DWORD transaction) {
    pump_messages(Millis(0));
    const auto found = completions_.find(transaction);
    if (found == completions_.end())
        return std::nullopt;
    DdeReply reply = std::move(found->second);
    completions_.erase(found);
    // Wine keeps a completed asynchronous transaction at the head of the conversation's queue,
    // where it takes every later answer for its own; abandoning it removes it. Windows has
    // removed it already and ignores this.
    abandon(transaction);
    return reply;
}

std::optional<DdeReply> DdeConversation::wait_for_completion(DWORD transaction, Millis bound) {
    pump_until([&] { return completions_.count(transaction) > 0; }, bound);
    return completion(transaction);
}

DdeReply DdeConversation::start_advise(std::wstring_view item, UINT format, Millis bound) {
    return transact(item, link_format(format), XTYP_ADVSTART, bound);
}

DdeReply DdeConversation::stop_advise(std::wstring_view item, UINT format, Millis bound) {
    return transact(item, link_format(format), XTYP_ADVSTOP, bound);
}

std::vector<DdeValue> DdeConversation::values(std::wstring_view item) {
    const auto found = values_.find(folded(item));
    return found == values_.end() ? std::vector<DdeValue>() : found->second;
}

std::map<std::wstring, std::vector<DdeValue>> DdeConversation::take_values() {
    return std::exchange(values_, {});
}

AssertionResult DdeConversation::wait_for_values(std::wstring_view item, size_t count,
                                                 Millis bound) {
    const std::wstring key = folded(item);
    if (pump_until([&] { return values_[key].size() >= count; }, bound))
        return AssertionSuccess();
    return AssertionFailure() << values_[key].size() << " of " << count << " values of \""
                              << narrow(item) << "\" within " << describe(bound)
                              << (ended_by_server_ ? "; the server ended the conversation" : "");
}

DdeReply DdeConversation::poke(std::wstring_view item, const std::vector<uint8_t>& bytes,
                               UINT format, Millis bound) {
    return transact_sync(item, format, XTYP_POKE, bytes.data(), static_cast<DWORD>(bytes.size()),
                         bound);
}

DdeReply DdeConversation::execute(std::wstring_view command, Millis bound) {
    const std::wstring text(command);
    return transact_sync({}, 0, XTYP_EXECUTE, text.c_str(),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), bound);
}

} // namespace brixtel::e2e
