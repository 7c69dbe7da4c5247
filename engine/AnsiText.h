// The system's ANSI code page as the text helpers see it.
#pragma once
#include "regex/MbText.h"

// The lead-byte test of the ANSI code page, or null when it is a
// single-byte code page.
mbtext::LeadByteFn AnsiLeadByteTest();
