#include "engine/PageResolver.h"
#include <shlwapi.h>
#include "engine/PageText.h"
#include "engine/YouTubePageParser.h"
#include "framework/CodePage.h"
#include "framework/Strings.h"
#include "regex/Regex.h"
#include "resources/resource.h"

namespace {

// A pattern that finds text in any letter case, on whole characters:
// "youtube.com" becomes "[yY][oO]...\.[cC][oO][mM]".
std::string AnyCasePattern(const std::string& text) {
    std::string pattern;
    for (char c : text) {
        if (c >= 'a' && c <= 'z')
            pattern += std::string("[") + c + static_cast<char>(c - 'a' + 'A') + "]";
        else if (c >= 'A' && c <= 'Z')
            pattern += std::string("[") + static_cast<char>(c - 'A' + 'a') + c + "]";
        else if (c >= '0' && c <= '9')
            pattern += c;
        else
            pattern += std::string("\\") + c;
    }
    return pattern;
}

}  // namespace

bool IsSupportedSite(const std::string& address) {
    Regex domain;
    if (!domain.Compile(AnyCasePattern(YouTubePageParser::kDomain))) return false;
    domain.SetLeadByteTest(AnsiLeadByteTest());
    return domain.Search(address, nullptr, nullptr);
}

std::unique_ptr<VideoPageParser> CreatePageParser(const std::string& address) {
    if (!PathIsURLA(address.c_str()) || !IsSupportedSite(address)) return nullptr;
    return std::unique_ptr<VideoPageParser>(new YouTubePageParser());
}

bool FetchPage(HttpDownloader& downloader, const std::string& address, std::string* page, std::string* contentType,
               std::string* reason) {
    downloader.SetChunkSize(4096);
    PageBuffer buffer;
    // The page's HTTP status is not looked at: an error page is parsed like
    // any other and normally holds no video.
    if (!downloader.Download(address, buffer)) {
        *reason = downloader.FailureText();
        return false;
    }
    if (buffer.Text().empty()) {
        *reason = LoadResString(IDS_EMPTY_PAGE);
        return false;
    }
    *page = buffer.TakeText();
    *contentType = buffer.ContentType();
    return true;
}

bool ResolveVideo(HttpDownloader& downloader, const std::string& address, VideoInfo& info, HWND owner) {
    std::unique_ptr<VideoPageParser> parser = CreatePageParser(address);
    if (!parser) {
        ShowMessage(owner, IDS_UNSUPPORTED_URL, address);
        return false;
    }
    std::string page, contentType, reason;
    if (!FetchPage(downloader, address, &page, &contentType, &reason)) {
        // Whoever pressed Stop or closed the window knows why. A refused
        // certificate must not look like a network outage: the network
        // library's reason comes after a blank line.
        if (!downloader.StopRequested())
            ShowMessageText(owner,
                            FormatResString(IDS_CANNOT_OPEN_PAGE, address) + (reason.empty() ? "" : "\n\n" + reason));
        return false;
    }
    bool resolved = parser->Resolve(page, PageCodePage(page, contentType), info);
    std::string().swap(page);
    parser.reset();
    if (resolved) return true;
    ShowMessage(owner, IDS_NO_VIDEO);
    return false;
}
