// How fast the monitoring core does the work of every poll cycle: reading the server's answers
// (5,000 a second at the fastest poll rate, and a flood can bring many more), composing the
// read requests, and moving the View buffer on by one record once it is full. Run by
// scripts/bench-core.sh:
//
//   bench_core [Google Benchmark flags]
#include "core/block_address.h"
#include "core/poll_snapshot.h"
#include "core/server_answers.h"
#include "core/server_requests.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brixtel {
namespace {

constexpr std::uint32_t kWindow = 0x000A01F2;

// The echoed request line of the answer to point `id` at block `block` of module 1,2,5.
std::wstring request_line(std::uint32_t id, std::int32_t block) {
    return compose_read_request(kWindow, id, BlockAddress{1, 2, 5, block}).value();
}

// What the server answers, after the echoed request line.
struct AnswerShape {
    const char* name;
    const wchar_t* result; // nullptr: the whole answer is `whole`
    const wchar_t* whole = nullptr;
};

// Answers as a busy plant gives them: mostly values, some errors, a cancel, a connstat, and
// the ones that leave a point MISSING in its row (no value line, an unknown point, no comma).
const std::vector<AnswerShape>& answer_shapes() {
    static const std::vector<AnswerShape> shapes{
        {"ok_real", L"OK REAL\n47.25"},
        {"ok_real_unit", L"OK REAL\n-3.50 degC"},
        {"ok_int", L"OK INT\n1204"},
        {"ok_string", L"OK STRING\nvalve 12 open"},
        {"ok_real_2", L"OK REAL\n50.00"},
        {"ok_int_2", L"OK INT\n-17 rpm"},
        {"error_105", L"ERROR 105 Undefined block"},
        {"error_phrase", L"ERROR Failed to dequeue response"},
        {"error_unknown_code", L"ERROR Unknown response code 0x3F"},
        {"info_notice", L"INFO Cannot reach PCU"},
        {"cancel", L"0 cancel"},
        {"no_value_line", L"OK REAL"},
        {"unknown_point", nullptr, L"000A01F2,0FFFFFFF read output 1 02 05 9\nOK REAL\n1.00"},
        {"no_comma", nullptr, L"garbage from a stray sender"},
        {"connstat", nullptr, L"000A01F2,5001 connstat 127.0.0.1 1 2 0 0 from operator\nSUCCESS"},
        {"ok_real_3", L"OK REAL\n12.75"},
    };
    return shapes;
}

std::wstring answer_text(const AnswerShape& shape, std::uint32_t id) {
    if (!shape.result)
        return shape.whole;
    return request_line(id, static_cast<std::int32_t>(id)) + L'\n' + shape.result;
}

// Everything the program reads from one answer: the reply window (receive thread), then on the
// main thread its kind, the status fields or the point it answers, and the value it gives.
// Returns something of each result so that none is optimised away.
std::uint64_t read_answer(std::wstring_view answer) {
    std::uint64_t seen = reply_window_of(answer).value_or(0);
    const AnswerReading reading(answer);
    switch (reading.kind()) {
    case AnswerKind::Connstat:
        if (const auto status = parse_connstat_answer(answer))
            return seen + static_cast<std::uint64_t>(status->ok) + status->entry.host.size();
        break;
    case AnswerKind::FeatureUsername:
        if (const auto feature = parse_feature_username_answer(answer))
            return seen + static_cast<std::uint64_t>(feature->state);
        break;
    case AnswerKind::Read:
        break;
    }
    const auto id = reading.read_id();
    if (!id)
        return seen;
    seen += id->request_id + (id->cancel ? 1 : 0);
    // The benchmark's points are 1 to 50; an answer for no point is dropped unread.
    if (id->cancel || id->request_id == 0 || id->request_id > 50)
        return seen;
    if (const auto value = reading.value())
        seen += value->text.size() + value->type.value_or(7);
    return seen;
}

void answers_mixed(benchmark::State& state) {
    std::vector<std::wstring> answers;
    const auto& shapes = answer_shapes();
    for (std::uint32_t i = 0; i < 50; ++i)
        answers.push_back(answer_text(shapes[i % shapes.size()], i + 1));
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(read_answer(answers[next]));
        next = next + 1 == answers.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void answers_of_one_shape(benchmark::State& state, const AnswerShape& shape) {
    const std::wstring answer = answer_text(shape, 0x1F);
    for (auto _ : state)
        benchmark::DoNotOptimize(read_answer(answer));
    state.SetItemsProcessed(state.iterations());
}

// ---- Requests -----------------------------------------------------------------------------

void compose_read(benchmark::State& state, bool with_suffix) {
    const std::wstring suffix = with_suffix ? user_suffix(L"operator") : std::wstring();
    std::uint32_t id = 1;
    for (auto _ : state) {
        auto request = compose_read_request(
            kWindow, id, BlockAddress{1, 2, 5, static_cast<std::int32_t>(1 + (id & 63))}, suffix);
        benchmark::DoNotOptimize(request);
        ++id;
    }
    state.SetItemsProcessed(state.iterations());
}

void debug_line_of_request(benchmark::State& state) {
    std::uint32_t id = 1;
    for (auto _ : state) {
        auto line = read_request_display_text(
            kWindow, id, BlockAddress{1, 2, 5, static_cast<std::int32_t>(1 + (id & 63))});
        benchmark::DoNotOptimize(line);
        ++id;
    }
    state.SetItemsProcessed(state.iterations());
}

void compose_connstat(benchmark::State& state) {
    const LoopEndpoint entry{1, 2, L"127.0.0.1", 5001};
    const std::wstring suffix = user_suffix(L"operator");
    for (auto _ : state) {
        auto request = compose_connstat_request(kWindow, entry, suffix);
        benchmark::DoNotOptimize(request);
    }
    state.SetItemsProcessed(state.iterations());
}

// ---- The View buffer ----------------------------------------------------------------------

// Fills a record as a poll cycle of 50 answered points does, with texts of realistic length.
void fill_cycle(PollSnapshot& record, std::uint32_t cycle) {
    wchar_t text[32];
    std::swprintf(text, 32, L"10:42:%02u.%03u", cycle % 60, cycle % 1000);
    const std::wstring time(text);
    const std::wstring date(L"12/07/2026");
    record.values[0] = time;
    record.values[1] = time;
    record.dates[0] = date;
    record.dates[1] = date;
    record.cycle_date = date;
    record.request_time = time;
    for (std::size_t row = 1; row <= kSnapshotRows; ++row) {
        const std::size_t slot = *slot_of_row(row);
        std::swprintf(text, 32, L"%u.%02u", cycle % 100, static_cast<unsigned>(row));
        record.values[slot] = std::wstring(text);
        record.types[slot] = 1;
        std::swprintf(text, 32, L"1-2-5-%u", static_cast<unsigned>(row));
        record.addresses[slot] = text;
        record.times[slot] = time;
        record.dates[slot] = date;
    }
}

// Once the buffer holds its 10,000 records, every cycle reuses the oldest as the newest: the
// clearing that reuse does, then the cycle's filling of the record.
void recycle_full_buffer(benchmark::State& state) {
    SnapshotList list;
    for (std::uint32_t i = 0; i < kViewBufferLimit; ++i)
        fill_cycle(list.advance(), i);
    std::uint32_t cycle = 0;
    for (auto _ : state) {
        PollSnapshot& record = list.advance();
        fill_cycle(record, ++cycle);
        benchmark::DoNotOptimize(row_complete(record, kSnapshotRows));
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["records"] = static_cast<double>(list.size());
}

// The filling alone, into one record cleared each time: what recycling adds is the difference.
void fill_one_record(benchmark::State& state) {
    PollSnapshot record;
    std::uint32_t cycle = 0;
    for (auto _ : state) {
        record.clear_for_reuse();
        fill_cycle(record, ++cycle);
        benchmark::DoNotOptimize(row_complete(record, kSnapshotRows));
    }
    state.SetItemsProcessed(state.iterations());
}

void register_benchmarks() {
    benchmark::RegisterBenchmark("answers/mixed", answers_mixed);
    for (const AnswerShape& shape : answer_shapes())
        benchmark::RegisterBenchmark(("answers/" + std::string(shape.name)).c_str(),
                                     answers_of_one_shape, shape);
    benchmark::RegisterBenchmark("requests/read", compose_read, false);
    benchmark::RegisterBenchmark("requests/read_with_user", compose_read, true);
    benchmark::RegisterBenchmark("requests/debug_line", debug_line_of_request);
    benchmark::RegisterBenchmark("requests/connstat", compose_connstat);
    benchmark::RegisterBenchmark("snapshots/recycle_full_buffer", recycle_full_buffer);
    benchmark::RegisterBenchmark("snapshots/fill_one_record", fill_one_record);
}

} // namespace
} // namespace brixtel

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    brixtel::register_benchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
