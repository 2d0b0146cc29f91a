#include "tests/e2e/driver/draw_recorder.h"

#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"

#include <algorithm>
#include <set>
#include <sstream>

namespace brixtel::e2e {

namespace wire = draw_wire;

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

namespace {

UINT request_message() {
    static const UINT message = RegisterWindowMessageW(wire::kRequestMessageName);
    return message;
}

HWND window_of(uint64_t handle) {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(handle));
}

uint64_t handle_of(HWND window) {
    return reinterpret_cast<ULONG_PTR>(window);
}

Rect rect_of(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

std::optional<Rect> rect_if(uint32_t given, const RECT& rect) {
    return given ? std::optional<Rect>(rect_of(rect)) : std::nullopt;
}

bool ready(const wire::Record& record) {
    return InterlockedCompareExchange(const_cast<volatile LONG*>(&record.ready), 0, 0) != 0;
}

uint32_t claimed(wire::Header& header) {
    const LONG count = InterlockedCompareExchange(&header.claimed, 0, 0);
    return count > 0 ? static_cast<uint32_t>(count) : 0;
}

std::string colour(COLORREF value) {
    return "rgb(" + std::to_string(GetRValue(value)) + "," + std::to_string(GetGValue(value)) +
           "," + std::to_string(GetBValue(value)) + ")";
}

const char* operation_name(uint32_t operation) {
    switch (operation) {
    case wire::kAttach:
        return "attach";
    case wire::kStart:
        return "start";
    case wire::kStop:
        return "stop";
    case wire::kSync:
        return "sync";
    case wire::kRepaint:
        return "repaint";
    }
    return "unknown";
}

} // namespace

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
    return out << "(" << rect.left << "," << rect.top << ")-(" << rect.right << "," << rect.bottom
               << ")";
}

std::vector<DrawnText> Drawing::row(int y) const {
    std::vector<DrawnText> found;
    for (const DrawnText& text : texts)
        if (text.y == y && text.length > 0)
            found.push_back(text);
    std::stable_sort(found.begin(), found.end(),
                     [](const DrawnText& a, const DrawnText& b) { return a.x < b.x; });
    return found;
}

std::vector<std::wstring> Drawing::row_texts(int y) const {
    std::vector<std::wstring> found;
    for (const DrawnText& text : row(y))
        found.push_back(text.text);
    return found;
}

std::vector<int> Drawing::rows() const {
    std::set<int> ys;
    for (const DrawnText& text : texts)
        if (text.length > 0)
            ys.insert(text.y);
    return {ys.begin(), ys.end()};
}

const DrawnText* Drawing::find(std::wstring_view wanted) const {
    for (const DrawnText& text : texts)
        if (text.text == wanted)
            return &text;
    return nullptr;
}

std::optional<COLORREF> Drawing::color_of(std::wstring_view wanted) const {
    const DrawnText* text = find(wanted);
    return text ? std::optional<COLORREF>(text->text_color) : std::nullopt;
}

std::string Drawing::describe() const {
    std::ostringstream out;
    out << texts.size() << " texts, " << scrolls.size() << " scrolls, " << paints.size()
        << " paints";
    if (overflow)
        out << ", " << overflow << " calls lost to full records";
    for (const DrawnText& text : texts) {
        out << "\n  #" << text.sequence << " paint " << text.paint << " at (" << text.x << ","
            << text.y << ") " << colour(text.text_color) << " on " << colour(text.back_color)
            << " \"" << narrow(text.text) << "\"";
        if (text.length > text.text.size())
            out << " (of " << text.length << ")";
    }
    for (const ScrolledArea& scroll : scrolls) {
        out << "\n  #" << scroll.sequence << " scroll by (" << scroll.dx << "," << scroll.dy << ")";
        if (scroll.scroll)
            out << " of " << *scroll.scroll;
    }
    return out.str();
}

DrawRecorder::~DrawRecorder() {
    detach();
}

void DrawRecorder::detach() {
    hook_.reset();
    if (header_)
        UnmapViewOfFile(header_);
    if (mapping_)
        CloseHandle(mapping_);
    header_ = nullptr;
    mapping_ = nullptr;
    window_ = nullptr;
    patched_ = 0;
}

AssertionResult DrawRecorder::attach(HWND window, uint32_t capacity) {
    if (hook_ && window == window_)
        return AssertionSuccess();
    detach();
    DWORD process_id = 0;
    if (!GetWindowThreadProcessId(window, &process_id))
        return AssertionFailure() << "the window to record is gone";
    const size_t size = wire::mapping_size(capacity);
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                  static_cast<DWORD>(static_cast<uint64_t>(size) >> 32),
                                  static_cast<DWORD>(size), wire::mapping_name(process_id).c_str());
    if (!mapping_)
        return AssertionFailure() << "cannot create the draw records (error " << GetLastError()
                                  << ")";
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    header_ = static_cast<wire::Header*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!header_) {
        detach();
        return AssertionFailure() << "cannot map the draw records";
    }
    if (!existed) {
        header_->magic = wire::kMagic;
        header_->version = wire::kVersion;
        header_->capacity = capacity;
        header_->record_size = sizeof(wire::Record);
    } else if (header_->magic != wire::kMagic || header_->version != wire::kVersion ||
               header_->record_size != sizeof(wire::Record)) {
        detach();
        return AssertionFailure() << "the program's draw records have another layout";
    }
    // Go on from the last answered request, so an old answer is never taken for a new one.
    next_request_ = InterlockedCompareExchange(&header_->completed_request, 0, 0);
    std::string why;
    hook_ = ProgramHook::on_thread_of(window, why);
    if (!hook_) {
        detach();
        return AssertionFailure() << why;
    }
    window_ = window;
    if (auto attached = request(wire::kAttach); !attached) {
        detach();
        return attached;
    }
    patched_ = header_->patched;
    if (!(patched_ & (wire::kExtTextOutW | wire::kTextOutW))) {
        detach();
        return AssertionFailure() << "the program imports neither ExtTextOutW nor TextOutW "
                                     "from GDI32: none of its texts can be recorded";
    }
    return AssertionSuccess();
}

AssertionResult DrawRecorder::request(uint32_t operation, HWND window) {
    if (!header_)
        return AssertionFailure() << "the draw recorder is not attached to a window";
    header_->operation = operation;
    header_->window = handle_of(window);
    const LONG number = ++next_request_;
    if (!PostMessageW(window_, request_message(), static_cast<WPARAM>(number), 0))
        return AssertionFailure() << "cannot post the draw request (window gone?)";
    if (!poll_until(
            [&] { return InterlockedCompareExchange(&header_->completed_request, 0, 0) == number; },
            kWaitBound))
        return AssertionFailure() << "the program did not answer the draw request \""
                                  << operation_name(operation) << "\" within "
                                  << describe(kWaitBound) << " (is its message loop running?)";
    if (header_->status == wire::kStatusNotMyWindow)
        return AssertionFailure() << "window " << handle_of(window)
                                  << " is not a window of the recorded thread";
    if (header_->status != wire::kStatusOk)
        return AssertionFailure() << "the hook refused the draw request \""
                                  << operation_name(operation) << "\" (status " << header_->status
                                  << ")";
    return AssertionSuccess();
}

AssertionResult DrawRecorder::start() {
    return request(wire::kStart);
}

AssertionResult DrawRecorder::stop() {
    return request(wire::kStop);
}

AssertionResult DrawRecorder::read(Drawing* drawing) {
    if (auto synced = request(wire::kSync); !synced)
        return synced;
    return collect(drawing);
}

AssertionResult DrawRecorder::collect(Drawing* drawing) {
    const uint32_t count = claimed(*header_);
    const uint32_t kept = std::min(count, header_->capacity);
    const wire::Record* records = wire::records(header_);
    Drawing result;
    result.overflow = count - kept;
    for (uint32_t index = 0; index < kept; ++index) {
        const wire::Record& record = records[index];
        // Claimed records are completed by the call that claimed them, at once.
        if (!poll_until([&] { return ready(record); }, kSendBound))
            return AssertionFailure() << "draw record " << index + 1 << " stayed incomplete";
        switch (record.kind) {
        case wire::kText: {
            DrawnText text;
            text.sequence = record.sequence;
            text.length = record.length;
            text.text.assign(record.text, std::min(record.length, wire::kMaxText));
            text.x = record.x;
            text.y = record.y;
            text.options = record.options;
            text.rect = rect_if(record.has_rect, record.rect);
            text.text_color = record.text_color;
            text.back_color = record.back_color;
            text.back_mode = record.back_mode;
            text.align = record.align;
            text.text_out = record.function == wire::kTextOutW;
            text.paint = record.paint;
            text.window = window_of(record.window);
            result.texts.push_back(std::move(text));
            break;
        }
        case wire::kScroll: {
            ScrolledArea scroll;
            scroll.sequence = record.sequence;
            scroll.window = window_of(record.window);
            scroll.dx = record.x;
            scroll.dy = record.y;
            scroll.scroll = rect_if(record.has_rect, record.rect);
            scroll.clip = rect_if(record.has_clip, record.clip);
            scroll.flags = record.options;
            scroll.paint = record.paint;
            result.scrolls.push_back(scroll);
            break;
        }
        case wire::kPaintBegin: {
            PaintPass paint;
            paint.number = record.paint;
            paint.window = window_of(record.window);
            paint.area = rect_of(record.rect);
            paint.erase = record.options != 0;
            paint.begin_sequence = record.sequence;
            result.paints.push_back(paint);
            break;
        }
        case wire::kPaintEnd: {
            auto begun = std::find_if(result.paints.begin(), result.paints.end(),
                                      [&](const PaintPass& p) { return p.number == record.paint; });
            if (begun == result.paints.end()) {
                PaintPass paint;
                paint.number = record.paint;
                paint.window = window_of(record.window);
                begun = result.paints.insert(result.paints.end(), paint);
            }
            begun->end_sequence = record.sequence;
            break;
        }
        }
    }
    *drawing = std::move(result);
    return AssertionSuccess();
}

bool DrawRecorder::paint_ended(uint32_t after, HWND window) const {
    const uint32_t kept = std::min(claimed(*header_), header_->capacity);
    const wire::Record* records = wire::records(header_);
    for (uint32_t index = 0; index < kept; ++index) {
        const wire::Record& record = records[index];
        if (ready(record) && record.kind == wire::kPaintEnd && record.paint > after &&
            window_of(record.window) == window)
            return true;
    }
    return false;
}

AssertionResult DrawRecorder::repaint(Drawing* shown, HWND window) {
    if (!header_)
        return AssertionFailure() << "the draw recorder is not attached to a window";
    if ((patched_ & (wire::kBeginPaint | wire::kEndPaint)) != (wire::kBeginPaint | wire::kEndPaint))
        return AssertionFailure() << "the program does not import both BeginPaint and EndPaint "
                                     "from USER32: its paints cannot be told apart";
    if (!window)
        window = window_;
    if (auto invalidated = request(wire::kRepaint, window); !invalidated)
        return invalidated;
    const uint32_t before = header_->paints;
    const bool was_recording = header_->was_recording != 0;
    const bool painted = poll_until(
        [&] { return paint_ended(before, window) || claimed(*header_) > header_->capacity; },
        kWaitBound);
    Drawing all;
    AssertionResult collected = collect(&all);
    if (!was_recording)
        if (auto stopped = stop(); !stopped)
            return stopped;
    if (!collected)
        return collected;
    if (all.overflow)
        return AssertionFailure() << "the records filled up before the paint ended ("
                                  << all.overflow << " calls lost); attach with more room";
    if (!painted)
        return AssertionFailure() << "window " << handle_of(window) << " was not painted within "
                                  << describe(kWaitBound)
                                  << " (does the program paint it with BeginPaint and EndPaint?)";
    const auto paint = std::find_if(all.paints.begin(), all.paints.end(), [&](const PaintPass& p) {
        return p.number > before && p.window == window && p.end_sequence != 0;
    });
    if (paint == all.paints.end())
        return AssertionFailure() << "the paint of window " << handle_of(window)
                                  << " ended but its records are gone";
    Drawing result;
    result.paints.push_back(*paint);
    for (DrawnText& text : all.texts)
        if (text.paint == paint->number)
            result.texts.push_back(std::move(text));
    for (const ScrolledArea& scroll : all.scrolls)
        if (scroll.paint == paint->number)
            result.scrolls.push_back(scroll);
    *shown = std::move(result);
    return AssertionSuccess();
}

} // namespace brixtel::e2e
