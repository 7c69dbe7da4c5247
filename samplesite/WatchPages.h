#pragma once
// The built-in watch pages, one per situation the program's page resolver must handle.
//   sample     a plausible page: title "YouTube - Sample clip", one swfArgs object
//   notitle    swfArgs but no <title> element
//   noargs     a title but no swfArgs
//   twoargs    two swfArgs objects; the first asks for a smaller stream than the second
//   big        40 MiB, "var swfArgs = {" with no "}" anywhere after it
//   huge       40 MiB, otherwise valid (title and swfArgs near the top)
//   status404  HTTP 404 whose body is a page without swfArgs
//   sjis       Shift-JIS title whose trail bytes include 0x5C and 0x7D; ASCII swfArgs
#include <cstdint>
#include <string>

#include "samplesite/Response.h"

namespace samplesite {

constexpr std::uint64_t kOversizedPageBytes = 40ull * 1024 * 1024;

// Fills `response` with the page for the watch id; false when the id is not built in.
bool BuildWatchPage(const std::string& id, Response& response);

}  // namespace samplesite
