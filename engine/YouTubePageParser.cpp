#include "engine/YouTubePageParser.h"
#include "engine/PageText.h"
#include "framework/CodePage.h"
#include "regex/Regex.h"

const char* const YouTubePageParser::kDomain = "youtube.com";
const char* const YouTubePageParser::kOrigin = "http://www.youtube.com";

namespace {

// The text of the leftmost match of pattern, read in the characters of the
// page's code page; false when there is none.
bool FindFirst(const std::string& page, const char* pattern, UINT codePage, std::string* match) {
    Regex regex;
    if (!regex.Compile(pattern)) return false;
    regex.SetLeadByteTest(LeadByteTestOf(codePage));
    size_t begin = 0, end = 0;
    if (!regex.Search(page, &begin, &end)) return false;
    match->assign(page, begin, end - begin);
    return true;
}

}  // namespace

bool YouTubePageParser::ExtractStreamUrl(const std::string& page, UINT codePage, std::string& streamUrl) {
    std::string match;
    if (!FindFirst(page, "var swfArgs = {(.|\n)*?[}]", codePage, &match)) return false;
    mbtext::LeadByteFn lead = LeadByteTestOf(codePage);
    size_t open = mbtext::FindChar(match, '{', 0, lead);
    size_t close = open == std::string::npos ? open : mbtext::FindChar(match, '}', open + 1, lead);
    if (close == std::string::npos) return false;
    // Every property of the object becomes one query parameter, in page
    // order; no key is known by name.
    std::string query = match.substr(open + 1, close - open - 1);
    query = mbtext::ReplaceChars(query, ":", '=', lead);
    query = mbtext::ReplaceChars(query, ",", '&', lead);
    query = mbtext::RemoveChar(query, '\'', lead);
    streamUrl = std::string(kOrigin) + "/get_video?" + query;
    return true;
}

bool YouTubePageParser::ExtractTitle(const std::string& page, UINT codePage, std::string& title) {
    std::string match;
    if (!FindFirst(page, "<title>(.|\n)*?</title>", codePage, &match)) return false;
    const std::string open = "<title>", close = "</title>", prefix = "YouTube - ";
    // The title as a browser shows it; the rules of a name follow later.
    std::string text = DecodePageText(match.substr(open.size(), match.size() - open.size() - close.size()), codePage);
    if (text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
    title = mbtext::ReplaceChars(text, "\"", '\'', AnsiLeadByteTest());
    return true;
}
