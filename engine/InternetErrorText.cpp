#include "engine/InternetErrorText.h"
#include <wininet.h>
#include <vector>
#include "framework/CodePage.h"
#include "framework/Strings.h"
#include "regex/MbText.h"
#include "resources/resource.h"

namespace {
const size_t kMaxErrorText = 254;

std::string FromMessageTable(DWORD flags, HMODULE module, DWORD error) {
    char* buffer = nullptr;
    // Inserts are never expanded: a message with "%1" comes out as written.
    DWORD length =
        FormatMessageA(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, module, error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length && buffer ? std::string(buffer, length) : std::string();
    if (buffer) LocalFree(buffer);
    // Message tables end their texts with a line break the status line
    // would show as a stray mark.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// The program's own words for failures that a network library may have no text for (Wine's
// has none for an untrusted certificate authority, among others).
UINT OwnText(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_INVALID_CA: return IDS_INVALID_CA;
    case ERROR_INTERNET_SEC_CERT_ERRORS: return IDS_CERT_ERRORS;
    case ERROR_INTERNET_SEC_INVALID_CERT: return IDS_INVALID_CERT;
    case ERROR_INTERNET_SEC_CERT_REVOKED: return IDS_CERT_REVOKED;
    case ERROR_INTERNET_SEC_CERT_NO_REV:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED: return IDS_CERT_NOT_CHECKED;
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR: return IDS_SECURE_CHANNEL;
    case ERROR_INTERNET_CONNECTION_RESET: return IDS_CONNECTION_RESET;
    default: return 0;
    }
}

std::string LastResponseText() {
    DWORD code = 0, length = 0;
    InternetGetLastResponseInfoA(&code, nullptr, &length);
    if (length == 0) return std::string();
    std::vector<char> buffer(length + 1, '\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!InternetGetLastResponseInfoA(&code, buffer.data(), &size)) return std::string();
    return std::string(buffer.data(), size < buffer.size() ? size : buffer.size() - 1);
}
}  // namespace

std::string InternetErrorText(DWORD error) {
    std::string text;
    if (error == ERROR_INTERNET_EXTENDED_ERROR) {
        text = LastResponseText();
    } else {
        HMODULE wininet = GetModuleHandleA("wininet.dll");
        if (wininet) text = FromMessageTable(FORMAT_MESSAGE_FROM_HMODULE, wininet, error);
        if (text.empty()) text = FromMessageTable(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error);
    }
    if (text.empty() && OwnText(error)) text = LoadResString(OwnText(error));
    if (text.empty()) text = FormatResString(IDS_NETWORK_ERROR, std::to_string(error));
    if (text.size() > kMaxErrorText)
        text.resize(mbtext::CharBoundaryAtOrBefore(text, kMaxErrorText, AnsiLeadByteTest()));
    return text;
}
