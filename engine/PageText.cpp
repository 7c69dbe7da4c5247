#include "engine/PageText.h"
#include <vector>
#include "framework/CodePage.h"
#include "regex/HtmlReferences.h"

namespace {

struct Charset {
    const char* labels;  // separated by blanks
    UINT codePage;
};

// Names as browsers take them: Latin-1 and ASCII pages are read as
// Windows-1252, as browsers read them.
const Charset kCharsets[] = {
    {"utf-8 utf8 unicode-1-1-utf-8", CP_UTF8},
    {"shift_jis shift-jis sjis x-sjis ms_kanji csshiftjis windows-31j ms932 cp932", 932},
    {"euc-jp x-euc-jp", 20932},
    {"gbk gb2312 x-gbk cp936 windows-936 csgb2312 chinese gb_2312 gb_2312-80", 936},
    {"gb18030", 54936},
    {"big5 big5-hkscs cn-big5 csbig5 x-x-big5 cp950", 950},
    {"euc-kr ks_c_5601-1987 windows-949 cseuckr ksc5601 korean cp949", 949},
    {"windows-874 tis-620 iso-8859-11 dos-874", 874},
    {"iso-8859-1 latin1 l1 iso_8859-1 cp819 ibm819 us-ascii ascii windows-1252 cp1252 x-cp1252", 1252},
    {"windows-1250 cp1250 x-cp1250", 1250},
    {"windows-1251 cp1251 x-cp1251", 1251},
    {"windows-1253 cp1253 x-cp1253", 1253},
    {"windows-1254 cp1254 x-cp1254 iso-8859-9 latin5", 1254},
    {"windows-1255 cp1255 x-cp1255", 1255},
    {"windows-1256 cp1256 x-cp1256", 1256},
    {"windows-1257 cp1257 x-cp1257", 1257},
    {"windows-1258 cp1258 x-cp1258", 1258},
    {"iso-8859-2 latin2 l2", 28592},
    {"iso-8859-3 latin3", 28593},
    {"iso-8859-4 latin4", 28594},
    {"iso-8859-5 cyrillic", 28595},
    {"iso-8859-6 arabic", 28596},
    {"iso-8859-7 greek", 28597},
    {"iso-8859-8 hebrew", 28598},
    {"iso-8859-13", 28603},
    {"iso-8859-15 latin9 l9", 28605},
    {"koi8-r koi8", 20866},
    {"koi8-u koi8-ru", 21866},
    {"ibm866 cp866", 866},
    {"macintosh mac x-mac-roman", 10000},
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The first place of the lower-case `word` in text[from, end), in any
// letter case; npos when there is none.
size_t FindAnyCase(const std::string& text, const std::string& word, size_t from, size_t end) {
    for (size_t at = from; at + word.size() <= end; ++at) {
        size_t i = 0;
        while (i < word.size() && Lower(text[at + i]) == word[i]) ++i;
        if (i == word.size()) return at;
    }
    return std::string::npos;
}

// The charset parameter of a Content-Type value ("text/html; charset=x").
std::string CharsetParameter(const std::string& value) {
    for (size_t at = FindAnyCase(value, "charset", 0, value.size()); at != std::string::npos;
         at = FindAnyCase(value, "charset", at + 7, value.size())) {
        size_t p = at + 7;
        while (p < value.size() && IsBlank(value[p])) ++p;
        if (p >= value.size() || value[p] != '=') continue;
        for (++p; p < value.size() && IsBlank(value[p]);) ++p;
        char quote = p < value.size() && (value[p] == '"' || value[p] == '\'') ? value[p++] : '\0';
        size_t end = p;
        while (end < value.size() && (quote ? value[end] != quote : !IsBlank(value[end]) && value[end] != ';')) ++end;
        return value.substr(p, end - p);
    }
    return std::string();
}

struct Attribute {
    std::string name;  // lower case
    std::string value;
};

// The attributes of the tag whose name ends at text[p], up to its ">".
std::vector<Attribute> TagAttributes(const std::string& text, size_t p) {
    std::vector<Attribute> attributes;
    const size_t n = text.size();
    for (;;) {
        while (p < n && (IsBlank(text[p]) || text[p] == '/')) ++p;
        if (p >= n || text[p] == '>') return attributes;
        Attribute a;
        for (; p < n && !IsBlank(text[p]) && text[p] != '=' && text[p] != '>' && text[p] != '/'; ++p)
            a.name += Lower(text[p]);
        while (p < n && IsBlank(text[p])) ++p;
        if (p < n && text[p] == '=') {
            for (++p; p < n && IsBlank(text[p]);) ++p;
            char quote = p < n && (text[p] == '"' || text[p] == '\'') ? text[p++] : '\0';
            size_t start = p;
            while (p < n && (quote ? text[p] != quote : !IsBlank(text[p]) && text[p] != '>')) ++p;
            a.value = text.substr(start, p - start);
            if (quote && p < n) ++p;
        }
        attributes.push_back(a);
    }
}

std::string Attr(const std::vector<Attribute>& attributes, const char* name) {
    for (const Attribute& a : attributes)
        if (a.name == name) return a.value;
    return std::string();
}

// The code page the first <meta> before the title names. The search goes by
// bytes: in every code page a page can name, "<", quotes, blanks and ">"
// are never part of a multibyte character.
UINT MetaCodePage(const std::string& page) {
    size_t title = page.find("<title>");
    size_t end = title == std::string::npos ? page.size() : title;
    for (size_t at = FindAnyCase(page, "<meta", 0, end); at != std::string::npos;
         at = FindAnyCase(page, "<meta", at + 5, end)) {
        if (at + 5 < page.size() && !IsBlank(page[at + 5]) && page[at + 5] != '/') continue;
        std::vector<Attribute> attributes = TagAttributes(page, at + 5);
        std::string label = Attr(attributes, "charset");
        std::string equiv = Attr(attributes, "http-equiv");
        if (label.empty() && FindAnyCase(equiv, "content-type", 0, equiv.size()) == 0)
            label = CharsetParameter(Attr(attributes, "content"));
        if (UINT codePage = CodePageOfCharset(label)) return codePage;
    }
    return 0;
}

}  // namespace

UINT CodePageOfCharset(const std::string& label) {
    size_t first = label.find_first_not_of(" \t\r\n\f"), last = label.find_last_not_of(" \t\r\n\f");
    if (first == std::string::npos) return 0;
    std::string name;
    for (size_t i = first; i <= last; ++i) name += Lower(label[i]);
    for (const Charset& charset : kCharsets) {
        std::string labels = std::string(" ") + charset.labels + " ";
        if (labels.find(" " + name + " ") != std::string::npos)
            return IsValidCodePage(charset.codePage) ? charset.codePage : 0;
    }
    return 0;
}

UINT PageCodePage(const std::string& page, const std::string& contentType) {
    if (UINT codePage = CodePageOfCharset(CharsetParameter(contentType))) return codePage;
    if (UINT codePage = MetaCodePage(page)) return codePage;
    return LegacyCodePage();
}

std::string DecodePageText(const std::string& bytes, UINT pageCodePage, UINT to) {
    std::string utf8 = pageCodePage == CP_UTF8 ? bytes : FromWide(ToWide(bytes, pageCodePage), CP_UTF8);
    utf8 = html::DecodeCharacterReferences(utf8);
    if (to == CP_ACP) to = GetACP();
    return to == CP_UTF8 ? utf8 : FromWide(ToWide(utf8, CP_UTF8), to);
}
