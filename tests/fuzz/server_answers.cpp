// Datagrams from a Zandor server, or from anyone who can reach the port: every reading of an
// answer the poll cycle makes.
#include "core/server_answers.h"
#include "fuzz_support.h"

using namespace brixtel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The Receive thread converts the datagram from the OEM code page, a character per byte.
    const std::wstring answer = to_wide(fuzz::bytes_of(data, size));
    switch (classify_answer(answer)) {
    case AnswerKind::Connstat:
        (void)parse_connstat_answer(answer);
        break;
    case AnswerKind::FeatureUsername:
        (void)parse_feature_username_answer(answer);
        break;
    case AnswerKind::Read:
        break;
    }
    (void)reply_window_of(answer);
    (void)identify_read_answer(answer);
    const std::uint16_t type = answer_value_type(answer);
    fuzz::check(type <= 2, "a value type is 0, 1 or 2");
    if (const auto value = answer_value(answer)) {
        // A value is the answer's own text or an error code made from it.
        fuzz::check(value->text.size() <= answer.size() + 19, "a value no longer than its answer");
        fuzz::check(!value->type || *value->type <= 2, "a value's type is 0, 1 or 2");
    }
    return 0;
}
