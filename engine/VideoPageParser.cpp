#include "engine/VideoPageParser.h"

bool VideoPageParser::Resolve(const std::string& page, VideoInfo& info) {
    if (!ExtractStreamUrl(page, info.streamUrl)) return false;
    return ExtractTitle(page, info.title);
}
