#include "core/server_requests.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

TEST(ReadRequest, PadsIdentifiersPcuAndModule) {
    EXPECT_EQ(compose_read_request(0x1A2B, 0xBEEF, {1, 2, 5, 100}),
              L"00001A2B,0000BEEF read output 1 02 05 100");
    EXPECT_EQ(compose_read_request(0xFFFFFFFF, 0xABCDEF01, {250, 12, 31, 65535}, L" from ann"),
              L"FFFFFFFF,ABCDEF01 read output 250 12 31 65535 from ann");
    EXPECT_EQ(read_request_display_text(0x1A2B, 0xBEEF, {1, 2, 5, 100}),
              L"00001A2B,0000BEEF read output 1 2 5 100");
}

TEST(StatusRequests, CarryPortHostLoopAndPcu) {
    const LoopEndpoint entry{3, -1, L"10.0.0.7", 5001};
    EXPECT_EQ(compose_connstat_request(0xC0DE, entry, L" from bob"),
              L"0000C0DE,5001 connstat 10.0.0.7 3 -1 0 0 from bob");
    EXPECT_EQ(compose_feature_username_request(0xC0DE, entry, L""),
              L"0000C0DE,5001 feature username 10.0.0.7 3 -1 0 0");
}

TEST(UserSuffix, AlwaysOnConnstatOtherwiseOnlyWhenServerAccepts) {
    EXPECT_TRUE(user_suffix_applies(true, 0));
    EXPECT_TRUE(user_suffix_applies(true, 2));
    EXPECT_TRUE(user_suffix_applies(false, 1));
    EXPECT_FALSE(user_suffix_applies(false, 0));
    EXPECT_FALSE(user_suffix_applies(false, 2));
}

TEST(UserSuffix, EmptyWithoutNameAndNameCutTo64) {
    EXPECT_EQ(user_suffix(L""), L"");
    EXPECT_EQ(user_suffix(L"ann"), L" from ann");
    EXPECT_EQ(user_suffix(std::wstring(80, L'u')), L" from " + std::wstring(64, L'u'));
}

TEST(RequestSize, RequestOfExactly127CharactersIsComposedOneMoreIsNot) {
    // "0000C0DE,5001 connstat " (23) + host + " 3 -1 0 0" (9)
    const std::wstring fits(127 - 32, L'h');
    const auto request = compose_connstat_request(0xC0DE, {3, -1, fits, 5001}, L"");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->size(), 127u);
    EXPECT_FALSE(compose_connstat_request(0xC0DE, {3, -1, fits + L'h', 5001}, L""));
    EXPECT_FALSE(compose_connstat_request(0xC0DE, {3, -1, fits, 5001}, L"x"));
    EXPECT_FALSE(compose_read_request(1, 1, {1, 1, 1, 1}, std::wstring(100, L'u')));
}

TEST(SimulationAnswer, RequestThenOkThenCounter) {
    EXPECT_EQ(simulation_answer(L"00000001,00000002 read output 1 02 05 100", 1.0f),
              L"00000001,00000002 read output 1 02 05 100\nOK\n1.00");
    EXPECT_EQ(simulation_answer(L"r", 10000.0f), L"r\nOK\n10000.00");
    EXPECT_EQ(simulation_answer(L"r", 0.0f), L"r\nOK\n0.00");
}

} // namespace
} // namespace brixtel
