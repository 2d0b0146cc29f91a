#include "tests/e2e/driver/wait.h"

#include <windows.h>

#include <cstdlib>

namespace brixtel::e2e {

namespace {

double time_scale() {
    static const double scale = [] {
        const char* text = std::getenv("BRIXTEL_E2E_TIME_SCALE");
        const double value = text ? std::strtod(text, nullptr) : 1.0;
        return value >= 1.0 ? value : 1.0;
    }();
    return scale;
}

} // namespace

Millis scaled(Millis bound) {
    return Millis(static_cast<Millis::rep>(static_cast<double>(bound.count()) * time_scale()));
}

std::string describe(Millis bound) {
    return std::to_string(scaled(bound).count()) + " ms";
}

void pause_for(Millis interval) {
    Sleep(static_cast<DWORD>(interval.count()));
}

} // namespace brixtel::e2e
