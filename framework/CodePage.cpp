#include "framework/CodePage.h"

namespace {

template <UINT CodePage>
bool IsLeadByteOf(unsigned char byte) {
    return IsDBCSLeadByteEx(CodePage, byte) != FALSE;
}

}  // namespace

mbtext::LeadByteFn LeadByteTestOf(UINT codePage) {
    if (codePage == CP_ACP) codePage = GetACP();
    switch (codePage) {
    case CP_UTF8: return mbtext::IsUtf8LeadByte;
    case 932: return IsLeadByteOf<932>;
    // GB18030's four-byte characters read as two pairs of GBK's lead and
    // trail ranges, so no ASCII byte hides in them.
    case 936:
    case 54936: return IsLeadByteOf<936>;
    case 949: return IsLeadByteOf<949>;
    case 950: return IsLeadByteOf<950>;
    case 1361: return IsLeadByteOf<1361>;
    case 20932: return IsLeadByteOf<20932>;
    default: return nullptr;
    }
}

mbtext::LeadByteFn AnsiLeadByteTest() {
    return LeadByteTestOf(CP_ACP);
}

UINT LegacyCodePage() {
    DWORD codePage = 0;
    if (!GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR)) ||
        codePage == 0 || !IsValidCodePage(codePage))
        return GetACP();
    return codePage;
}

std::wstring ToWide(const std::string& text, UINT codePage) {
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string CutToUnits(const std::string& text, size_t units) {
    std::wstring wide = ToWide(text, CP_ACP);
    if (wide.size() <= units) return text;
    // A character outside the BMP takes two units, kept together.
    if (units > 0 && IS_HIGH_SURROGATE(wide[units - 1])) --units;
    return FromWide(wide.substr(0, units), CP_ACP);
}

std::string FromWide(const std::wstring& text, UINT codePage) {
    if (text.empty()) return std::string();
    if (codePage == CP_ACP) codePage = GetACP();
    // UTF-8 takes no default character.
    const char* substitute = codePage == CP_UTF8 ? nullptr : "_";
    int count = static_cast<int>(text.size());
    int length = WideCharToMultiByte(codePage, 0, text.data(), count, nullptr, 0, substitute, nullptr);
    if (length <= 0) return std::string();
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), count, &bytes[0], length, substitute, nullptr);
    return bytes;
}
