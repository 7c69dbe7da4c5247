#pragma once

// Watch-page-like text of a given size for the benchmark and the tests:
// markup, prose, style and script blocks with braces, a title near the top
// and the player's argument object near the end.

#include <cstdint>
#include <string>

namespace samplepages {

constexpr const char* kSwfArgs =
    "var swfArgs = {\"video_id\": \"Xq3bT9kLm2w\", \"l\": 213, \"sk\": "
    "\"rTqPz0aLXv8Hn9vKqJfA1w\", \"t\": \"vjVQa1PpcFNdB5S7wVr-0nkY3sE=\", \"hl\": \"en\", "
    "\"plid\": \"AARw3PqZkLm0cC3wAAAAIAAA\", \"fmt_map\": \"34/0/9/0/115,5/0/7/0/0\"}";

// `braces`: whether the filler may hold "{" and "}" (style and script blocks).
inline std::string Filler(size_t bytes, uint32_t seed, bool braces) {
    static const char* const kPieces[] = {
        "<div class=\"watch-comment\"><a href=\"/user/someone\">someone</a> said:\n",
        "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor.</p>\n",
        "<li><a href=\"/watch?v=AbCdEfGhIjK\" title=\"Another video\">Another video</a></li>\n",
        "<img src=\"http://i.ytimg.com/vi/AbCdEfGhIjK/default.jpg\" width=\"120\" height=\"90\">\n",
        "<span id=\"watch-views\">1,234,567 views</span></div>\n",
        "<td><input type=\"hidden\" name=\"session_token\" value=\"a8Fq0-zz\"></td>\n",
        "<style>.watch-title { font-weight: bold; color: #333; }</style>\n",
        "<script>if (window.yt) { yt.setConfig({'SWF_URL': '/player.swf'}); }</script>\n",
    };
    const size_t count = braces ? 8 : 6;
    std::string out;
    out.reserve(bytes + 128);
    uint32_t x = seed * 2654435761u + 1;
    while (out.size() < bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out += kPieces[x % count];
    }
    out.resize(bytes);
    return out;
}

// About `bytes` long; the title near the top, the argument object in the
// last few kilobytes.
inline std::string Page(size_t bytes, uint32_t seed = 1) {
    const std::string head = "<html><head>\n<title>YouTube - A sample video</title>\n</head><body>\n";
    const std::string tail = std::string("<script>\n") + kSwfArgs + ";\n</script>\n</body></html>\n";
    const size_t rest = bytes > head.size() + tail.size() + 4096 ? bytes - head.size() - tail.size() - 4096 : 0;
    return head + Filler(rest, seed, true) + tail + Filler(4096, seed + 1, true);
}

// The worst case for a lazy search: the opening text near the top and
// nothing after it that closes it.
inline std::string UnterminatedPage(size_t bytes, const std::string& opening, uint32_t seed = 1) {
    const std::string head = "<html><head>\n<script>\n" + opening;
    return head + Filler(bytes > head.size() ? bytes - head.size() : 0, seed, false);
}

}  // namespace samplepages
