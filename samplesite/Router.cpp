#include "samplesite/Router.h"

#include <fstream>
#include <iterator>

#include "samplesite/SentBytes.h"
#include "samplesite/StreamBytes.h"
#include "samplesite/WatchPages.h"

namespace samplesite {

namespace {

bool IsSafeId(const std::string& id) {
    if (id.empty() || id.size() > 64) return false;
    for (char c : id) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok) return false;
    }
    return true;
}

// "bytes=N-" (the only form a download continues with); false for any other Range.
bool RangeStart(const std::string& range, std::uint64_t& start) {
    const std::string prefix = "bytes=";
    if (range.compare(0, prefix.size(), prefix) != 0 || range.back() != '-') return false;
    std::string digits = range.substr(prefix.size(), range.size() - prefix.size() - 1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    start = std::stoull(digits);
    return true;
}

// ranges=1: ranges are offered and a "Range: bytes=N-" is answered with the rest of the body
// (206); ranges=ignore: offered, yet every request gets the whole body (200).
void ApplyRange(const HttpRequest& request, Response& response) {
    std::string ranges = request.Param("ranges");
    if (ranges != "1" && ranges != "ignore") return;
    response.acceptRanges = true;
    std::uint64_t start = 0;
    if (ranges != "1" || !RangeStart(request.Header("Range"), start)) return;
    std::uint64_t size = response.body.Size();
    if (start >= size) {
        SetErrorPage(response, 416);
        response.contentRange = "bytes */" + std::to_string(size);
        return;
    }
    response.status = 206;
    response.from = start;
    response.contentRange =
        "bytes " + std::to_string(start) + "-" + std::to_string(size - 1) + "/" + std::to_string(size);
}

int StatusParam(const HttpRequest& request) {
    std::uint64_t status = request.NumberParam("status", 200);
    return (status >= 100 && status <= 999) ? static_cast<int>(status) : 200;
}

}  // namespace

const char* ReasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 410: return "Gone";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

void SetErrorPage(Response& response, int status) {
    std::string line = std::to_string(status) + " " + ReasonPhrase(status);
    response.status = status;
    response.contentType = "text/html";
    response.body = Body();
    response.body.AddText("<html><head><title>" + line + "</title></head><body><h1>" + line + "</h1></body></html>\n");
}

void Router::Route(const HttpRequest& request, Response& response) const {
    const std::string& path = request.Path();
    if (request.Method() != "GET" && request.Method() != "HEAD") {
        SetErrorPage(response, 405);
    } else if (request.Param("tohttps") == "1" && !request.InTunnel()) {
        SetErrorPage(response, 301);
        response.location = request.HttpsAddressWithout("tohttps");
    } else if (path == "/watch") {
        Watch(request, response);
    } else if (path == "/get_video") {
        Video(request, response);
    } else if (path == "/page") {
        Page(request, response);
    } else if (path == "/bytes") {
        Bytes(request, response);
    } else if (path == "/stats") {
        response.contentType = "text/plain";
        response.body.AddText("body_bytes_sent " + std::to_string(SentBodyBytes().load()) + "\n");
    } else if (path == "/quit") {
        response.contentType = "text/plain";
        response.body.AddText("bye\n");
        response.quitAfter = true;
    } else {
        SetErrorPage(response, 404);
    }
    response.sendBody = request.Method() != "HEAD";
    response.silent = request.Param("silent") == "1";
}

void Router::Watch(const HttpRequest& request, Response& response) const {
    std::string id = request.Param("v");
    if (!PageFromFolder(id, response) && !BuildWatchPage(id, response)) {
        SetErrorPage(response, 404);
    } else if (request.HasParam("charset")) {
        // The header names the page's character set, as the real site's does.
        std::string charset = request.Param("charset");
        response.contentType = charset.empty() ? "text/html" : "text/html; charset=" + charset;
    }
}

// A page in the folder wins over a built-in one of the same id, so a test can replace any.
bool Router::PageFromFolder(const std::string& id, Response& response) const {
    if (pagesDir.empty() || !IsSafeId(id)) return false;
    std::ifstream file(pagesDir + "/" + id + ".html", std::ios::binary);
    if (!file) return false;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    response.contentType = "text/html";
    response.body.AddText(text);
    return true;
}

void Router::Video(const HttpRequest& request, Response& response) const {
    if (request.Param("redirect") == "1") {
        SetErrorPage(response, 302);
        response.location = request.AddressWithout("redirect");
        return;
    }
    int status = StatusParam(request);
    if (status != 200) {
        SetErrorPage(response, status);
        return;
    }
    std::uint64_t size = request.NumberParam("size", kDefaultStreamSize);
    std::uint64_t header = size < kFlvHeaderSize ? size : kFlvHeaderSize;
    response.contentType = "video/x-flv";
    response.body.AddText(std::string(reinterpret_cast<const char*>(kFlvHeader), header));
    response.body.AddFiller(Filler::Pattern, size - header);
    ApplyDelivery(request, response);
}

void Router::Page(const HttpRequest& request, Response& response) const {
    std::uint64_t size = request.NumberParam("size", 4096);
    std::string start = request.Param("unterminated") == "1" ? "<html><title>x</title> var swfArgs = {" : "";
    if (start.size() > size) start.resize(static_cast<std::size_t>(size));
    response.status = StatusParam(request);
    response.contentType = "text/plain";
    response.body.AddText(start);
    response.body.AddFiller(Filler::PageText, size - start.size());
    ApplyDelivery(request, response);
}

void Router::Bytes(const HttpRequest& request, Response& response) const {
    response.contentType = "application/octet-stream";
    response.body.AddFiller(Filler::Pattern, request.NumberParam("size", 1024));
    ApplyDelivery(request, response);
}

// Parameters that only shape how a body is sent are shared by every generated endpoint. A
// stall, reset, close or pause comes N bytes into each answer, into the first `cuts` answers of a
// download when that is given.
void Router::ApplyDelivery(const HttpRequest& request, Response& response) const {
    response.counted = true;
    response.sendLength = request.Param("nolength") != "1";
    response.bytesPerSecond = request.NumberParam("rate", 0);
    ApplyRange(request, response);
    bool continuation = !request.Header("Range").empty();
    if (request.HasParam("cuts") &&
        !cutCounter.IsCut(request.Path() + "?" + request.RawQuery(), continuation, request.NumberParam("cuts", 0)))
        return;
    if (request.HasParam("stall")) response.stallAfter = request.NumberParam("stall", 0);
    if (request.HasParam("reset")) response.resetAfter = request.NumberParam("reset", 0);
    if (request.HasParam("close")) response.closeAfter = request.NumberParam("close", 0);
    if (request.HasParam("pause")) {
        response.pauseAfter = request.NumberParam("pause", 0);
        response.pauseMs = static_cast<int>(std::min<std::uint64_t>(request.NumberParam("pausems", 3000), 60000));
    }
}

}  // namespace samplesite
