#include "engine/AnsiText.h"
#include <windows.h>

namespace {
bool IsAnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}
}  // namespace

mbtext::LeadByteFn AnsiLeadByteTest() {
    CPINFO info = {};
    if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1) return IsAnsiLeadByte;
    return nullptr;
}
