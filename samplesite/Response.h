#pragma once
// What the site decided to answer to one request, and how to misbehave while sending it.
#include <cstdint>
#include <optional>
#include <string>

#include "samplesite/Body.h"

namespace samplesite {

struct Response {
    int status = 200;
    std::string contentType = "text/html";
    std::string location;      // sent as Location when not empty
    std::string contentRange;  // sent as Content-Range when not empty
    Body body;
    std::uint64_t from = 0;                   // the body is sent from this offset (a 206 answer to a range)
    bool acceptRanges = false;                // says "Accept-Ranges: bytes"
    bool sendLength = true;                   // false: no Content-Length, the close ends the body
    bool sendBody = true;                     // false for HEAD
    std::uint64_t bytesPerSecond = 0;         // 0: as fast as the socket takes it
    std::optional<std::uint64_t> stallAfter;  // send this much, then go silent
    std::optional<std::uint64_t> resetAfter;  // send this much, then reset the connection
    std::optional<std::uint64_t> closeAfter;  // send this much, then end the connection in order
    std::optional<std::uint64_t> pauseAfter;  // send this much, be silent for pauseMs, then send the rest
    int pauseMs = 3000;
    bool quitAfter = false;                   // the whole site stops once this is sent
    bool silent = false;                      // no answer at all; the connection is held open
    bool counted = false;                     // its body adds to /stats (not /stats itself)
};

}  // namespace samplesite
