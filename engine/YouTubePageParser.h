// The video site's watch page: the player's argument object becomes the
// query of the stream request, the title element the title.
#pragma once
#include "engine/VideoPageParser.h"

class YouTubePageParser : public VideoPageParser {
public:
    static const char* const kDomain;  // "youtube.com"
    static const char* const kOrigin;  // "http://www.youtube.com"

    bool ExtractStreamUrl(const std::string& page, UINT codePage, std::string& streamUrl) override;
    bool ExtractTitle(const std::string& page, UINT codePage, std::string& title) override;
};
