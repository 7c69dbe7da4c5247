#include "regex/HtmlReferences.h"

#include <cstring>

namespace html {

namespace {

// U+00A0 to U+00FF, in order.
const char* const kLatin1Names =
    "nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg plusmn sup2 sup3 acute "
    "micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest Agrave Aacute Acirc Atilde Auml Aring AElig "
    "Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times Oslash "
    "Ugrave Uacute Ucirc Uuml Yacute THORN szlig agrave aacute acirc atilde auml aring aelig ccedil egrave eacute "
    "ecirc "
    "euml igrave iacute icirc iuml eth ntilde ograve oacute ocirc otilde ouml divide oslash ugrave uacute ucirc uuml "
    "yacute thorn yuml";

struct Named {
    const char* name;
    unsigned long codePoint;
};

const Named kOtherNames[] = {
    {"quot", 0x22},     {"QUOT", 0x22},     {"amp", 0x26},      {"AMP", 0x26},      {"apos", 0x27},
    {"lt", 0x3C},       {"LT", 0x3C},       {"gt", 0x3E},       {"GT", 0x3E},       {"OElig", 0x152},
    {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},  {"Yuml", 0x178},    {"fnof", 0x192},
    {"circ", 0x2C6},    {"tilde", 0x2DC},   {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009},
    {"zwnj", 0x200C},   {"zwj", 0x200D},    {"lrm", 0x200E},    {"rlm", 0x200F},    {"ndash", 0x2013},
    {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},  {"ldquo", 0x201C},
    {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022},
    {"hellip", 0x2026}, {"permil", 0x2030}, {"prime", 0x2032},  {"Prime", 0x2033},  {"lsaquo", 0x2039},
    {"rsaquo", 0x203A}, {"oline", 0x203E},  {"frasl", 0x2044},  {"euro", 0x20AC},   {"trade", 0x2122},
};

// What browsers show for the numbers 128 to 159.
const unsigned short kWindows1252[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                         0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// The code point of the name, or 0.
unsigned long NamedCodePoint(const std::string& name) {
    for (const Named& n : kOtherNames)
        if (name == n.name) return n.codePoint;
    unsigned long codePoint = 0xA0;
    for (const char* p = kLatin1Names; *p; ++codePoint) {
        size_t length = std::strcspn(p, " ");
        if (name.compare(0, std::string::npos, p, length) == 0) return codePoint;
        p += length;
        if (*p) ++p;
    }
    return 0;
}

int DigitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The numeric reference at text[at] ("&#"), decoded into *out; its length,
// or 0 when it has no digits.
size_t NumericReference(const std::string& text, size_t at, std::string* out) {
    size_t p = at + 2;
    const bool hex = p < text.size() && (text[p] == 'x' || text[p] == 'X');
    if (hex) ++p;
    const size_t digits = p;
    unsigned long value = 0;
    for (int d; p < text.size() && (d = DigitValue(text[p], hex)) >= 0; ++p)
        value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + static_cast<unsigned long>(d);
    if (p == digits) return 0;
    if (p < text.size() && text[p] == ';') ++p;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) value = 0xFFFD;
    if (value >= 0x80 && value <= 0x9F) value = kWindows1252[value - 0x80];
    *out += Utf8Of(value);
    return p - at;
}

// The named reference at text[at] ("&"), decoded into *out; its length, or
// 0 when it names nothing known.
size_t NamedReference(const std::string& text, size_t at, std::string* out) {
    size_t p = at + 1;
    while (p < text.size() && p - at <= 8 &&
           ((text[p] >= 'a' && text[p] <= 'z') || (text[p] >= 'A' && text[p] <= 'Z') ||
            (text[p] >= '0' && text[p] <= '9')))
        ++p;
    if (p >= text.size() || text[p] != ';' || p == at + 1) return 0;
    unsigned long codePoint = NamedCodePoint(text.substr(at + 1, p - at - 1));
    if (codePoint == 0) return 0;
    *out += Utf8Of(codePoint);
    return p + 1 - at;
}

}  // namespace

std::string Utf8Of(unsigned long c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::string DecodeCharacterReferences(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t done = 0;
    // "&" is never part of a multibyte UTF-8 character.
    for (size_t at = utf8.find('&'); at != std::string::npos; at = utf8.find('&', at + 1)) {
        if (at < done) continue;
        std::string decoded;
        bool numeric = at + 1 < utf8.size() && utf8[at + 1] == '#';
        size_t length = numeric ? NumericReference(utf8, at, &decoded) : NamedReference(utf8, at, &decoded);
        if (length == 0) continue;
        out.append(utf8, done, at - done);
        out += decoded;
        done = at + length;
    }
    out.append(utf8, done, std::string::npos);
    return out;
}

}  // namespace html
