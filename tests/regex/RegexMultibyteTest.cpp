// Double-byte text (code page 932): a lead byte and its trail byte are one
// character, and the trail byte is never taken for "}" (0x7D) or "\" (0x5C).
// UTF-8 text: a sequence of two to four bytes is one character.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "regex/MbText.h"
#include "tests/regex/RegexTestUtil.h"

namespace {

const Regex::LeadByteFn kCp932 = &mbtext::IsCp932LeadByte;

}  // namespace

TEST(RegexCp932, TrailBraceInATitleDoesNotEndSwfArgs) {
    // "\x95\x7D" is one character whose second byte is "}".
    const std::string page = "var swfArgs = {\"title\": \"\x95\x7D\x93\x5C\", \"id\": \"x\"}; }";
    EXPECT_EQ(FindIn(kSwfArgsPattern, page, kCp932), "var swfArgs = {\"title\": \"\x95\x7D\x93\x5C\", \"id\": \"x\"}");
    // Read byte by byte, the trail byte does end it.
    EXPECT_EQ(FindIn(kSwfArgsPattern, page), "var swfArgs = {\"title\": \"\x95\x7D");
}

TEST(RegexCp932, OnlyTrailBracesMeansNoMatch) {
    EXPECT_EQ(FindIn(kSwfArgsPattern, "var swfArgs = {\x95\x7D\x82\x7D\n\x83\x7D", kCp932), "<none>");
}

TEST(RegexCp932, TitleWithTrailBytes) {
    const std::string page = "<title>YouTube - \x83\x5C\x83\x74\x83\x67\n\x95\x7D</title>";
    EXPECT_EQ(FindIn(kTitlePattern, page, kCp932), page);
}

TEST(RegexCp932, DotClassesAndBoundariesTakeTheWholeCharacter) {
    // "\x95}" is one character; read byte by byte it is two.
    EXPECT_EQ(FindIn("a..b", "a\x95}b"), "a\x95}b");
    EXPECT_EQ(StartOf("\\\\", "\x95\x5C\\"), 1);
    // clang-format off
    const Finds finds[] = {{"a.b", "a\x95}b", "a\x95}b"}, {"a..b", "a\x95}b", "<none>"},
        {"[^}]+", "\x95}\x95}}", "\x95}\x95}"}, {"\\D\\W\\S", "\x95}\x88\x9F\x82\xA0", "\x95}\x88\x9F\x82\xA0"},
        {"a[}]b", "a\x95}b", "<none>"}, {"[\\x80-\\xFF]", "\x95}", "<none>"}, {"\\x95", "\x95}", "<none>"},
        {"(.|\\n)*", "\x95\nab\x81\n", "\x95\nab\x81\n"}, {".", "\x95}", "\x95}"}, {"}?", "\x95}", ""},
        {"\\\\", "\x95\x5C", "<none>"}, {"\\\\", "\x95\x5C\\", "\\"},
        // a lead byte at the very end is a character of its own
        {"a.", "a\x95", "a\x95"}, {"\\x95$", "ab\x95", "\x95"}, {"[\\x80-\\xFF]", "ab\x95", "\x95"}};
    const Starts starts[] = {{"\\\\", "\x95\x5C\\", 2}, {"}", "\x95}}", 2}, {"}x", "\x81\x81\x81}x}x", 5},
        {"}x", "\x81\x81}x}x", 2}, {"}abc", "\x95}abc}abc", 5}, {"[}]", "\x95}\x95}}", 4}, {"[}]", "\x95}\x95}", -1}};
    // clang-format on
    ExpectAll(finds, kCp932);
    ExpectAll(starts, kCp932);
}

TEST(RegexCp932, FortyMebibytesWithAnUnterminatedObject) {
    std::string chunk;
    while (chunk.size() < 4096) chunk += "<p>\x95\x7D\x83\x5C text \x82\xA0 more\n\x95\x7D</p>";
    std::string text = "<script>var swfArgs = {";
    text.reserve(40u << 20);
    while (text.size() + chunk.size() <= (40u << 20)) text += chunk;

    Regex re;
    ASSERT_TRUE(re.Compile(kSwfArgsPattern));
    re.SetLeadByteTest(kCp932);
    const auto started = std::chrono::steady_clock::now();
    size_t b = 0, e = 0;
    EXPECT_FALSE(re.Search(text, &b, &e));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_LT(seconds, 60.0);
    // A single-byte reading finds the first trail "}" at once.
    Regex plain;
    ASSERT_TRUE(plain.Compile(kSwfArgsPattern));
    EXPECT_TRUE(plain.Search(text, &b, &e));
}

TEST(RegexUtf8, SequencesAreOneCharacterAndBrokenOnesSingleBytes) {
    const Regex::LeadByteFn utf8 = &mbtext::IsUtf8LeadByte;
    const std::string title = "<title>YouTube - Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80</title>";
    // clang-format off
    const Finds finds[] = {{kTitlePattern, title + "</title>", title}, {"a.b", "a\xE6\x97\xA5" "b", "a\xE6\x97\xA5" "b"},
        {"a..b", "a\xE6\x97\xA5" "b", "<none>"}, {"a.b", "a\xF0\x9F\x98\x80" "b", "a\xF0\x9F\x98\x80" "b"},
        {"[^x]+", "\xC3\xA9\xE6\x97\xA5x", "\xC3\xA9\xE6\x97\xA5"}, {"\\xA9", "\xC3\xA9", "<none>"},
        {"[\\x80-\\xFF]", "\xC3\xA9", "<none>"}, {"a..b", "a\xE6\x97" "b", "a\xE6\x97" "b"},  // broken: two characters
        {".$", "\xE6\x97\xA5", "\xE6\x97\xA5"}};
    const Starts starts[] = {{"\\x97", "\xE6\x97\xA5\x97", 3}, {"\\xA5x", "\xE6\x97\xA5x\xA5x", 4},
        {"\\x98\\x80", "\xF0\x9F\x98\x80\x98\x80", 4}, {"\\xA9", "\xC3\xA9", -1}};
    // clang-format on
    ExpectAll(finds, utf8);
    ExpectAll(starts, utf8);
}
