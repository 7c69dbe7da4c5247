// From a watch-page address to a VideoInfo: which addresses are accepted,
// fetching the page, and the job's resolving step with its messages.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include "engine/HttpDownloader.h"
#include "engine/VideoInfo.h"
#include "engine/VideoPageParser.h"

// The address names the video site's domain anywhere, in any letter case.
bool IsSupportedSite(const std::string& address);

// The parser for the address, or null when it is not a URL (no scheme) or
// not of a supported site.
std::unique_ptr<VideoPageParser> CreatePageParser(const std::string& address);

// The page body, into *page, and its Content-Type header into *contentType.
// False when it could not be opened, the stop flag was set, it was empty,
// or it was larger than the page limit; then *reason says why (empty after
// a stop).
bool FetchPage(HttpDownloader& downloader, const std::string& address, std::string* page, std::string* contentType,
               std::string* reason);

// The job's step: accepts the address, fetches and parses the page. On
// failure shows 2115, 2116 (with the reason after a blank line; none after
// a stop) or 2117, owned by owner, and returns false.
bool ResolveVideo(HttpDownloader& downloader, const std::string& address, VideoInfo& info, HWND owner);
