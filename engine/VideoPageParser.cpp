#include "engine/VideoPageParser.h"

bool VideoPageParser::Resolve(const std::string& page, UINT codePage, VideoInfo& info) {
    if (!ExtractStreamUrl(page, codePage, info.streamUrl)) return false;
    return ExtractTitle(page, codePage, info.title);
}
