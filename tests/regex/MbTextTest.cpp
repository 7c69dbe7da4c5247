#include <gtest/gtest.h>

#include <string>

#include "regex/HtmlReferences.h"
#include "regex/MbText.h"

namespace {

const mbtext::LeadByteFn kCp932 = &mbtext::IsCp932LeadByte;
const size_t npos = std::string::npos;

// "\x95\x7D" and "\x83\x5C" are characters whose trail bytes are "}" and "\".
const std::string kText = "a\x95\x7D}b\x83\x5C\\c";

}  // namespace

TEST(MbText, Cp932LeadBytes) {
    for (int byte : {0x81, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(mbtext::IsCp932LeadByte(byte)) << byte;
    for (int byte : {0x80, 0xA0, 0xDF, 0xFD, 0x7D}) EXPECT_FALSE(mbtext::IsCp932LeadByte(byte)) << byte;
}

// FindChar looks for the needle's one byte, Find for the whole needle.
struct FindCase {
    std::string text, needle;
    size_t from;
    mbtext::LeadByteFn lead;
    size_t want;
};

TEST(MbText, FindAndFindCharMatchWholeCharactersOnly) {
    const size_t end = kText.size();
    // clang-format off
    const FindCase chars[] = {{kText, "}", 0, kCp932, 3}, {kText, "}", 0, nullptr, 2}, {kText, "\\", 0, kCp932, 7},
        {kText, "\\", 0, nullptr, 6}, {kText, "}", 4, kCp932, npos}, {kText, "z", 0, kCp932, npos},
        {kText, "a", 99, kCp932, npos},
        {"\x95\x7D}", "}", 1, kCp932, 2},  // a start inside a character moves on to the next character
        {"ab\x95", "\x95", 0, kCp932, 2}, {"a\x95\x95", "\x95", 0, kCp932, npos}};  // an end lead byte stands alone
    const FindCase strings[] = {{kText, "}b", 0, kCp932, 3}, {kText, "}", 0, kCp932, 3}, {kText, "}", 0, nullptr, 2},
        {kText, "\x95\x7D", 0, kCp932, 1}, {kText, "\x7D}", 0, kCp932, npos},
        {kText, "a\x95", 0, kCp932, npos},  // a needle ending in a lead byte would cut the character after it
        {"ab\x95", "b\x95", 0, kCp932, 1}, {kText, "", 2, kCp932, 3}, {kText, "", end, kCp932, end},
        {kText, "c", end + 1, kCp932, npos}, {"YouTube - x", "YouTube - ", 0, kCp932, 0}};
    // clang-format on
    for (const FindCase& c : chars)
        EXPECT_EQ(mbtext::FindChar(c.text, c.needle[0], c.from, c.lead), c.want) << c.text << " / " << c.needle;
    for (const FindCase& c : strings)
        EXPECT_EQ(mbtext::Find(c.text, c.needle, c.from, c.lead), c.want) << c.text << " / " << c.needle;
}

TEST(MbText, ReplaceCharsLeavesTrailBytesAlone) {
    EXPECT_EQ(mbtext::ReplaceChars(kText, "}\\", ' ', kCp932), "a\x95\x7D b\x83\x5C c");
    EXPECT_EQ(mbtext::ReplaceChars(kText, "}\\", ' ', nullptr), "a\x95  b\x83  c");
    EXPECT_EQ(mbtext::ReplaceChars("a:b*c", "\\/:*?\"<>|", ' ', kCp932), "a b c");
    EXPECT_EQ(mbtext::ReplaceChars("", "x", ' ', kCp932), "");
}

TEST(MbText, ReplaceAll) {
    EXPECT_EQ(mbtext::ReplaceAll("a:1,b:2", ":", "=", kCp932), "a=1,b=2");
    EXPECT_EQ(mbtext::ReplaceAll("\"x\" \x95\x22", "\"", "'", kCp932), "'x' \x95\x22");
    EXPECT_EQ(mbtext::ReplaceAll(kText, "}", "", kCp932), "a\x95}b\x83\x5C\\c");
    EXPECT_EQ(mbtext::ReplaceAll("aaaa", "aa", "b", kCp932), "bb");
    EXPECT_EQ(mbtext::ReplaceAll("abc", "", "x", kCp932), "abc");
    EXPECT_EQ(mbtext::ReplaceAll("abc", "bc", "", nullptr), "a");
}

TEST(MbText, RemoveChar) {
    EXPECT_EQ(mbtext::RemoveChar(kText, '}', kCp932), "a\x95}b\x83\x5C\\c");
    EXPECT_EQ(mbtext::RemoveChar("'a','b'", '\'', kCp932), "a,b");
    EXPECT_EQ(mbtext::RemoveChar(kText, '}', nullptr), std::string("a\x95") + "b\x83\x5C\\c");
}

TEST(MbText, CharBoundaryAtOrBefore) {
    const std::string s = "ab\x95}c";
    EXPECT_EQ(mbtext::CharBoundaryAtOrBefore(s, 0, kCp932), 0u);
    EXPECT_EQ(mbtext::CharBoundaryAtOrBefore(s, 2, kCp932), 2u);
    EXPECT_EQ(mbtext::CharBoundaryAtOrBefore(s, 3, kCp932), 2u);
    EXPECT_EQ(mbtext::CharBoundaryAtOrBefore(s, 4, kCp932), 4u);
    EXPECT_EQ(mbtext::CharBoundaryAtOrBefore(s, 99, kCp932), 5u);
    EXPECT_EQ(mbtext::CharBoundaryAtOrBefore(s, 3, nullptr), 3u);
    EXPECT_EQ(mbtext::CharBoundaryAtOrBefore("a\x95", 2, kCp932), 2u);
}

TEST(MbText, ReplaceControlChars) {
    EXPECT_EQ(mbtext::ReplaceControlChars("a\tb\nc\x1F\x64\x7F", ' ', kCp932), "a b c d\x7F");
    EXPECT_EQ(mbtext::ReplaceControlChars(std::string("a\0b", 3), ' ', kCp932), std::string("a\0b", 3));
    // After a lead byte a control byte is that character's second byte.
    EXPECT_EQ(mbtext::ReplaceControlChars("\x95\x0A\x0A", ' ', kCp932), "\x95\x0A ");
    EXPECT_EQ(mbtext::ReplaceControlChars("\x95\x0A", ' ', nullptr), "\x95 ");
}

// UTF-8: a well-formed sequence is one character; a broken one, an overlong
// form, a surrogate or a value past U+10FFFF is read byte by byte.
TEST(MbText, Utf8SequencesAreWholeCharacters) {
    const mbtext::LeadByteFn utf8 = &mbtext::IsUtf8LeadByte;
    const mbtext::LeadTable table(utf8);
    const std::pair<std::string, size_t> lengths[] = {{"a", 1},
                                                      {"\xC3\xA9", 2},
                                                      {"\xE6\x97\xA5", 3},
                                                      {"\xF0\x9F\x98\x80", 4},
                                                      {"\xC3", 1},
                                                      {"\xC3"
                                                       "A",
                                                       1},
                                                      {"\xE6\x97", 1},
                                                      {"\xC0\x80", 1},
                                                      {"\xE0\x80\x80", 1},
                                                      {"\xED\xA0\x80", 1},
                                                      {"\xF4\x90\x80\x80", 1},
                                                      {"\xA9", 1},
                                                      {"\xF4\x8F\xBF\xBF", 4},
                                                      {"\xED\x9F\xBF", 3}};
    for (const auto& l : lengths) EXPECT_EQ(table.CharLength(l.first.data(), l.first.size(), 0), l.second) << l.first;
    const std::string text = "\xE6\x97\xA5\xC3\xA9|\xA9";  // "日é|" and a stray continuation byte
    EXPECT_EQ(mbtext::CharBoundaryAtOrBefore(text, 2, utf8), 0u);
    EXPECT_EQ(mbtext::CharBoundaryAtOrBefore(text, 4, utf8), 3u);
    EXPECT_EQ(mbtext::FindChar(text, '\xA9', 0, utf8), 6u);
    EXPECT_EQ(mbtext::Find(text, "\xA9", 0, utf8), 6u);
    EXPECT_EQ(mbtext::Find(text, "\xC3", 0, utf8), npos);  // it would cut "é"
    EXPECT_EQ(mbtext::Find("a\xC3", "\xC3", 0, utf8), 1u);
    EXPECT_EQ(mbtext::Find(text, "\x97", 0, utf8), npos);
    EXPECT_EQ(mbtext::ReplaceChars(text, "|\xA9", '_', utf8), "\xE6\x97\xA5\xC3\xA9__");
}

TEST(HtmlReferences, DecodeAsABrowserShowsThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"Tom &amp; Jerry &#39;Classic&#39;", "Tom & Jerry 'Classic'"},
        {"&lt;b&gt; &quot;x&quot; &apos;y&apos; a&nbsp;b",
         "<b> \"x\" 'y' a\xC2\xA0"
         "b"},
        {"Caf&eacute; &Uuml;n&iuml;code Stra&szlig;e &yuml;",
         "Caf\xC3\xA9 \xC3\x9Cn\xC3\xAF"
         "code Stra\xC3\x9F"
         "e \xC3\xBF"},
        {"it&rsquo;s &#x65E5;&#26412; &#X1F600; &#150; &euro;",
         "it\xE2\x80\x99s \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 \xE2\x80\x93 \xE2\x82\xAC"},
        {"&#39 &#x41x &#0; &#xD800; &#1114112; &#99999999999999999999;",
         "' Ax \xEF\xBF\xBD \xEF\xBF\xBD \xEF\xBF\xBD \xEF\xBF\xBD"},
        // Not references: they stay as written.
        {"& &foo; &#; &#x; &; &Amp; AT&T &#x", "& &foo; &#; &#x; &; &Amp; AT&T &#x"},
        {"&amp;amp; &#38;#38; &&amp;", "&amp; &#38; &&"},
        {"\xE6\x97\xA5&amp;\xE6\x97\xA5", "\xE6\x97\xA5&\xE6\x97\xA5"}};
    for (const auto& c : cases) EXPECT_EQ(html::DecodeCharacterReferences(c.first), c.second) << c.first;
}
