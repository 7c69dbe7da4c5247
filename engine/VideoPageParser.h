// Reads one site's watch page: where the stream is and what the video is
// called. Parsers hold no data.
#pragma once
#include <string>
#include "engine/VideoInfo.h"

class VideoPageParser {
public:
    virtual ~VideoPageParser() = default;

    // Both parts or nothing: a page whose stream is found but whose title
    // is missing does not resolve. May leave info changed when false.
    virtual bool Resolve(const std::string& page, VideoInfo& info);
    // Each writes its result only on success.
    virtual bool ExtractStreamUrl(const std::string& page, std::string& streamUrl) = 0;
    virtual bool ExtractTitle(const std::string& page, std::string& title) = 0;
};
