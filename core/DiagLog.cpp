#include "core/DiagLog.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace ml {

namespace {
DiagSink& Sink() {
    static DiagSink sink;
    return sink;
}
}  // namespace

void SetDiagSink(DiagSink sink) { Sink() = std::move(sink); }

bool DiagEnabled() { return static_cast<bool>(Sink()); }

void DiagWrite(std::string_view text) {
    if (Sink()) {
        Sink()(text);
    }
}

void DiagPrintf(const char* format, ...) {
    if (!Sink()) {
        return;
    }
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed > 0) {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        Sink()(std::string_view(buffer.data(), static_cast<size_t>(needed)));
    }
    va_end(args);
}

}  // namespace ml
