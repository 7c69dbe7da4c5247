#include "tests/engine/EngineTestSupport.h"
#include <wininet.h>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include "samplesite/StreamBytes.h"

namespace engine_testing {

namespace {
const char* const kInternetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
}

std::vector<std::string> Recorder::Outline() const {
    std::vector<std::string> lines;
    for (const Call& call : calls)
        if (call.line.rfind("status ", 0) != 0) lines.push_back(call.line);
    return lines;
}

std::string Recorder::LastStatus() const {
    for (auto call = calls.rbegin(); call != calls.rend(); ++call)
        if (call->line.rfind("status ", 0) == 0) return call->line.substr(7);
    return "<none>";
}

int Recorder::Count(const std::string& line) const {
    int count = 0;
    for (const Call& call : calls) count += call.line == line;
    return count;
}

std::string Recorder::Dump() const {
    std::string text;
    for (const Call& call : calls) text += "[" + call.line + "]\n";
    return text;
}

std::string SitePort() {
    const char* port = std::getenv("FH_SITE_PORT");
    return port ? port : "";
}

std::string SiteUrl(const std::string& pathAndQuery) {
    return "http://127.0.0.1:" + SitePort() + pathAndQuery;
}

SiteProxy::SiteProxy() {
    DWORD size = sizeof(enable);
    hadEnable = RegGetValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", RRF_RT_REG_DWORD, nullptr,
                             &enable, &size) == ERROR_SUCCESS;
    char text[1024] = "";
    size = sizeof(text);
    hadServer = RegGetValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer", RRF_RT_REG_SZ, nullptr, text,
                             &size) == ERROR_SUCCESS;
    server = text;
    DWORD one = 1;
    std::string proxy = "127.0.0.1:" + SitePort();
    RegSetKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", REG_DWORD, &one, sizeof(one));
    RegSetKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer", REG_SZ, proxy.c_str(),
                    static_cast<DWORD>(proxy.size() + 1));
}

SiteProxy::~SiteProxy() {
    if (hadEnable)
        RegSetKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", REG_DWORD, &enable, sizeof(enable));
    else
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable");
    if (hadServer)
        RegSetKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer", REG_SZ, server.c_str(),
                        static_cast<DWORD>(server.size() + 1));
    else
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer");
}

std::string ProxyOfNewSession() {
    HINTERNET session = InternetOpenA("probe", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    char buffer[4096] = {};
    DWORD size = sizeof(buffer);
    std::string proxy;
    if (session && InternetQueryOptionA(session, INTERNET_OPTION_PROXY, buffer, &size)) {
        auto* info = reinterpret_cast<INTERNET_PROXY_INFO*>(buffer);
        if (info->dwAccessType == INTERNET_OPEN_TYPE_PROXY && info->lpszProxy)
            proxy = reinterpret_cast<const char*>(info->lpszProxy);
    }
    if (session) InternetCloseHandle(session);
    return proxy;
}

bool SiteProxyInEffect() {
    return !SitePort().empty() && ProxyOfNewSession() == "127.0.0.1:" + SitePort();
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

size_t Mismatch(const std::string& bytes, bool flvHeader) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char expected = flvHeader ? samplesite::StreamByteAt(i) : samplesite::PatternByteAt(i);
        if (static_cast<unsigned char>(bytes[i]) != expected) return i;
    }
    return bytes.size();
}

}  // namespace engine_testing
