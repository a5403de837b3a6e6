#include "core/DiagLog.h"

#include <cstdarg>
#include <cstdio>

#include "core/TextFormat.h"

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
    const std::string text = FormatV(format, args);
    va_end(args);
    Sink()(text);
}

}  // namespace ml
