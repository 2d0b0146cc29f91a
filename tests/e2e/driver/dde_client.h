// A DDE client as a spreadsheet is one: connects to a service and topic, requests items,
// holds hot links and pokes or executes. DDEML delivers everything through the message loop of
// the thread that made the client, so each call that waits pumps that thread's messages, and
// every wait is bounded. A thread that holds a client must keep pumping while it waits for
// anything else: connecting sends to every top-level window, the client's own included.
//
// Requests and link starts and stops are sent asynchronously and waited for here: under Wine a
// synchronous transaction ends as "not processed" as soon as a hot link's value arrives during
// it, although the server goes on to answer it.
#pragma once

#include "tests/e2e/driver/wait.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <ddeml.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

// Bound of one transaction unless the call names its own.
inline constexpr Millis kTransactionBound = 10s;

// The "XlTable" clipboard format spreadsheets exchange values in.
UINT xltable_format();
// Formats compared as a server sees them: some DDE libraries hand a registered format over
// sign-extended, so only the low 16 bits count.
bool same_format(UINT a, UINT b);

// The double of a one-cell XlTable holding one float (the 20 bytes a DDE server sends for a
// number), or nothing when the bytes are anything else.
std::optional<double> decode_xltable(const std::vector<uint8_t>& bytes);
// The text of CF_TEXT data: OEM code-page bytes ending with their terminating zero, or nothing
// when the zero is missing.
std::optional<std::wstring> decode_text(const std::vector<uint8_t>& bytes);

// What a transaction came back with.
struct DdeReply {
    enum class Status {
        data,         // a request answered with data
        acknowledged, // a poke, execute or link start or stop the server accepted
        no_data,      // the server answered without data, or refused (DMLERR_NOTPROCESSED)
        timed_out,    // no answer within the bound
        failed,       // anything else; `error` says what
    };
    Status status = Status::failed;
    UINT format = 0;
    std::vector<uint8_t> bytes;
    UINT error = DMLERR_NO_ERROR; // DdeGetLastError after the transaction

    std::optional<std::wstring> text() const { return decode_text(bytes); }
    std::optional<double> number() const { return decode_xltable(bytes); }
    std::string describe() const;
};

// One value a hot link delivered.
struct DdeValue {
    UINT format = 0;
    std::vector<uint8_t> bytes;
};

class DdeConversation;

// One DDEML client instance (APPCMD_CLIENTONLY). Use it, and its conversations, on the thread
// that made it.
class DdeClient {
  public:
    DdeClient();
    ~DdeClient();
    DdeClient(const DdeClient&) = delete;
    DdeClient& operator=(const DdeClient&) = delete;

    bool ready() const { return instance_ != 0; }
    DWORD instance() const { return instance_; }

    // DdeConnect; fails when no server accepts the service and topic. Under Wine one client
    // holds one conversation per service and topic: use another client for a second.
    ::testing::AssertionResult connect(std::wstring_view service, std::wstring_view topic,
                                       std::unique_ptr<DdeConversation>* conversation);

  private:
    DWORD instance_ = 0;
};

class DdeConversation {
  public:
    ~DdeConversation();
    DdeConversation(const DdeConversation&) = delete;
    DdeConversation& operator=(const DdeConversation&) = delete;

    // False after disconnect() or once the server ended the conversation.
    bool connected() const { return conversation_ != nullptr && !ended_by_server_; }
    bool ended_by_server() const { return ended_by_server_; }
    void disconnect();

    // XTYP_REQUEST, waiting at most `bound` for the answer; a request not answered by then is
    // abandoned.
    DdeReply request(std::wstring_view item, UINT format, Millis bound = kTransactionBound);
    // The same without waiting (TIMEOUT_ASYNC): the transaction's identifier, or nothing when
    // DDEML refused to start it. Its answer is kept until taken with completion(). Under Wine
    // a conversation matches answers to its oldest transaction only, so send nothing else on
    // it until the answer is taken (use another client's conversation meanwhile); and a server
    // that holds a request back holds every later transaction of that conversation too.
    std::optional<DWORD> request_async(std::wstring_view item, UINT format);
    // The answer of an asynchronous transaction if it has come; pumps pending messages first.
    std::optional<DdeReply> completion(DWORD transaction);
    // Pumps messages until the answer comes, at most `bound`.
    std::optional<DdeReply> wait_for_completion(DWORD transaction, Millis bound = kWaitBound);

    // Hot links (XTYP_ADVSTART / XTYP_ADVSTOP); values arrive while messages are pumped, their
    // format as DDEML reports it (compare with same_format). Under Wine the stop of a link in a
    // registered format (XlTable) never reaches the server and times out here.
    DdeReply start_advise(std::wstring_view item, UINT format, Millis bound = kTransactionBound);
    DdeReply stop_advise(std::wstring_view item, UINT format, Millis bound = kTransactionBound);

    // Values delivered for `item` (compared without regard to case), oldest first.
    std::vector<DdeValue> values(std::wstring_view item);
    // Hands over and forgets the values of every item; the key is the item in upper case.
    std::map<std::wstring, std::vector<DdeValue>> take_values();
    // Pumps messages until `item` has at least `count` values, at most `bound`.
    ::testing::AssertionResult wait_for_values(std::wstring_view item, size_t count,
                                               Millis bound = kWaitBound);

    // Bad-input transactions: the outcome is reported, whatever the server does. These wait
    // synchronously, for the acknowledgement flags that only such a wait returns under Wine, so
    // send them while no hot link delivers values.
    DdeReply poke(std::wstring_view item, const std::vector<uint8_t>& bytes, UINT format = CF_TEXT,
                  Millis bound = kTransactionBound);
    DdeReply execute(std::wstring_view command, Millis bound = kTransactionBound);

  private:
    friend class DdeClient;
    friend HDDEDATA CALLBACK dde_client_callback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR,
                                                 ULONG_PTR);
    DdeConversation(DWORD instance, HCONV conversation);

    DdeReply transact(std::wstring_view item, UINT format, UINT type, Millis bound);
    DdeReply transact_sync(std::wstring_view item, UINT format, UINT type, const void* data,
                           DWORD size, Millis bound);
    std::optional<DWORD> begin(std::wstring_view item, UINT format, UINT type);
    void abandon(DWORD transaction);

    DWORD instance_ = 0;
    HCONV conversation_ = nullptr;
    bool ended_by_server_ = false;
    std::map<std::wstring, std::vector<DdeValue>> values_;
    std::map<DWORD, UINT> pending_; // asynchronous transactions under way, by type
    std::map<DWORD, DdeReply> completions_;
};

// Dispatches this thread's pending messages, then waits for more until `condition` holds or
// `bound` (scaled) has passed; DDEML callbacks run inside it.
template <class Condition> bool pump_until(Condition&& condition, Millis bound);
void pump_messages(Millis at_most);

template <class Condition> bool pump_until(Condition&& condition, Millis bound) {
    const auto deadline = std::chrono::steady_clock::now() + scaled(bound);
    while (true) {
        pump_messages(Millis(0));
        if (condition())
            return true;
        const auto left =
            std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pump_messages(left < Millis(25) ? left : Millis(25));
    }
}

} // namespace brixtel::e2e
