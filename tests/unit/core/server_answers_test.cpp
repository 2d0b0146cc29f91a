#include "core/server_answers.h"

#include "core/monitored_point.h"

#include <gtest/gtest.h>

namespace brixtel {
namespace {

TEST(ClassifyAnswer, ConnstatThenFeatureUsernameThenRead) {
    EXPECT_EQ(classify_answer(L"1,2 connstat h 1 2 0 0\nSUCCESS"), AnswerKind::Connstat);
    EXPECT_EQ(classify_answer(L"1,2 feature username connstat"), AnswerKind::Connstat);
    EXPECT_EQ(classify_answer(L"1,2 feature username h 1 2 0 0"), AnswerKind::FeatureUsername);
    EXPECT_EQ(classify_answer(L"1,2 feature  username"), AnswerKind::Read);
    EXPECT_EQ(classify_answer(L"1,2 read output 1 02 05 100\nOK REAL\n1"), AnswerKind::Read);
}

struct ConnstatCase {
    const char* name;
    const wchar_t* answer;
    bool parsed;
    LoopEndpoint entry;
    bool ok;
};

class ConnstatParse : public testing::TestWithParam<ConnstatCase> {};

TEST_P(ConnstatParse, ReadsFieldsAndOkFlag) {
    const auto& c = GetParam();
    const auto answer = parse_connstat_answer(c.answer);
    ASSERT_EQ(answer.has_value(), c.parsed);
    if (!c.parsed)
        return;
    EXPECT_EQ(answer->entry, c.entry);
    EXPECT_EQ(answer->ok, c.ok);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ConnstatParse,
    testing::Values(
        ConnstatCase{"success",
                     L"00AB,5001 connstat 10.0.0.7 3 4 0 0\nSUCCESS",
                     true,
                     {3, 4, L"10.0.0.7", 5001},
                     true},
        ConnstatCase{"unsupported_counts_as_ok",
                     L"00AB,5001 connstat zhost 3 -1 0 0 from ann\nERROR Unsupported command",
                     true,
                     {3, -1, L"zhost", 5001},
                     true},
        ConnstatCase{
            "failure", L"00AB,5001 connstat h 3 4 0 0\nFAILURE", true, {3, 4, L"h", 5001}, false},
        ConnstatCase{"neither", L"00AB,5001 connstat h 3 4 0 0", true, {3, 4, L"h", 5001}, false},
        ConnstatCase{"no_comma", L"00AB 5001 connstat h 3 4 0 0\nSUCCESS", false, {}, false},
        ConnstatCase{"no_blank_after_comma", L"x connstat,5001", false, {}, false},
        ConnstatCase{"no_blank_after_word", L"00AB,5001 connstat", false, {}, false},
        ConnstatCase{"no_blank_after_host", L"00AB,5001 connstat h", false, {}, false},
        ConnstatCase{"no_blank_after_loop", L"00AB,5001 connstat h 3", false, {}, false},
        ConnstatCase{"no_blank_after_pcu", L"00AB,5001 connstat h 3 4", false, {}, false},
        ConnstatCase{"no_blank_after_third", L"00AB,5001 connstat h 3 4 0", false, {}, false},
        ConnstatCase{"last_field_may_be_empty",
                     L"00AB,-7 connstat h -3 4 0 ",
                     true,
                     {-3, 4, L"h", -7},
                     false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FeatureUsernameParse, StateOneOnlyForSuccessWithoutUnsupported) {
    const wchar_t* head = L"00AB,5001 feature username h 2 -1 0 0\n";
    auto state = [&](const wchar_t* result) {
        const auto a = parse_feature_username_answer(std::wstring(head) + result);
        EXPECT_TRUE(a);
        return a ? a->state : -1;
    };
    EXPECT_EQ(state(L"SUCCESS"), 1);
    EXPECT_EQ(state(L"FAILURE"), 2);
    EXPECT_EQ(state(L"ERROR Unsupported command"), 2);
    EXPECT_EQ(state(L"ERROR Unsupported command SUCCESS"), 2);
    EXPECT_EQ(state(L""), 2);
    const auto a = parse_feature_username_answer(head);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->entry, (LoopEndpoint{2, -1, L"h", 5001}));
    EXPECT_FALSE(parse_feature_username_answer(L"00AB,5001 feature username h 2 -1"));
}

TEST(IdentifyReadAnswer, ReadsHexIdentifierBetweenCommaAndBlank) {
    const auto id = identify_read_answer(L"0000C0DE,00ABCDEF read output 1 02 05 100\nOK REAL\n1");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->request_id, 0xABCDEFu);
    EXPECT_FALSE(id->cancel);
    EXPECT_FALSE(identify_read_answer(L"0000C0DE 00ABCDEF read"));
    EXPECT_FALSE(identify_read_answer(L"0000C0DE,00ABCDEF"));
    EXPECT_EQ(identify_read_answer(L"1,zz read")->request_id, 0u);
    EXPECT_EQ(identify_read_answer(L"1,123456789 read")->request_id, 0u); // beyond 32 bits
}

TEST(IdentifyReadAnswer, CancelAnywhere) {
    const auto id = identify_read_answer(L"0000C0DE,00000000 cancel\nOK");
    ASSERT_TRUE(id);
    EXPECT_TRUE(id->cancel);
    EXPECT_TRUE(identify_read_answer(L"A,1 read\n0 cancel")->cancel);
}

TEST(ReplyWindow, FirstTokenReadAsHex) {
    EXPECT_EQ(reply_window_of(L"0000C0DE,1 read"), 0xC0DEu);
    EXPECT_EQ(reply_window_of(L"  ab"), 0xABu);
    EXPECT_FALSE(reply_window_of(L"xyz"));
    EXPECT_FALSE(reply_window_of(L"   "));
}

struct ValueCase {
    const char* name;
    const wchar_t* result; // what follows the echoed request line
    std::optional<std::wstring> value;
    std::optional<std::uint16_t> type;
};

class ReadAnswerValue : public testing::TestWithParam<ValueCase> {};

TEST_P(ReadAnswerValue, GivesErrorCodeOrLineThree) {
    const auto& c = GetParam();
    const std::wstring answer =
        std::wstring(L"0000C0DE,00000001 read output 1 02 05 100\n") + c.result;
    const auto v = answer_value(answer);
    ASSERT_EQ(v.has_value(), c.value.has_value());
    if (!v)
        return;
    EXPECT_EQ(v->text, *c.value);
    EXPECT_EQ(v->type, c.type);
}

constexpr std::optional<std::uint16_t> kKeep;
constexpr std::optional<std::uint16_t> kNum = value_type::kNumber;
constexpr std::optional<std::uint16_t> kStr = value_type::kString;
constexpr std::optional<std::uint16_t> kOther = value_type::kOther;

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadAnswerValue,
    testing::Values(
        ValueCase{"real_cut_at_blank", L"OK REAL\n12.5 degC", L"12.5", kNum},
        ValueCase{"string_whole_line", L"OK STRING\nvalve is open\nextra", L"valve is open", kStr},
        ValueCase{"other_type", L"OK\n7 x", L"7", kOther},
        ValueCase{"empty_line_three", L"OK INT\n", L"", kNum},
        ValueCase{"no_second_line_feed", L"OK REAL", std::nullopt, kKeep},
        ValueCase{"code_105", L"ERROR 105 Undefined block", L"ERROR_105_UNDEF_BLK", kKeep},
        ValueCase{"code_7", L"ERROR 7", L"ERROR_7", kKeep},
        ValueCase{"code_1050", L"ERROR 1050 x", L"ERROR_1050", kKeep},
        ValueCase{"error_with_ok_string_is_a_value", L"OK STRING\nERROR 105 text",
                  L"ERROR 105 text", kStr},
        ValueCase{"missing_parameter", L"ERROR Missing Parameter", L"ERROR_MISS_PARAM", kKeep},
        ValueCase{"dequeue", L"ERROR Failed to dequeue response", L"ERROR_DQ_FAIL", kKeep},
        ValueCase{"bad_ciu", L"ERROR Invalid response from CIU", L"ERROR_BAD_RESP_CIU", kKeep},
        ValueCase{"unknown_code", L"ERROR Unknown response code 0x3F\n", L"ERROR_0x3F\n", kKeep},
        ValueCase{"unknown_code_at_end", L"ERROR Unknown response code", L"ERROR_", kKeep},
        ValueCase{"numbered_before_phrase", L"ERROR 9 Missing Parameter", L"ERROR_9", kKeep},
        ValueCase{"resend", L"ERROR Failed to resend request", L"ERROR_RESEND_FAIL", kKeep},
        ValueCase{"zero_loop", L"ERROR Invalid Zero Loop and PCU", L"ERROR_ZERO_LP/PCU", kKeep},
        ValueCase{"info_cannot_reach", L"INFO Cannot reach PCU", L"INVALID_CIU_LP/PCU", kKeep},
        ValueCase{"ip_blocked", L"IP_BLOCKED Invalid IP Address", L"IP_BLOCKED", kKeep},
        ValueCase{"user_blocked", L"USER_BLOCKED Invalid User Name", L"USER_BLOCKED", kKeep},
        ValueCase{"user_not_approved", L"USER_BLOCKED User Name Not Approved", L"USER_BLOCKED",
                  kKeep}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadAnswerValue, UnlistedErrorsAndNoticesGiveTheWholeAnswer) {
    for (const wchar_t* answer : {L"1,2 read\nERROR something odd", L"1,2 read\nINFO later",
                                  L"1,2 read\nIP_BLOCKED", L"1,2 read\nUSER_BLOCKED\n3"}) {
        const auto v = answer_value(answer);
        ASSERT_TRUE(v) << answer;
        EXPECT_EQ(v->text, answer);
        EXPECT_FALSE(v->type);
    }
}

TEST(ReadAnswerValue, ErrorPhrasesNeedErrorInTheAnswer) {
    // "Failed to resend request" alone is no error: the value comes from line 3.
    const auto v = answer_value(L"1,2 read\nOK REAL Failed to resend request\n4.5");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->text, L"4.5");
}

// The words an answer is judged by are found in one pass, each by a character inside it: these
// put words at the edges of the text, behind near misses that share that character, and next to
// other words that share it.
struct WordPlacementCase {
    const char* name;
    const wchar_t* answer;
    AnswerKind kind;
    bool cancel;
    std::optional<std::wstring> value;
    std::optional<std::uint16_t> type;
};

class WordPlacement : public testing::TestWithParam<WordPlacementCase> {};

TEST_P(WordPlacement, FoundWhereverTheyStand) {
    const auto& c = GetParam();
    const AnswerReading reading(c.answer);
    EXPECT_EQ(reading.kind(), c.kind);
    EXPECT_EQ(classify_answer(c.answer), c.kind);
    const auto id = reading.read_id();
    ASSERT_TRUE(id);
    EXPECT_EQ(id->cancel, c.cancel);
    const auto value = reading.value();
    ASSERT_EQ(value.has_value(), c.value.has_value());
    if (value) {
        EXPECT_EQ(value->text, *c.value);
        EXPECT_EQ(value->type, c.type);
    }
}

constexpr auto kRead = AnswerKind::Read;

INSTANTIATE_TEST_SUITE_P(
    Answers, WordPlacement,
    testing::Values(
        WordPlacementCase{"int_at_the_very_end", L"1,2 x\n\n7 INT", kRead, false, L"7", kNum},
        WordPlacementCase{"word_cut_by_the_end", L"1,2 x\n\n7 IN", kRead, false, L"7", kOther},
        WordPlacementCase{"string_cut_by_the_end", L"1,2 x\nOK STRIN\nv w", kRead, false, L"v",
                          kOther},
        WordPlacementCase{"error_behind_a_near_miss", L"1,2 x\nERRERROR 7", kRead, false,
                          L"ERROR_7", kKeep},
        WordPlacementCase{"first_error_decides", L"1,2 x\nERROR ERROR 7", kRead, false,
                          L"1,2 x\nERROR ERROR 7", kKeep},
        WordPlacementCase{"error_in_the_request_line", L"1,2 ERROR 12 read\nOK REAL\n3", kRead,
                          false, L"ERROR_12", kKeep},
        WordPlacementCase{"user_blocked_is_not_ip_blocked",
                          L"1,2 x\nUSER_BLOCKED Invalid User Name", kRead, false, L"USER_BLOCKED",
                          kKeep},
        WordPlacementCase{"ip_blocked_after_user_blocked_text", L"1,2 x\nUSER_BLOCKEDIP_BLOCKED",
                          kRead, false, L"1,2 x\nUSER_BLOCKEDIP_BLOCKED", kKeep},
        WordPlacementCase{"cancel_after_more_zeros", L"1,2 x\n00 cancel", kRead, true, std::nullopt,
                          kKeep},
        WordPlacementCase{"cancel_needs_its_zero", L"1,2 x\n cancel\n4", kRead, false, L"4",
                          kOther},
        WordPlacementCase{"connstat_at_the_end", L"1,2 x\nOK REAL\n5 connstat",
                          AnswerKind::Connstat, false, L"5", kNum},
        WordPlacementCase{"feature_username_behind_a_near_miss", L"1,2 feature feature username",
                          AnswerKind::FeatureUsername, false, std::nullopt, kKeep},
        WordPlacementCase{"wide_characters_are_no_words", L"1,2 x\n\u0130NT \u00d8K\n6 7", kRead,
                          false, L"6", kOther},
        WordPlacementCase{"info_and_int_share_a_letter", L"1,2 x\nINFOINT\n8", kRead, false,
                          L"1,2 x\nINFOINT\n8", kKeep}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AnswerValueType, StringBeatsNumber) {
    EXPECT_EQ(answer_value_type(L"OK STRING INT"), value_type::kString);
    EXPECT_EQ(answer_value_type(L"OK REAL"), value_type::kNumber);
    EXPECT_EQ(answer_value_type(L"POINT"), value_type::kNumber); // "INT" inside a word
    EXPECT_EQ(answer_value_type(L"OK"), value_type::kOther);
}

} // namespace
} // namespace brixtel
