#include "samplesite/HttpRequest.h"

#include <cctype>
#include <cstdlib>

namespace samplesite {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

// The program passes the page's text on unencoded, while WinINet may encode it; both must
// mean the same to us.
std::string PercentDecode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        int high = text[i] == '%' && i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

bool HttpRequest::Parse(const std::string& head) {
    std::size_t lineEnd = head.find("\r\n");
    std::string line = head.substr(0, lineEnd);
    // The target may hold blanks (the program does not encode what it copies from a page), so
    // the method ends at the first blank and the version starts after the last one.
    std::size_t first = line.find(' ');
    std::size_t last = line.rfind(' ');
    if (first == std::string::npos || first == 0) return false;
    method = line.substr(0, first);
    if (last > first && line.compare(last + 1, 5, "HTTP/") == 0) {
        target = line.substr(first + 1, last - first - 1);
    } else {
        target = line.substr(first + 1);  // HTTP/0.9 style, or no version at all
    }
    if (target.empty()) return false;
    this->head = head;
    hostHeader = Header("host");
    SplitTarget();
    ParseQuery();
    return true;
}

void HttpRequest::SplitTarget() {
    std::string rest = target;
    absoluteForm = Lower(target.substr(0, 7)) == "http://";
    if (absoluteForm) {
        std::size_t slash = target.find('/', 7);
        std::size_t question = target.find('?', 7);
        std::size_t end = slash < question ? slash : question;
        authority = target.substr(7, end == std::string::npos ? std::string::npos : end - 7);
        rest = end == std::string::npos ? "/" : target.substr(end);
        if (rest[0] == '?') rest = "/" + rest;
    }
    std::size_t question = rest.find('?');
    path = rest.substr(0, question);
    query = question == std::string::npos ? std::string() : rest.substr(question + 1);
}

void HttpRequest::ParseQuery() {
    params.clear();
    std::size_t start = 0;
    while (start <= query.size() && !query.empty()) {
        std::size_t end = query.find('&', start);
        std::string item = query.substr(start, end == std::string::npos ? end : end - start);
        std::size_t equals = item.find('=');
        std::string key = Trim(PercentDecode(item.substr(0, equals)));
        std::string value = equals == std::string::npos ? std::string() : Trim(PercentDecode(item.substr(equals + 1)));
        if (!key.empty()) params.emplace_back(key, value);
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

std::string HttpRequest::Header(const std::string& name) const {
    std::size_t pos = head.find("\r\n");
    while (pos != std::string::npos) {
        std::size_t next = head.find("\r\n", pos + 2);
        std::string line = head.substr(pos + 2, next == std::string::npos ? next : next - pos - 2);
        std::size_t colon = line.find(':');
        if (colon != std::string::npos && Lower(Trim(line.substr(0, colon))) == Lower(name))
            return Trim(line.substr(colon + 1));
        pos = next;
    }
    return std::string();
}

std::string HttpRequest::Param(const std::string& name) const {
    for (const auto& param : params) {
        if (param.first == name) return param.second;
    }
    return std::string();
}

bool HttpRequest::HasParam(const std::string& name) const {
    for (const auto& param : params) {
        if (param.first == name) return true;
    }
    return false;
}

std::uint64_t HttpRequest::NumberParam(const std::string& name, std::uint64_t fallback) const {
    std::string value = Param(name);
    if (value.empty() || !std::isdigit(static_cast<unsigned char>(value[0]))) return fallback;
    char* end = nullptr;
    unsigned long long number = std::strtoull(value.c_str(), &end, 10);
    return *end == '\0' ? static_cast<std::uint64_t>(number) : fallback;
}

std::string HttpRequest::AddressWithout(const std::string& name) const {
    std::string pathAndQuery = PathAndQueryWithout(name);
    if (InTunnel()) return "https://" + tunnelHost + pathAndQuery;
    if (absoluteForm) return target.substr(0, 7) + authority + pathAndQuery;
    if (!hostHeader.empty()) return "http://" + hostHeader + pathAndQuery;
    return pathAndQuery;
}

std::string HttpRequest::HttpsAddressWithout(const std::string& name) const {
    std::string host = InTunnel() ? tunnelHost : absoluteForm ? authority : hostHeader;
    return "https://" + host.substr(0, host.find(':')) + PathAndQueryWithout(name);
}

std::string HttpRequest::PathAndQueryWithout(const std::string& name) const {
    std::string kept;
    std::size_t start = 0;
    while (start < query.size()) {
        std::size_t end = query.find('&', start);
        std::string item = query.substr(start, end == std::string::npos ? end : end - start);
        std::string key = Trim(PercentDecode(item.substr(0, item.find('='))));
        if (key != name) kept += (kept.empty() ? "" : "&") + item;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return path + (kept.empty() ? "" : "?" + kept);
}

}  // namespace samplesite
