// Reads one site's watch page: where the stream is and what the video is
// called. Parsers hold no data.
#pragma once
#include <windows.h>
#include <string>
#include "engine/VideoInfo.h"

class VideoPageParser {
public:
    virtual ~VideoPageParser() = default;

    // Both parts or nothing: a page whose stream is found but whose title
    // is missing does not resolve. May leave info changed when false. The
    // page is read in the characters of its code page (PageCodePage); the
    // stream's address keeps the page's bytes, the title is decoded into
    // the program's code page.
    virtual bool Resolve(const std::string& page, UINT codePage, VideoInfo& info);
    // Each writes its result only on success.
    virtual bool ExtractStreamUrl(const std::string& page, UINT codePage, std::string& streamUrl) = 0;
    virtual bool ExtractTitle(const std::string& page, UINT codePage, std::string& title) = 0;
};
