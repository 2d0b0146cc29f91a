// How long Brixtel takes to read a tag database of 100,000 records into the Tag database index
// (as start-up and the Database File Names dialog do), to look one tag up in it by name and by
// address, and how much memory the index and its reading take. Run by scripts/bench-tags.sh:
//
//   bench_tags --tag-data=FOLDER [Google Benchmark flags]
//
// FOLDER holds the files of scripts/make-tag-databases.sh (tags.dbf, tags.csv,
// tags-part-*.dbf) and, for the bad-input runs, those of scripts/lib/tag_databases.py bad
// (huge.csv, long-line.csv); runs whose files are missing are left out.
#include "shell/seat.h"
#include "tags/database_files.h"
#include "tags/tag_lookup.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <string>
#include <vector>

// ---- Heap accounting ------------------------------------------------------------------------
// Every C++ allocation of the program passes here, so the bytes the index holds and the
// highest use while a file is read are counted exactly, not guessed from the process size.

namespace {

std::atomic<std::size_t> live_bytes{0};
std::atomic<std::size_t> peak_bytes{0};

void* counted_allocation(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    const std::size_t now = live_bytes += malloc_usable_size(p);
    std::size_t peak = peak_bytes.load();
    while (now > peak && !peak_bytes.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void counted_release(void* p) {
    if (p != nullptr) {
        live_bytes -= malloc_usable_size(p);
        std::free(p);
    }
}

} // namespace

void* operator new(std::size_t size) {
    return counted_allocation(size);
}
void* operator new[](std::size_t size) {
    return counted_allocation(size);
}
void operator delete(void* p) noexcept {
    counted_release(p);
}
void operator delete[](void* p) noexcept {
    counted_release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    counted_release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    counted_release(p);
}

namespace brixtel {
namespace {

constexpr double mebibyte = 1024.0 * 1024.0;

// The process's highest resident size so far (VmHWM), in MiB.
double process_peak_mib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
        }
    }
    return 0;
}

// Reading at start-up shows a box only for a path the Database table cannot hold.
class CountingSeat : public Seat {
  public:
    using Seat::message_box;
    int boxes = 0;
    int message_box(StringId, StringId, unsigned, std::span<const MessageArg>) override {
        ++boxes;
        return ButtonOk;
    }
    void set_status_text(int, std::wstring_view) override {}
    void set_window_title(std::wstring_view) override {}
    void enable_command(Command, bool) override {}
    void check_command(Command, bool) override {}
};

std::filesystem::path data_folder;

std::vector<std::wstring> files_named(const std::wstring& pattern_start,
                                      const std::wstring& extension) {
    std::vector<std::wstring> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(data_folder, error)) {
        const std::wstring name = entry.path().filename().wstring();
        if (name.rfind(pattern_start, 0) == 0 && entry.path().extension().wstring() == extension) {
            found.push_back(entry.path().wstring());
        }
    }
    std::sort(found.begin(), found.end()); // parts 1-9 sort by number
    return found;
}

// Adds the files as start-up adds the stored list, timing only that; reports the records
// indexed, the heap the index holds afterwards and the highest heap use while reading.
void add_files_at_startup(benchmark::State& state, std::vector<std::wstring> paths) {
    std::size_t records = 0;
    double index_mib = 0;
    double peak_mib = 0;
    int boxes = 0;
    for (auto _ : state) {
        const std::size_t before = live_bytes.load();
        peak_bytes = before;
        std::optional<TagDatabases> databases(std::in_place);
        CountingSeat seat;
        for (std::size_t i = 0; i < paths.size(); ++i) {
            databases->add_at_startup(i, paths[i], seat);
        }
        state.PauseTiming();
        records = databases->index().size();
        index_mib = static_cast<double>(live_bytes.load() - before) / mebibyte;
        peak_mib = static_cast<double>(peak_bytes.load() - before) / mebibyte;
        boxes = seat.boxes;
        databases.reset();
        state.ResumeTiming();
    }
    state.counters["records"] = static_cast<double>(records);
    state.counters["index_MiB"] = index_mib;
    state.counters["peak_MiB"] = peak_mib;
    state.counters["boxes"] = boxes;
    state.counters["process_peak_MiB"] = process_peak_mib();
}

// ---- Lookups --------------------------------------------------------------------------------

// The index a user who added tags.csv works with, read once.
const TagDatabases& lookup_databases() {
    static const TagDatabases databases = [] {
        TagDatabases read;
        CountingSeat seat;
        read.add_at_startup(0, (data_folder / "tags.csv").wstring(), seat);
        return read;
    }();
    return databases;
}

constexpr std::wstring_view no_tag_text = L"NO_TAG";

std::wstring lower_case_ascii(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c + (L'a' - L'A'));
        }
    }
    return text;
}

enum class Wanted { NearEnd, Missing };

// The last record's tag, typed in lower case as a user might; or a name of the same form
// that no record has.
std::wstring wanted_name(const std::vector<TagRecord>& index, Wanted wanted) {
    return wanted == Wanted::NearEnd ? lower_case_ascii(index.back().tag) : L"10-fic-00x";
}

BlockAddress wanted_address(const std::vector<TagRecord>& index, Wanted wanted) {
    if (wanted == Wanted::Missing) {
        return {250, 250, 31, 65535};
    }
    const TagRecord& last = index.back();
    return {last.loop, last.pcu, last.module, last.block};
}

void look_up_name(benchmark::State& state, Wanted wanted) {
    const std::vector<TagRecord>& index = lookup_databases().index();
    const std::wstring name = wanted_name(index, wanted);
    std::size_t results = 0;
    for (auto _ : state) {
        const std::vector<TagRecord> found = look_up_by_tag_name(index, name);
        results = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["records"] = static_cast<double>(index.size());
    state.counters["results"] = static_cast<double>(results);
}

// The hardest index for a walk by name: every tag as long as the one asked for and alike in
// all but its last characters, so each record costs a full comparison.
void look_up_name_alike(benchmark::State& state) {
    const std::size_t count = lookup_databases().index().size();
    std::vector<TagRecord> index(count);
    for (std::size_t n = 0; n < count; ++n) {
        wchar_t name[32];
        std::swprintf(name, 32, L"PLANT-AREA-07-UNIT-%06zu", n);
        index[n] = {name,
                    1,
                    1,
                    static_cast<std::int32_t>(n / 1000 % 32),
                    static_cast<std::int32_t>(n % 1000),
                    first_file_database};
    }
    const std::wstring name = lower_case_ascii(index.back().tag);
    std::size_t results = 0;
    for (auto _ : state) {
        const std::vector<TagRecord> found = look_up_by_tag_name(index, name);
        results = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["records"] = static_cast<double>(index.size());
    state.counters["results"] = static_cast<double>(results);
}

void look_up_address(benchmark::State& state, Wanted wanted) {
    const std::vector<TagRecord>& index = lookup_databases().index();
    const BlockAddress address = wanted_address(index, wanted);
    std::size_t results = 0;
    std::int32_t database = 0;
    for (auto _ : state) {
        const std::vector<TagRecord> found = look_up_by_address(index, address, L"", no_tag_text);
        results = found.size();
        database = found.front().database;
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["records"] = static_cast<double>(index.size());
    state.counters["results"] = static_cast<double>(results);
    state.counters["database"] = database;
}

bool file_present(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

void register_benchmarks() {
    const auto add = [](const char* name, std::vector<std::wstring> paths) {
        return benchmark::RegisterBenchmark(name, add_files_at_startup, std::move(paths))
            ->Unit(benchmark::kMillisecond);
    };
    for (const char* file : {"tags.dbf", "tags.csv"}) {
        if (file_present(data_folder / file)) {
            add((std::string("add_at_startup/") + file).c_str(), {(data_folder / file).wstring()});
        }
    }
    if (const auto parts = files_named(L"tags-part-", L".dbf"); !parts.empty()) {
        add(("add_at_startup/tags-part-1.." + std::to_string(parts.size()) + ".dbf").c_str(),
            parts);
    }
    if (file_present(data_folder / "tags.csv")) {
        benchmark::RegisterBenchmark("look_up_by_tag_name/near_end", look_up_name, Wanted::NearEnd)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("look_up_by_tag_name/missing", look_up_name, Wanted::Missing)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("look_up_by_tag_name/alike_tags", look_up_name_alike)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("look_up_by_address/near_end", look_up_address,
                                     Wanted::NearEnd)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("look_up_by_address/missing", look_up_address, Wanted::Missing)
            ->Unit(benchmark::kMicrosecond);
    }
    // Bad input is read once each: the point is that it ends, and what it costs.
    for (const char* file : {"long-line.csv", "huge.csv"}) {
        if (file_present(data_folder / file)) {
            add((std::string("bad_input/") + file).c_str(), {(data_folder / file).wstring()})
                ->Iterations(1);
        }
    }
}

} // namespace
} // namespace brixtel

int main(int argc, char** argv) {
    constexpr std::string_view flag = "--tag-data=";
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, flag.size()) == flag) {
            brixtel::data_folder = std::string(arg.substr(flag.size()));
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (brixtel::data_folder.empty()) {
        std::fprintf(stderr, "usage: bench_tags --tag-data=FOLDER [benchmark flags]\n");
        return 2;
    }
    int rest_count = static_cast<int>(rest.size());
    benchmark::Initialize(&rest_count, rest.data());
    brixtel::register_benchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
