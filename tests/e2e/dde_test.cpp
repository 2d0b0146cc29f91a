// The DDE server as a spreadsheet uses it, against the Zandor simulator: connecting, hot links
// that make the program poll a point with Monitoring off and deliver each value once, in text
// and as an XlTable, requests held back until the first answer, the end of the polling when
// the last link stops, and clients that send what the server cannot use.
#include "tests/e2e/driver/dde_client.h"
#include "tests/e2e/driver/draw_recorder.h"
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;
using Status = DdeReply::Status;

constexpr int kStatusConnection = 5;
// How long a test watches for something that must not happen.
constexpr Millis kQuietSpan = 1500ms;

// The simulator's plant: 1,2,5,100 answers 12.5 degC, 101 a moving value, 103 a string,
// 106 -3.75.
const std::wstring kConstant = L"Module 1,2,5 Block 100";
const std::wstring kMoving = L"Module 1,2,5 Block 101";
const std::wstring kString = L"Module 1,2,5 Block 103";
const std::wstring kNegative = L"Module 1,2,5 Block 106";

class DdeTest : public BrixtelTest {
  protected:
    // One loop to the simulator, no points listed, Monitoring off.
    void start() {
        ASSERT_TRUE(zandor.start_on_free_port(&port));
        ASSERT_TRUE(store_loop_entries({L"1.2 " + std::to_wstring(port) + L" 127.0.0.1"}));
        ASSERT_TRUE(store_update_interval(250));
        ASSERT_TRUE(brixtel.launch());
        ASSERT_TRUE(brixtel.wait_for_status_text(kStatusConnection,
                                                 L"Loop: 1 PCU: 2 IP: 127.0.0.1 remote port: " +
                                                     std::to_wstring(port) + L" connstat=OK"));
        ASSERT_TRUE(client.ready());
    }
    std::unique_ptr<DdeConversation> connect(std::wstring_view topic) {
        std::unique_ptr<DdeConversation> conversation;
        EXPECT_TRUE(client.connect(L"Brixtel", topic, &conversation));
        return conversation;
    }
    // Read requests the simulator got for an address as a request writes it ("1 02 05 101").
    std::size_t reads_of(const std::string& address) {
        std::size_t count = 0;
        for (const ZandorRequest& request : zandor.requests())
            count += request.text.find(" read output " + address) != std::string::npos ? 1 : 0;
        return count;
    }
    AssertionResult wait_for_reads(const std::string& address, std::size_t count) {
        std::size_t seen = 0;
        // The client's messages are pumped meanwhile: the program's advise posts reach it.
        if (pump_until([&] { return (seen = reads_of(address)) >= count; }, kWaitBound))
            return AssertionSuccess();
        return AssertionFailure() << seen << " read requests for " << address << ", wanted "
                                  << count;
    }
    // The requests for an address have stopped: none more over a quiet span.
    AssertionResult reads_stop(const std::string& address) {
        std::size_t before = reads_of(address);
        for (int round = 0; round < 3; ++round) {
            pump_until([] { return false; }, kQuietSpan);
            const std::size_t now = reads_of(address);
            if (now == before)
                return AssertionSuccess();
            before = now;
        }
        return AssertionFailure() << "read requests for " << address << " go on";
    }

    ZandorSim zandor;
    int port = 0;
    DdeClient client;
};

TEST_F(DdeTest, ConnectsToTheServiceInAnyCaseAndRefusesOtherTopics) {
    start();
    ASSERT_FALSE(HasFatalFailure());
    std::unique_ptr<DdeConversation> output;
    EXPECT_TRUE(client.connect(L"brixtel", L"Output", &output));
    DdeClient second;
    std::unique_ptr<DdeConversation> request_topic;
    EXPECT_TRUE(second.connect(L"BRIXTEL", L"OutputA", &request_topic));
    std::unique_ptr<DdeConversation> refused;
    EXPECT_FALSE(client.connect(L"Brixtel", L"Input", &refused));
    EXPECT_FALSE(client.connect(L"Zandor", L"Output", &refused));
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
}

// The topic's letter case can be told only for a name nobody has used yet while the program
// runs: Wine's DDE names keep the spelling they were first made with.
TEST_F(DdeTest, TheRequestTopicIsTakenOnlyAsWritten) {
    start();
    ASSERT_FALSE(HasFatalFailure());
    std::unique_ptr<DdeConversation> refused;
    EXPECT_FALSE(client.connect(L"Brixtel", L"outputa", &refused));
}

TEST_F(DdeTest, AHotLinkPollsItsPointWithMonitoringOffAndDeliversEachValueOnce) {
    start();
    ASSERT_FALSE(HasFatalFailure());
    auto output = connect(L"Output");
    ASSERT_TRUE(output);
    ASSERT_EQ(output->start_advise(kMoving, CF_TEXT).status, Status::acknowledged);
    ASSERT_TRUE(output->wait_for_values(kMoving, 4));
    const std::size_t reads = reads_of("1 02 05 101");
    const std::vector<DdeValue> values = output->values(kMoving);
    // One value per answer at most: none is delivered twice.
    EXPECT_GE(reads + 1, values.size());
    for (const DdeValue& value : values) {
        ASSERT_TRUE(same_format(value.format, CF_TEXT));
        const auto text = decode_text(value.bytes);
        ASSERT_TRUE(text);
        EXPECT_NE(text->find(L'.'), std::wstring::npos) << narrow(*text);
    }

    // The same point for another client, as a spreadsheet asks for a number.
    DdeClient sheet;
    std::unique_ptr<DdeConversation> table;
    ASSERT_TRUE(sheet.connect(L"Brixtel", L"Output", &table));
    ASSERT_EQ(table->start_advise(kConstant, xltable_format()).status, Status::acknowledged);
    ASSERT_TRUE(table->wait_for_values(kConstant, 2));
    for (const DdeValue& value : table->values(kConstant)) {
        EXPECT_TRUE(same_format(value.format, xltable_format()));
        ASSERT_EQ(value.bytes.size(), 20u);
        EXPECT_EQ(decode_xltable(value.bytes), std::optional<double>(12.5));
    }

    // Polled, but never a column of the Export View.
    DrawRecorder recorder;
    ASSERT_TRUE(recorder.attach(brixtel.main_window()));
    Drawing shown;
    ASSERT_TRUE(recorder.repaint(&shown));
    EXPECT_FALSE(shown.find(L"1-2-5-101")) << shown.describe();
    EXPECT_FALSE(shown.find(L"Block")) << "no listed point, so no header";
    recorder.detach();
    table->disconnect();
    output->disconnect();
}

TEST_F(DdeTest, ARequestOnOutputAWaitsForTheFirstAnswerAndLeavesNoPoint) {
    start();
    ASSERT_FALSE(HasFatalFailure());
    auto request_topic = connect(L"OutputA");
    ASSERT_TRUE(request_topic);
    const auto transaction = request_topic->request_async(kNegative, CF_TEXT);
    ASSERT_TRUE(transaction);
    const auto reply = request_topic->wait_for_completion(*transaction);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->status, Status::data) << reply->describe();
    EXPECT_EQ(reply->text(), std::optional<std::wstring>(L"-3.75"));
    EXPECT_GE(reads_of("1 02 05 106"), 1u) << "answered from a poll of the point";
    EXPECT_TRUE(reads_stop("1 02 05 106")) << "the point went with the answer";
}

TEST_F(DdeTest, ARequestOnOutputReturnsNoData) {
    start();
    ASSERT_FALSE(HasFatalFailure());
    auto output = connect(L"Output");
    ASSERT_TRUE(output);
    EXPECT_EQ(output->request(kConstant, CF_TEXT).status, Status::no_data);
    EXPECT_TRUE(reads_stop("1 02 05 100"));
    EXPECT_EQ(reads_of("1 02 05 100"), 0u);
}

TEST_F(DdeTest, StoppingTheLastLinkStopsThePolling) {
    start();
    ASSERT_FALSE(HasFatalFailure());
    auto output = connect(L"Output");
    ASSERT_TRUE(output);
    ASSERT_EQ(output->start_advise(kString, CF_TEXT).status, Status::acknowledged);
    ASSERT_TRUE(output->wait_for_values(kString, 1));
    EXPECT_EQ(decode_text(output->values(kString).front().bytes),
              std::optional<std::wstring>(L"Pump 3 running normally"));
    EXPECT_EQ(output->stop_advise(kString, CF_TEXT).status, Status::acknowledged);
    EXPECT_TRUE(reads_stop("1 02 05 103"));
}

TEST_F(DdeTest, ItemsThatNameNoPointAreNeverServed) {
    start();
    ASSERT_FALSE(HasFatalFailure());
    auto output = connect(L"Output");
    ASSERT_TRUE(output);
    const std::wstring refused_item = L"Module 1,2,5 SPEC Block 102";
    EXPECT_EQ(output->start_advise(refused_item, CF_TEXT).status, Status::acknowledged);
    EXPECT_EQ(output->start_advise(L"no point at all", CF_TEXT).status, Status::acknowledged);
    const std::wstring long_item = L"Module 1,2,5 Block 104" + std::wstring(233, L'x');
    EXPECT_EQ(output->start_advise(long_item, CF_TEXT).status, Status::acknowledged);
    pump_until([] { return false; }, kQuietSpan);
    EXPECT_EQ(reads_of("1 02 05 102"), 0u);
    EXPECT_TRUE(output->values(refused_item).empty());
    EXPECT_TRUE(brixtel.running());
}

TEST_F(DdeTest, PokesCommandsAndAClientGoneInTheMiddleOfARequestChangeNothing) {
    start();
    ASSERT_FALSE(HasFatalFailure());
    {
        auto output = connect(L"Output");
        ASSERT_TRUE(output);
        EXPECT_NE(output->poke(kConstant, {'1', 0}).status, Status::acknowledged);
        EXPECT_NE(output->execute(L"[stop]").status, Status::acknowledged);
    }
    // The simulator never answers this block: the request stays held back until the client
    // goes, and its point goes with the client.
    ASSERT_TRUE(zandor.control("set 1 2 5 105 silent"));
    {
        DdeClient leaving;
        std::unique_ptr<DdeConversation> request_topic;
        ASSERT_TRUE(leaving.connect(L"Brixtel", L"OutputA", &request_topic));
        ASSERT_TRUE(request_topic->request_async(L"Module 1,2,5 Block 105", CF_TEXT));
        ASSERT_TRUE(wait_for_reads("1 02 05 105", 2));
        request_topic->disconnect();
    }
    EXPECT_TRUE(reads_stop("1 02 05 105")) << "a point was left behind for nobody";
    EXPECT_TRUE(brixtel.running());
    EXPECT_TRUE(brixtel.open_dialogs().empty()) << brixtel.describe_windows();
}

} // namespace
} // namespace brixtel::e2e
