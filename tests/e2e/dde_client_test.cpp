// The DDE client proves itself against a server with known answers (dde_fixture.exe) in another
// process: connections, requests in both data formats, a request held back and answered later,
// hot links, pokes and commands, and the link-churning tool of the reliability run.
#include "tests/e2e/dde_fixture/dde_fixture.h"
#include "tests/e2e/driver/brixtel_process.h"
#include "tests/e2e/driver/dde_client.h"
#include "tests/e2e/driver/window_query.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace brixtel::e2e {
namespace {

namespace fixture = dde_fixture;
using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;
using Status = DdeReply::Status;

// How long a test watches for something that must not happen.
constexpr Millis kQuietSpan = 1500ms;

std::string whole_file(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A program beside the suite, its output in a file of the temporary folder.
class SuiteProgram {
  public:
    ~SuiteProgram() { end(); }

    AssertionResult start(std::wstring_view name, std::wstring_view arguments) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        static int started = 0;
        output_path_ = std::wstring(temp) + L"dde-client-test-" +
                       std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++started) +
                       L".out";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE log = CreateFileW(output_path_.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        const std::wstring program = suite_file(name);
        std::wstring command = L"\"" + program + L"\" " + std::wstring(arguments);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = INVALID_HANDLE_VALUE;
        startup.hStdOutput = log;
        startup.hStdError = log;
        PROCESS_INFORMATION info{};
        const BOOL created = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE,
                                            CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
        const DWORD error = GetLastError();
        if (log != INVALID_HANDLE_VALUE)
            CloseHandle(log);
        if (!created)
            return AssertionFailure() << "cannot start " << narrow(program) << ", error " << error;
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
        return AssertionSuccess();
    }

    DWORD id() const { return id_; }
    bool running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    std::string output() const { return whole_file(output_path_); }

    // Pumps meanwhile: a program that connects sends to the suite's DDE windows too.
    AssertionResult wait_for_exit(DWORD* code, Millis bound = kExitBound) {
        if (!pump_until([&] { return !running(); }, bound))
            return AssertionFailure()
                   << "still running after " << describe(bound) << "; its output:\n"
                   << output();
        GetExitCodeProcess(process_, code);
        return AssertionSuccess();
    }

    void end() {
        if (running()) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, static_cast<DWORD>(scaled(kExitBound).count()));
        }
        if (process_)
            CloseHandle(process_);
        process_ = nullptr;
    }

  private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    std::wstring output_path_;
};

class DdeServerFixture {
  public:
    ~DdeServerFixture() {
        if (window_ && PostMessageW(window_, WM_CLOSE, 0, 0)) {
            DWORD code = 0;
            program_.wait_for_exit(&code);
        }
    }

    AssertionResult start(std::wstring_view options = {}) {
        if (auto started = program_.start(L"dde_fixture.exe", options); !started)
            return started;
        poll_until(
            [&] {
                for (HWND window : top_windows_of(program_.id()))
                    if (window_class(window) == fixture::kWindowClass)
                        window_ = window;
                return window_ != nullptr || !program_.running();
            },
            kStartBound);
        if (!window_)
            return AssertionFailure()
                   << "the DDE fixture did not register within " << describe(kStartBound);
        return AssertionSuccess();
    }

    void advance(int times = 1) const {
        for (int i = 0; i < times; ++i)
            PostMessageW(window_, fixture::kAdvance, 0, 0);
    }
    void release() const { PostMessageW(window_, fixture::kRelease, 0, 0); }

  private:
    SuiteProgram program_;
    HWND window_ = nullptr;
};

std::wstring text_or_none(const DdeReply& reply) {
    if (auto text = reply.text())
        return *text;
    const std::string what = reply.describe();
    return L"<not text: " + std::wstring(what.begin(), what.end()) + L">";
}

class DdeClientTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(client.ready()) << "DdeInitializeW failed"; }

    std::unique_ptr<DdeConversation> connected() {
        std::unique_ptr<DdeConversation> conversation;
        EXPECT_TRUE(client.connect(fixture::kService, fixture::kTopic, &conversation));
        return conversation;
    }

    // Declared first, so it closes after the client's conversations have ended.
    DdeServerFixture server;
    DdeClient client;
};

TEST_F(DdeClientTest, ConnectsOnlyWhereAServerAcceptsServiceAndTopic) {
    ASSERT_TRUE(server.start());
    const struct {
        const wchar_t* service;
        const wchar_t* topic;
        bool accepted;
    } cases[] = {
        {fixture::kService, fixture::kTopic, true},
        {L"FIXTURE", fixture::kTopic, true}, // services compare without regard to case
        {fixture::kService, L"Other", false},
        {L"NoSuchService", fixture::kTopic, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.service) + "|" + narrow(c.topic));
        std::unique_ptr<DdeConversation> conversation;
        const AssertionResult result = client.connect(c.service, c.topic, &conversation);
        EXPECT_EQ(static_cast<bool>(result), c.accepted) << result.message();
        EXPECT_EQ(conversation != nullptr, c.accepted);
        if (!c.accepted) {
            EXPECT_NE(std::string(result.message()).find("could not connect"), std::string::npos);
        }
    }
}

TEST_F(DdeClientTest, RequestsComeBackAsTheServerAnswersThem) {
    ASSERT_TRUE(server.start());
    auto conversation = connected();
    ASSERT_TRUE(conversation);
    const DdeReply greeting = conversation->request(fixture::kGreetingItem, CF_TEXT);
    ASSERT_EQ(greeting.status, Status::data) << greeting.describe();
    EXPECT_EQ(greeting.text().value_or(L"<none>"), fixture::kGreetingText);
    EXPECT_FALSE(greeting.number());

    const DdeReply table = conversation->request(fixture::kNumberItem, xltable_format());
    ASSERT_EQ(table.status, Status::data) << table.describe();
    EXPECT_EQ(table.bytes.size(), 20u);
    EXPECT_EQ(table.number().value_or(-1), fixture::kNumber);
    EXPECT_FALSE(table.text()) << "an XlTable read as text";

    const DdeReply number_text = conversation->request(fixture::kNumberItem, CF_TEXT);
    EXPECT_EQ(text_or_none(number_text), fixture::kNumberText);

    const DdeReply nothing = conversation->request(L"NoSuchItem", CF_TEXT);
    EXPECT_EQ(nothing.status, Status::no_data) << nothing.describe();
}

TEST_F(DdeClientTest, HeldBackRequestTimesOutOrIsAnsweredOnceReleased) {
    ASSERT_TRUE(server.start());
    // One client holds one conversation per service and topic under Wine.
    DdeClient other_client;
    std::unique_ptr<DdeConversation> waiting;
    ASSERT_TRUE(other_client.connect(fixture::kService, fixture::kTopic, &waiting));
    auto patient = connected();
    ASSERT_TRUE(patient);

    const DdeReply timed_out = waiting->request(fixture::kHeldItem, CF_TEXT, 500ms);
    EXPECT_EQ(timed_out.status, Status::timed_out) << timed_out.describe();

    const auto transaction = patient->request_async(fixture::kHeldItem, CF_TEXT);
    ASSERT_TRUE(transaction) << "DDEML refused the asynchronous request";
    EXPECT_FALSE(
        pump_until([&] { return patient->completion(*transaction).has_value(); }, kQuietSpan))
        << "answered while the server held it back";
    server.release();
    const auto answer = patient->wait_for_completion(*transaction);
    ASSERT_TRUE(answer) << "no answer after the release within " << describe(kWaitBound);
    EXPECT_EQ(answer->status, Status::data) << answer->describe();
    EXPECT_EQ(text_or_none(*answer), fixture::kReleasedText);
}

TEST_F(DdeClientTest, HotLinksDeliverEachValueUntilStopped) {
    ASSERT_TRUE(server.start());
    auto conversation = connected();
    ASSERT_TRUE(conversation);
    const DdeReply refused = conversation->start_advise(fixture::kRefusedItem, CF_TEXT);
    EXPECT_EQ(refused.status, Status::no_data) << refused.describe();

    // Text and XlTable links on two items of one conversation, each value kept apart.
    const DdeReply text_link = conversation->start_advise(L"Counter", CF_TEXT);
    const DdeReply table_link = conversation->start_advise(L"Table", xltable_format());
    ASSERT_EQ(text_link.status, Status::acknowledged) << text_link.describe();
    ASSERT_EQ(table_link.status, Status::acknowledged) << table_link.describe();
    server.advance(3);
    ASSERT_TRUE(conversation->wait_for_values(L"counter", 3));
    ASSERT_TRUE(conversation->wait_for_values(L"Table", 3));
    const auto texts = conversation->values(L"Counter");
    const auto tables = conversation->values(L"Table");
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i].format, static_cast<UINT>(CF_TEXT));
        EXPECT_EQ(decode_text(texts[i].bytes).value_or(L"<none>"), std::to_wstring(i + 1));
        EXPECT_TRUE(same_format(tables[i].format, xltable_format())) << tables[i].format;
        EXPECT_EQ(decode_xltable(tables[i].bytes).value_or(-1), static_cast<double>(i + 1));
    }

    const DdeReply stopped = conversation->stop_advise(L"Counter", CF_TEXT);
    EXPECT_EQ(stopped.status, Status::acknowledged) << stopped.describe();
    EXPECT_EQ(text_or_none(conversation->request(fixture::kLinksItem, CF_TEXT)), L"1")
        << "the server still counts the stopped link";
    server.advance();
    ASSERT_TRUE(conversation->wait_for_values(L"Table", 4));
    EXPECT_EQ(conversation->values(L"Counter").size(), 3u) << "a value after the link stopped";
}

TEST_F(DdeClientTest, PokesAndCommandsReportWhatTheServerSaid) {
    ASSERT_TRUE(server.start());
    auto conversation = connected();
    ASSERT_TRUE(conversation);
    const std::vector<uint8_t> text = {'4', '2', 0};
    const struct {
        const char* what;
        DdeReply reply;
        Status expected;
    } cases[] = {
        {"poke accepted", conversation->poke(fixture::kPokeItem, text), Status::acknowledged},
        {"poke refused", conversation->poke(L"Elsewhere", text), Status::no_data},
        {"command accepted", conversation->execute(fixture::kAcceptedCommand),
         Status::acknowledged},
        {"command refused", conversation->execute(L"[format c:]"), Status::no_data},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.reply.status, c.expected) << c.what << ": " << c.reply.describe();
}

TEST_F(DdeClientTest, ChurningToolStopsEveryLinkItStarted) {
    ASSERT_TRUE(server.start(L"--tick 50"));
    SuiteProgram tool;
    ASSERT_TRUE(tool.start(L"dde_client_tool.exe", L"--service Fixture --topic T --points 4 "
                                                   L"--links 3 --seconds 3 --seed 7 --mean-ms 40"));
    DWORD code = 99;
    ASSERT_TRUE(tool.wait_for_exit(&code, kStartBound));
    const std::string output = tool.output();
    EXPECT_EQ(code, 0u) << output;
    const size_t summary = output.find("SUMMARY ");
    ASSERT_NE(summary, std::string::npos) << output;
    std::istringstream fields(output.substr(summary + 8));
    std::map<std::string, std::string> figures;
    for (std::string field; fields >> field;)
        if (const size_t equals = field.find('='); equals != std::string::npos)
            figures[field.substr(0, equals)] = field.substr(equals + 1);
    EXPECT_GE(std::stol(figures["starts"]), 3) << output;
    EXPECT_EQ(figures["stops"], figures["starts"]) << output;
    EXPECT_GT(std::stol(figures["values"]), 0) << output;
    EXPECT_EQ(figures["undecodable"], "0") << output;
    EXPECT_EQ(figures["links_at_end"], "0") << output;

    auto conversation = connected();
    ASSERT_TRUE(conversation);
    EXPECT_EQ(text_or_none(conversation->request(fixture::kLinksItem, CF_TEXT)), L"0")
        << "links the tool left open at the server";
}

TEST_F(DdeClientTest, ChurningToolFailsClearlyWithoutAServer) {
    SuiteProgram tool;
    ASSERT_TRUE(tool.start(L"dde_client_tool.exe", L"--service NoSuchService --connect-seconds 1"));
    DWORD code = 99;
    ASSERT_TRUE(tool.wait_for_exit(&code, kStartBound));
    EXPECT_EQ(code, 1u);
    EXPECT_NE(tool.output().find("could not connect to NoSuchService|Output"), std::string::npos)
        << tool.output();
}

TEST(DdeClientDecoding, AcceptsOnlyWellFormedValues) {
    // 12.5 as a one-cell table of one float.
    const std::vector<uint8_t> table = {0x10, 0, 4, 0, 1, 0, 1, 0, 1,    0,
                                        8,    0, 0, 0, 0, 0, 0, 0, 0x29, 0x40};
    auto with = [&](size_t at, uint8_t byte) {
        auto changed = table;
        changed[at] = byte;
        return changed;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        std::optional<double> number;
    } tables[] = {
        {"one float", table, 12.5},
        {"not a table", with(0, 0x11), std::nullopt},
        {"two rows", with(4, 2), std::nullopt},
        {"a string cell", with(8, 2), std::nullopt},
        {"cut short", std::vector<uint8_t>(table.begin(), table.end() - 1), std::nullopt},
    };
    for (const auto& c : tables)
        EXPECT_EQ(decode_xltable(c.bytes), c.number) << c.what;

    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        std::optional<std::wstring> text;
    } texts[] = {
        {"OEM degree sign", {'5', 0xF8, 'C', 0}, L"5\u00B0C"},
        {"empty", {0}, L""},
        {"no terminating zero", {'4', '2'}, std::nullopt},
        {"nothing", {}, std::nullopt},
    };
    for (const auto& c : texts)
        EXPECT_EQ(decode_text(c.bytes), c.text) << c.what;
}

} // namespace
} // namespace brixtel::e2e
