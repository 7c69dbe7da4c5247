// Formatting of the texts that go to a TransferObserver.
#pragma once
#include <cstdarg>

class TransferObserver;

// Formats by printf rules into a buffer of the call (texts are cut at 1023
// characters) and passes the text to the observer's OnText, if there is an
// observer.
void ReportTextTo(TransferObserver* observer, int kind, const char* format, ...) __attribute__((format(printf, 3, 4)));
void ReportTextToV(TransferObserver* observer, int kind, const char* format, va_list args);
