// The DDE server's transactions over a recording DDE library that keeps string handles the
// way DDEML does, with counted references: one handle per spelling of a name, and handles
// that compare equal whatever their letter case.
#include "dde/dde_formats.h"
#include "dde/dde_server.h"

#include <gtest/gtest.h>

#include <bit>
#include <map>
#include <string>
#include <vector>

namespace brixtel {
namespace {

constexpr std::uint32_t kXlTable = 0xC02A;
constexpr DdeHandle kConversation = 0x77;

std::wstring folded(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = static_cast<wchar_t>(std::towupper(c));
    return out;
}

class FakeDdeLibrary : public DdeLibrary {
  public:
    struct Data {
        std::vector<std::uint8_t> bytes;
        DdeHandle item;
        std::uint32_t format;
    };

    DdeHandle make_string(std::wstring_view text) override {
        const std::wstring key(text);
        auto [it, added] = by_name_.try_emplace(key, next_handle_);
        if (added) {
            texts_[next_handle_] = std::wstring(text);
            ++next_handle_;
        }
        ++references_[it->second];
        return it->second;
    }
    void keep_string(DdeHandle string) override { ++references_[string]; }
    void free_string(DdeHandle string) override {
        if (--references_[string] < 0)
            ADD_FAILURE() << "string handle " << string << " freed once too often";
    }
    std::wstring query_string(DdeHandle string) override {
        const auto it = texts_.find(string);
        return it == texts_.end() ? std::wstring() : it->second.substr(0, 255);
    }
    bool same_string(DdeHandle a, DdeHandle b) override {
        return folded(query_string(a)) == folded(query_string(b));
    }
    DdeHandle make_data(std::span<const std::uint8_t> bytes, DdeHandle item,
                        std::uint32_t format) override {
        data.push_back({{bytes.begin(), bytes.end()}, item, format});
        return 1000 + data.size();
    }
    void post_advise(DdeHandle topic, DdeHandle item) override {
        advised.emplace_back(topic, item);
    }
    void enable_one(DdeHandle conversation) override { enabled.push_back(conversation); }
    void name_service(DdeHandle service, bool register_it) override {
        services.emplace_back(query_string(service), register_it);
    }

    // A handle as a client's call brings it: the library holds it for the call.
    DdeHandle incoming(std::wstring_view text) {
        const DdeHandle handle = make_string(text);
        --references_[handle];
        return handle;
    }
    int references(std::wstring_view text) {
        const auto it = by_name_.find(std::wstring(text));
        return it == by_name_.end() ? 0 : references_[it->second];
    }
    int all_references() const {
        int total = 0;
        for (const auto& [handle, count] : references_)
            total += count;
        return total;
    }

    std::vector<Data> data;
    std::vector<std::pair<DdeHandle, DdeHandle>> advised;
    std::vector<DdeHandle> enabled;
    std::vector<std::pair<std::wstring, bool>> services;

  private:
    std::map<std::wstring, DdeHandle> by_name_;
    std::map<DdeHandle, std::wstring> texts_;
    std::map<DdeHandle, int> references_;
    DdeHandle next_handle_ = 1;
};

class DdeServerTest : public ::testing::Test {
  protected:
    DdeServerTest() { server.set_xltable_format(kXlTable); }

    DdeAnswer call(DdeTransaction type, std::wstring_view topic, std::wstring_view second,
                   std::uint32_t format = kTextFormat) {
        return server.handle(
            {type, format, kConversation, library.incoming(topic), library.incoming(second)});
    }
    DdeAnswer advise(std::wstring_view item, std::wstring_view topic = kAdviseTopic) {
        return call(DdeTransaction::AdviseStart, topic, item);
    }
    // A value arrives for every point, as the poll cycle hands it on.
    void answer_all(std::wstring_view value) {
        for (MonitoredPoint& point : points) {
            point.value = std::wstring(value);
            server.value_arrived(point);
        }
    }

    FakeDdeLibrary library;
    PointTable points{[this](DdeHandle h) { library.free_string(h); }};
    std::vector<bool> demand;
    std::vector<std::wstring> tags_looked_up;
    DdeServer server{library, points, [this](bool on) { demand.push_back(on); },
                     [this](std::wstring_view tag) -> std::optional<BlockAddress> {
                         tags_looked_up.emplace_back(tag);
                         if (folded(tag) == L"FIC-101")
                             return BlockAddress{1, 2, 5, 101};
                         return std::nullopt;
                     }};
};

TEST_F(DdeServerTest, ConnectionsNeedTheServiceInAnyCaseAndATopicAsWritten) {
    const struct {
        const wchar_t* service;
        const wchar_t* topic;
        bool accepted;
    } cases[] = {
        {L"Brixtel", L"Output", true},   {L"brixtel", L"Output", true},
        {L"BRIXTEL", L"OutputA", true},  {L"Brixtel", L"output", false},
        {L"Brixtel", L"OUTPUTA", false}, {L"Brixtel", L"Input", false},
        {L"Brixtelx", L"Output", false}, {L"", L"Output", false},
    };
    for (const auto& c : cases) {
        const DdeAnswer answer = call(DdeTransaction::Connect, c.topic, c.service);
        EXPECT_EQ(answer, DdeAnswer::number(c.accepted ? 1 : 0))
            << std::string(c.service, c.service + std::wcslen(c.service));
    }
    EXPECT_EQ(demand, (std::vector<bool>{true, true, true}));
}

TEST_F(DdeServerTest, AnAdviseLinkIsADdeOnlyPointThatGetsEachValueOnce) {
    EXPECT_EQ(advise(L"Module 1,2,3 Block 100"), DdeAnswer::number(1));
    ASSERT_EQ(points.size(), 1u);
    const MonitoredPoint& point = *points.begin();
    EXPECT_EQ(point.address, (BlockAddress{1, 2, 3, 100}));
    EXPECT_TRUE(point.dde_only);
    EXPECT_FALSE(point.dde.request_waiting);
    EXPECT_EQ(point.dde.conversation, kConversation);
    EXPECT_EQ(library.references(L"Module 1,2,3 Block 100"), 1) << "the point's own reference";

    answer_all(L"12.5");
    ASSERT_EQ(library.advised.size(), 1u);
    EXPECT_EQ(library.advised[0], std::make_pair(point.dde.topic, point.dde.item));
    const DdeAnswer first =
        call(DdeTransaction::AdviseRequest, kAdviseTopic, L"module 1,2,3 block 100");
    ASSERT_EQ(first.kind, DdeAnswer::Kind::Data);
    EXPECT_NE(first.value, 0u);
    ASSERT_EQ(library.data.size(), 1u);
    EXPECT_EQ(library.data[0].bytes, (std::vector<std::uint8_t>{'1', '2', '.', '5', 0}));
    EXPECT_EQ(library.data[0].format, kTextFormat);
    EXPECT_EQ(call(DdeTransaction::AdviseRequest, kAdviseTopic, L"Module 1,2,3 Block 100"),
              DdeAnswer::data(0))
        << "the same value is not delivered twice";
}

TEST_F(DdeServerTest, XlTableHoldsTheValueAsADouble) {
    const struct {
        const wchar_t* value;
        double number;
    } cases[] = {{L"12.5", 12.5},
                 {L"-3.75", -3.75},
                 {L"CANCEL_201", 0.0},
                 {L"Valve open", 0.0},
                 {L"42", 42.0}};
    advise(L"Module 1,2,3 Block 100");
    for (const auto& c : cases) {
        answer_all(c.value);
        // This DDE library hands the registered format over sign-extended.
        const DdeAnswer answer = call(DdeTransaction::AdviseRequest, kAdviseTopic,
                                      L"Module 1,2,3 Block 100", 0xFFFF0000u | kXlTable);
        ASSERT_NE(answer, DdeAnswer::data(0));
        const auto& bytes = library.data.back().bytes;
        ASSERT_EQ(bytes.size(), 20u);
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 12),
                  (std::vector<std::uint8_t>{0x10, 0, 4, 0, 1, 0, 1, 0, 1, 0, 8, 0}));
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= static_cast<std::uint64_t>(bytes[12 + i]) << (8 * i);
        EXPECT_EQ(std::bit_cast<double>(bits), c.number);
    }
}

TEST_F(DdeServerTest, ItemsThatNameNoBlock) {
    EXPECT_EQ(advise(L"StdDocumentName"), DdeAnswer::number(1));
    EXPECT_TRUE(tags_looked_up.empty()) << "the standard item is no tag";
    EXPECT_EQ(advise(L"Module 1,2,3 SPEC Block 100"), DdeAnswer::number(1));
    EXPECT_EQ(advise(L"nothing at all"), DdeAnswer::number(1));
    EXPECT_EQ(advise(std::wstring(255, L'x')), DdeAnswer::number(1));
    EXPECT_TRUE(points.empty()) << "links accepted, nothing polled";
    // A tag name takes its tag's address.
    EXPECT_EQ(advise(L"fic-101"), DdeAnswer::number(1));
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points.begin()->address, (BlockAddress{1, 2, 5, 101}));
    EXPECT_EQ(library.all_references(), 2) << "only the tag point's names are held";
}

TEST_F(DdeServerTest, ARequestOnOutputAsksEveryLinkForItsValue) {
    EXPECT_EQ(call(DdeTransaction::Request, kAdviseTopic, L"Module 1,2,3 Block 100"),
              DdeAnswer::data(0));
    EXPECT_EQ(library.advised, (std::vector<std::pair<DdeHandle, DdeHandle>>{{0, 0}}));
    EXPECT_EQ(call(DdeTransaction::Request, kAdviseTopic, kStandardDocumentItem),
              DdeAnswer::number(1));
    EXPECT_TRUE(points.empty());
}

TEST_F(DdeServerTest, ARequestOnOutputAIsHeldBackUntilTheValueThenAnsweredAndDropped) {
    const std::wstring item = L"Module 2,4,1 Block 1";
    EXPECT_EQ(call(DdeTransaction::Request, kRequestTopic, item), DdeAnswer::hold_back());
    ASSERT_EQ(points.size(), 1u);
    EXPECT_TRUE(points.begin()->dde.request_waiting);

    answer_all(L"71.15");
    EXPECT_EQ(library.enabled, std::vector<DdeHandle>{kConversation});
    EXPECT_TRUE(library.advised.empty());
    // The library delivers the same request again.
    const DdeAnswer answer = call(DdeTransaction::Request, kRequestTopic, item, kXlTable);
    ASSERT_EQ(answer.kind, DdeAnswer::Kind::Data);
    EXPECT_EQ(library.data.back().format, kTextFormat) << "text, whatever was asked for";
    EXPECT_EQ(library.data.back().bytes, (std::vector<std::uint8_t>{'7', '1', '.', '1', '5', 0}));
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(library.all_references(), 0);

    EXPECT_EQ(call(DdeTransaction::Request, kRequestTopic, L"Module 1,2 Block 100"),
              DdeAnswer::data(0));
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(library.all_references(), 0);
}

TEST_F(DdeServerTest, StoppingTheLastLinkEndsTheDemand) {
    call(DdeTransaction::Connect, kAdviseTopic, kDdeService);
    advise(L"Module 1,2,3 Block 100");
    advise(L"Module 1,2,3 Block 101");
    demand.clear();
    EXPECT_EQ(call(DdeTransaction::AdviseStop, kAdviseTopic, L"MODULE 1,2,3 BLOCK 100"),
              DdeAnswer::number(1));
    EXPECT_EQ(points.size(), 1u);
    EXPECT_TRUE(demand.empty());
    call(DdeTransaction::AdviseStop, kAdviseTopic, L"Module 1,2,3 Block 101");
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(demand, std::vector<bool>{false});
    EXPECT_EQ(call(DdeTransaction::AdviseStop, kAdviseTopic, L"Module 9,9,9 Block 9"),
              DdeAnswer::number(1));
    EXPECT_EQ(library.all_references(), 0) << "every handle made was let go";
}

TEST_F(DdeServerTest, AClientThatGoesAwayLeavesNoPointBehind) {
    call(DdeTransaction::Request, kRequestTopic, L"Module 2,4,1 Block 1");
    advise(L"Module 1,2,3 Block 100");
    points.create({1, 2, 5, 100}, DdeLink{}, false, true); // a listed point stays
    server.handle({DdeTransaction::Disconnect, 0, kConversation, 0, 0});
    ASSERT_EQ(points.size(), 1u);
    EXPECT_FALSE(points.begin()->dde_only);
    EXPECT_EQ(library.all_references(), 0);
}

TEST_F(DdeServerTest, OtherTransactionsChangeNothing) {
    advise(L"Module 1,2,3 Block 100");
    const std::size_t references = library.all_references();
    EXPECT_EQ(call(DdeTransaction::Other, kAdviseTopic, L"Module 1,2,3 Block 100"),
              DdeAnswer::number(0));
    EXPECT_EQ(points.size(), 1u);
    EXPECT_EQ(library.all_references(), static_cast<int>(references));
}

TEST_F(DdeServerTest, ListedPointsTellEveryLinkOnlyOnceAClientIsThere) {
    MonitoredPoint& listed = points.create({1, 2, 5, 100}, DdeLink{}, false, true);
    listed.value = L"1";
    server.value_arrived(listed);
    EXPECT_TRUE(library.advised.empty());
    call(DdeTransaction::Connect, kAdviseTopic, kDdeService);
    server.value_arrived(listed);
    EXPECT_EQ(library.advised, (std::vector<std::pair<DdeHandle, DdeHandle>>{{0, 0}}));
}

TEST_F(DdeServerTest, TheServiceIsRegisteredAndWithdrawnWithItsNames) {
    server.register_service();
    EXPECT_EQ(library.services, (std::vector<std::pair<std::wstring, bool>>{{L"Brixtel", true}}));
    EXPECT_EQ(library.references(L"Output"), 1);
    server.unregister_service();
    EXPECT_EQ(library.services.back(), std::make_pair(std::wstring(L"Brixtel"), false));
    EXPECT_EQ(library.all_references(), 0);
}

} // namespace
} // namespace brixtel
