#include "core/win/posted_texts.h"

#include <cstring>

namespace brixtel::win {

bool PostedTexts::post(HWND window, UINT message, WPARAM wparam, std::wstring_view text) {
    auto copy = std::make_unique<wchar_t[]>(text.size() + 1);
    std::memcpy(copy.get(), text.data(), text.size() * sizeof(wchar_t));
    const auto carried = reinterpret_cast<LPARAM>(copy.get());
    {
        std::lock_guard hold(lock_);
        out_.emplace(carried, std::move(copy));
    }
    if (PostMessageW(window, message, wparam, carried))
        return true;
    take(carried);
    return false;
}

std::optional<std::wstring> PostedTexts::take(LPARAM text) {
    std::unique_ptr<wchar_t[]> owned;
    {
        std::lock_guard hold(lock_);
        const auto it = out_.find(text);
        if (it == out_.end())
            return std::nullopt;
        owned = std::move(it->second);
        out_.erase(it);
    }
    return std::wstring(owned.get());
}

std::size_t PostedTexts::outstanding() const {
    std::lock_guard hold(lock_);
    return out_.size();
}

} // namespace brixtel::win
