#include "engine/HttpAnswer.h"

namespace {

// A header's text; empty when it is missing or longer than a header of these kinds can be.
std::string HeaderText(HINTERNET response, DWORD query) {
    char text[256] = "";
    DWORD size = sizeof(text);
    if (!HttpQueryInfoA(response, query, text, &size, nullptr)) return std::string();
    return std::string(text, size < sizeof(text) ? size : sizeof(text) - 1);
}

// Reads decimal digits at *at into *value; false when there are none or they overflow.
bool ReadNumber(const std::string& text, size_t* at, unsigned long long* value) {
    size_t start = *at;
    *value = 0;
    for (; *at < text.size() && text[*at] >= '0' && text[*at] <= '9'; ++*at) {
        if (*value > (~0ull - 9) / 10) return false;
        *value = *value * 10 + static_cast<unsigned>(text[*at] - '0');
    }
    return *at > start;
}

// The answer's status code; 0 when it cannot be read.
DWORD StatusCode(HINTERNET response) {
    DWORD status = 0, size = sizeof(status);
    return HttpQueryInfoA(response, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ? status
                                                                                                              : 0;
}

}  // namespace

unsigned long long ContentLength(HINTERNET response) {
    std::string text = HeaderText(response, HTTP_QUERY_CONTENT_LENGTH);
    size_t at = 0;
    unsigned long long length = 0;
    return ReadNumber(text, &at, &length) ? length : 0;
}

std::string ContentType(HINTERNET response) {
    return HeaderText(response, HTTP_QUERY_CONTENT_TYPE);
}

std::string HttpErrorAnswer(HINTERNET response) {
    DWORD status = StatusCode(response);
    if (status < 400) return std::string();
    std::string reason = HeaderText(response, HTTP_QUERY_STATUS_TEXT);
    return std::to_string(status) + (reason.empty() ? "" : " " + reason);
}

bool OffersByteRanges(HINTERNET response) {
    return lstrcmpiA(HeaderText(response, HTTP_QUERY_ACCEPT_RANGES).c_str(), "bytes") == 0;
}

bool ContinuesAt(HINTERNET response, unsigned long long from, unsigned long long total) {
    if (StatusCode(response) != 206) return false;
    // "bytes FIRST-LAST/TOTAL"
    std::string range = HeaderText(response, HTTP_QUERY_CONTENT_RANGE);
    const std::string unit = "bytes ";
    if (range.compare(0, unit.size(), unit) != 0) return false;
    size_t at = unit.size();
    unsigned long long first = 0, last = 0, named = 0;
    if (!ReadNumber(range, &at, &first) || first != from || at >= range.size() || range[at++] != '-' ||
        !ReadNumber(range, &at, &last) || last < first || at >= range.size() || range[at++] != '/')
        return false;
    if (total == 0) return true;
    return ReadNumber(range, &at, &named) && at == range.size() && named == total;
}
