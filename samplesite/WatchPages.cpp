#include "samplesite/WatchPages.h"

namespace samplesite {

namespace {

// Scripts with braces of their own come before the player arguments, as on the real site:
// only the text from "var swfArgs = {" on may matter to the program.
std::string PageHead(const std::string& titleElement, const std::string& charset) {
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
           "<html lang=\"en\">\n<head>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
           charset + "\">\n" + titleElement +
           "<link rel=\"stylesheet\" href=\"/css/watch.css\" type=\"text/css\">\n"
           "<script type=\"text/javascript\">\n"
           "\tfunction toggleComments(id) { var e = document.getElementById(id);"
           " e.style.display = e.style.display == 'none' ? '' : 'none'; }\n"
           "</script>\n</head>\n<body>\n<div id=\"masthead\"><a href=\"/\">Home</a> |"
           " <a href=\"/browse\">Videos</a> | <a href=\"/members\">Channels</a></div>\n";
}

std::string Title(const std::string& text) {
    return "<title>" + text + "</title>\n";
}

std::string PlayerScript(const std::string& argsObject) {
    return "<div id=\"watch-player-div\">\n<script type=\"text/javascript\">\n"
           "\tvar swfArgs = " +
           argsObject +
           ";\n"
           "\tvar fo = new SWFObject(\"/player2.swf\", \"movie_player\", \"480\", \"395\", \"7\");\n"
           "\tfo.write(\"watch-player-div\");\n</script>\n</div>\n";
}

std::string PageTail(const std::string& heading) {
    return "<h1 id=\"video_title\">" + heading +
           "</h1>\n"
           "<div id=\"watch-comments\"><p>No comments yet.</p></div>\n"
           "<div id=\"footer\">Copyright 2008</div>\n</body>\n</html>\n";
}

void SetPage(Response& response, const std::string& text) {
    response.contentType = "text/html; charset=utf-8";
    response.body.AddText(text);
}

// Pads a page to exactly kOversizedPageBytes with filler that holds no brace.
void SetOversizedPage(Response& response, const std::string& start, const std::string& end) {
    response.contentType = "text/html; charset=utf-8";
    response.body.AddText(start);
    response.body.AddFiller(Filler::PageText, kOversizedPageBytes - start.size() - end.size());
    response.body.AddText(end);
}

}  // namespace

bool BuildWatchPage(const std::string& id, Response& response) {
    const std::string utf8 = "utf-8";
    if (id == "sample") {
        SetPage(response, PageHead(Title("YouTube - Sample clip"), utf8) +
                              PlayerScript("{video_id:'sample',l:'30',t:'OEgsToPDskJ',size:'2000000'}") +
                              PageTail("Sample clip"));
    } else if (id == "notitle") {
        SetPage(response, PageHead("", utf8) +
                              PlayerScript("{video_id:'notitle',l:'12',t:'NoTitle0001',size:'100000'}") +
                              PageTail("A page without a title element"));
    } else if (id == "noargs") {
        SetPage(response, PageHead(Title("YouTube - No player here"), utf8) +
                              "<div id=\"watch-player-div\"><p>This video has been removed.</p></div>\n" +
                              PageTail("No player here"));
    } else if (id == "twoargs") {
        SetPage(response, PageHead(Title("YouTube - Two players"), utf8) +
                              PlayerScript("{video_id:'twoargs',l:'20',t:'FirstArgs01',size:'300000'}") +
                              PlayerScript("{video_id:'twoargs',l:'50',t:'SecondArgs2',size:'700000'}") +
                              PageTail("Two players"));
    } else if (id == "big") {
        SetOversizedPage(
            response,
            PageHead(Title("YouTube - Big page"), utf8) + "<script type=\"text/javascript\">\n\tvar swfArgs = {", "\n");
    } else if (id == "huge") {
        SetOversizedPage(response,
                         PageHead(Title("YouTube - Huge page"), utf8) +
                             PlayerScript("{video_id:'huge',l:'40',t:'HugePage001',size:'500000'}"),
                         PageTail("Huge page"));
    } else if (id == "status404") {
        response.status = 404;
        SetPage(response, PageHead(Title("YouTube - Page not found"), utf8) +
                              "<p>The video you requested is not available.</p>\n" + PageTail("Page not found"));
    } else if (id == "sjis") {
        // Each of these double-byte characters has an ASCII trail byte: 0x5C "\" and 0x7D "}".
        const std::string title = "\x95\x5C\x8E\x7D sample \x83\x5C\x83\x74\x83\x67";
        response.contentType = "text/html; charset=Shift_JIS";
        response.body.AddText(PageHead(Title("YouTube - " + title), "Shift_JIS") +
                              PlayerScript("{video_id:'sjis',l:'15',t:'SjisTitle01',size:'65536'}") + PageTail(title));
    } else {
        return false;
    }
    return true;
}

}  // namespace samplesite
