#include "engine/ObserverText.h"
#include <cstdio>
#include "engine/TransferObserver.h"

void ReportTextToV(TransferObserver* observer, int kind, const char* format, va_list args) {
    if (!observer) return;
    char text[1024];
    if (std::vsnprintf(text, sizeof(text), format, args) < 0) text[0] = '\0';
    observer->OnText(kind, text);
}

void ReportTextTo(TransferObserver* observer, int kind, const char* format, ...) {
    va_list args;
    va_start(args, format);
    ReportTextToV(observer, kind, format, args);
    va_end(args);
}
