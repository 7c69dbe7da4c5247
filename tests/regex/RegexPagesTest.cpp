// The two searches of the page resolver, on page-like text.
#include <gtest/gtest.h>

#include <string>

#include "regex/bench/SamplePages.h"
#include "tests/regex/RegexTestUtil.h"

TEST(RegexPages, SwfArgsRunsFromTheFirstDeclarationToItsFirstClosingBrace) {
    const std::pair<std::string, std::string> cases[] = {
        {"<script>\nvar swfArgs = {a:'1',bb:'xyz'};\n</script>\n<script>\nvar swfArgs = {a:'2'};\n</script>\n",
         "var swfArgs = {a:'1',bb:'xyz'}"},
        {"x\nvar swfArgs = {\n  \"video_id\": \"abc\",\n\n  \"t\": \"vjV=\"\n};\nmore }",
         "var swfArgs = {\n  \"video_id\": \"abc\",\n\n  \"t\": \"vjV=\"\n}"},
        {"var swfArgs = {a:'{x}'} }", "var swfArgs = {a:'{x}"},
        {"var swfArgs = {}", "var swfArgs = {}"},
        {"{}}{ var swfArgs = {q} }", "var swfArgs = {q}"},
        {"var swfArgs = {a:'1',\nb:'2';\n</script>", "<none>"},
        {"} var swfArgs = {", "<none>"},
        {"var swfArgs ={a}", "<none>"},  // blanks are literal
        {"var SwfArgs = {a}", "<none>"},
    };
    for (const auto& c : cases) EXPECT_EQ(FindIn(kSwfArgsPattern, c.first), c.second) << c.first;
}

TEST(RegexPages, TitleOverSeveralLines) {
    const std::string page = "<head>\n<title>YouTube -\n  A &amp; B\n</title>\n<title>x</title>";
    EXPECT_EQ(FindIn(kTitlePattern, page), "<title>YouTube -\n  A &amp; B\n</title>");
    EXPECT_EQ(FindIn(kTitlePattern, "<title></title>"), "<title></title>");
    EXPECT_EQ(FindIn(kTitlePattern, "<title>no end"), "<none>");
    EXPECT_EQ(FindIn(kTitlePattern, "<TITLE>x</TITLE>"), "<none>");
}

TEST(RegexPages, GeneratedPageOfOneMebibyte) {
    const std::string page = samplepages::Page(1 << 20);
    EXPECT_EQ(FindIn(kSwfArgsPattern, page), samplepages::kSwfArgs);
    EXPECT_EQ(FindIn(kTitlePattern, page), "<title>YouTube - A sample video</title>");
}

TEST(RegexPages, UnterminatedObjectInALargePageIsNotFound) {
    const std::string page = samplepages::UnterminatedPage(16 << 20, "var swfArgs = {");
    EXPECT_EQ(FindIn(kSwfArgsPattern, page), "<none>");
    const std::string titled = samplepages::UnterminatedPage(16 << 20, "<title>");
    EXPECT_EQ(FindIn(kTitlePattern, titled), "<none>");
}
