#pragma once
// Decides the answer to a request. Any host is served the same: the program reaches us
// through a proxy setting and asks for the real site's host name.
#include <cstdint>
#include <string>
#include <utility>

#include "samplesite/CutCounter.h"
#include "samplesite/HttpRequest.h"
#include "samplesite/Response.h"

namespace samplesite {

class Router {
public:
    // Stream size when /get_video names none.
    static constexpr std::uint64_t kDefaultStreamSize = 1048576;

    explicit Router(std::string pagesDir) : pagesDir(std::move(pagesDir)) {}

    void Route(const HttpRequest& request, Response& response) const;

private:
    void Watch(const HttpRequest& request, Response& response) const;
    bool PageFromFolder(const std::string& id, Response& response) const;
    void Video(const HttpRequest& request, Response& response) const;
    void Page(const HttpRequest& request, Response& response) const;
    void Bytes(const HttpRequest& request, Response& response) const;
    void ApplyDelivery(const HttpRequest& request, Response& response) const;

    std::string pagesDir;
    // Answers of different connections share it; it guards itself.
    mutable CutCounter cutCounter;
};

// A small HTML page for an error status.
void SetErrorPage(Response& response, int status);
const char* ReasonPhrase(int status);

}  // namespace samplesite
