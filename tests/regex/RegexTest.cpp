// Syntax and matching priorities, byte by byte.
#include <gtest/gtest.h>

#include <string>

#include "tests/regex/RegexTestUtil.h"

TEST(RegexSyntax, LiteralsBracesClassesEscapesAndDot) {
    // clang-format off
    const Finds finds[] = {
        // literals and blanks
        {"abc", "xxabcxx", "abc"}, {"a b", "ab a b", "a b"}, {"a  b", "a b", "<none>"}, {"ABC", "abc", "<none>"},
        {"", "abc", ""},
        // brace is literal unless a count follows
        {"var swfArgs = {", "x var swfArgs = {a}", "var swfArgs = {"}, {"{", "ab{c", "{"}, {"a{", "a{", "a{"},
        {"a{,2}", "aa a{,2}", "a{,2}"}, {"a{2", "aa{2", "a{2"}, {"a{x}", "a{x}", "a{x}"}, {"a{}", "a{}", "a{}"},
        {"}", "a}", "}"}, {"\\{\\}", "{}", "{}"}, {"a{2}", "a{2}aa", "aa"},
        {"{{1}", "{", "{"},  // a literal "{" repeated once
        // classes
        {"[}]", "ab}c", "}"}, {"[}]", "abc", "<none>"}, {"[]a]+", "x]a]b", "]a]"}, {"[^]a]+", "]]bc]", "bc"},
        {"[a-c]+", "xxabcd", "abc"}, {"[^a-c]+", "abcxyzab", "xyz"}, {"[a-]+", "x-a-b", "-a-"},
        {"[\\d_]+", "ab1_2c", "1_2"}, {"[\\]\\\\]+", "a]\\]b", "]\\]"}, {"[^\\n]+", "\nab\n", "ab"},
        {"[\\x41-\\x43]+", "zABCD", "ABC"}, {"[^}]*", "ab}", "ab"}, {"[.]", "a.b", "."},
        // escapes
        {"a\\nb", "a\nb", "a\nb"}, {"\\t\\r", "x\t\ry", "\t\r"}, {"\\\\", "a\\b", "\\"},
        {"\\.\\{\\}\\[\\]\\(\\)\\|\\*\\+\\?\\/\\\"\\'", "x.{}[]()|*+?/\"'y", ".{}[]()|*+?/\"'"},
        {"\\d+", "ab123c", "123"}, {"\\w+", "  ab_1 ", "ab_1"}, {"\\s+", "ab \t\ncd", " \t\n"}, {"\\D+", "12ab3", "ab"},
        {"\\W+", "ab, cd", ", "}, {"\\S+", "  ab ", "ab"}, {"\\x41\\x62", "xAb", "Ab"},
        // dot is anything but line feed
        {"a.c", "a\nc abc", "abc"}, {"a.c", "a\rc", "a\rc"}, {".+", "\n\nxy\nz", "xy"}, {"a(.|\\n)c", "a\nc", "a\nc"},
        {"a.*", "ab\ncd", "ab"},
    };
    // clang-format on
    ExpectAll(finds);
    EXPECT_EQ(FindIn("a\\0b", std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(RegexPriority, AnchorsAndTheLeftmostStart) {
    // clang-format off
    const Starts starts[] = {{"^a", "aa", 0}, {"^b", "ab", -1}, {"a$", "aa", 1}, {"a$", "aa\n", 1},
        {"a$", "aa\n\n", -1}, {"^$", "", 0}, {"b|ab", "xab", 1}, {"c|b*c", "abbc", 1}, {"", "abc", 0}};
    const Finds finds[] = {{"^(a|b)*$", "abba", "abba"}, {"x|^", "ab", ""}, {"b|ab", "xab", "ab"},
        {"a*", "baa", ""}};  // empty at 0 is leftmost
    // clang-format on
    ExpectAll(starts);
    ExpectAll(finds);
}

TEST(RegexPriority, AlternativesRepetitionsAndEmptyIterations) {
    // clang-format off
    const Finds finds[] = {
        // alternatives left first
        {"a|ab", "ab", "a"}, {"ab|a", "ab", "ab"}, {"(a|ab)(c|bcd)", "abcd", "abcd"},
        {"(a|ab)(c|bcd)(d*)", "abcd", "abcd"}, {"(|a)b", "ab", "ab"}, {"(a|)", "a", "a"}, {"(|a)", "a", ""},
        // greedy and lazy
        {"a+", "aaa", "aaa"}, {"a+?", "aaa", "a"}, {"a*?", "aaa", ""}, {"a??b", "ab", "ab"}, {"a?", "a", "a"},
        {"a??", "a", ""}, {"<.*>", "<a><b>", "<a><b>"}, {"<.*?>", "<a><b>", "<a>"}, {"a.*?c", "abcbc", "abc"},
        {"a.*c", "abcbc", "abcbc"}, {"(a+?)(a*)b", "aaab", "aaab"}, {"(ab)+?", "ababab", "ab"},
        {"(ab)+", "ababab", "ababab"},
        // counted repetitions
        {"a{3}", "aaaa", "aaa"}, {"a{3}", "aa", "<none>"}, {"a{2,}", "aaaaa", "aaaaa"}, {"a{2,}?", "aaaaa", "aa"},
        {"a{1,3}", "aaaaa", "aaa"}, {"a{1,3}?", "aaaaa", "a"}, {"ba{0}c", "bc", "bc"}, {"x{0,0}y", "xy", "y"},
        {"(ab){2}", "abababab", "abab"}, {"[0-9]{4}-[0-9]{2}", "on 2026-12-08", "2026-12"},
        {"a{2,3}?b", "aaab", "aaab"},
        // empty iterations do not loop
        {"(a*)*b", "aab", "aab"}, {"(a*)*", "b", ""}, {"(a*)+$", "aa", "aa"}, {"(|a)*", "aa", "aa"},
        {"(a|)+", "aa", "aa"}, {"(^)*a", "a", "a"},
    };
    // clang-format on
    ExpectAll(finds);
    EXPECT_EQ(FindIn("(a|b){1000}", std::string(1000, 'b')), std::string(1000, 'b'));
}

TEST(RegexErrors, MalformedPatternsAreRejected) {
    const char* bad[] = {"(",       ")",    "a)",     "(a",  "[abc", "[",   "*a",      "+",     "?",       "a**",
                         "a+*",     "a*??", "a{3,2}", "\\",  "\\q",  "\\b", "a{1001}", "(?=a)", "(?<x>a)", "[b-a]",
                         "[a-\\d]", "\\x4", "\\xZZ",  "a|*", "(*)",  "{2}", "x{2}{3}", "a{2}*"};
    for (const char* p : bad) {
        std::string error;
        EXPECT_FALSE(Compiles(p, &error)) << p;
        EXPECT_FALSE(error.empty()) << p;
    }
}

TEST(RegexErrors, LimitsAreEnforced) {
    EXPECT_TRUE(Compiles(std::string(4096, 'a')));
    EXPECT_FALSE(Compiles(std::string(4097, 'a')));
    EXPECT_TRUE(Compiles(std::string(256, '(') + "a" + std::string(256, ')')));
    EXPECT_FALSE(Compiles(std::string(300, '(') + "a" + std::string(300, ')')));
    EXPECT_TRUE(Compiles("a{1000}"));
    EXPECT_FALSE(Compiles("((a{1000}){1000}){1000}"));
    EXPECT_FALSE(Compiles("(((((a{100}){100}){100}){100}){100})"));
}

TEST(RegexApi, FailedCompileLeavesNothingToFind) {
    Regex re;
    size_t b = 0, e = 0;
    EXPECT_FALSE(re.IsCompiled());
    EXPECT_FALSE(re.Search("abc", 3, &b, &e));
    ASSERT_TRUE(re.Compile("b"));
    EXPECT_TRUE(re.Search("abc", 3, &b, &e));
    EXPECT_FALSE(re.Compile("("));
    EXPECT_FALSE(re.IsCompiled());
    EXPECT_FALSE(re.Search("abc", 3, &b, &e));
}

TEST(RegexApi, SearchReportsBoundsAndAcceptsNulls) {
    Regex re;
    ASSERT_TRUE(re.Compile("b+"));
    size_t b = 99, e = 99;
    ASSERT_TRUE(re.Search("abbc", 4, &b, &e));
    EXPECT_EQ(b, 1u);
    EXPECT_EQ(e, 3u);
    EXPECT_TRUE(re.Search("abbc", 4, nullptr, nullptr));
    EXPECT_FALSE(re.Search(nullptr, 0, &b, &e));
    ASSERT_TRUE(re.Compile("x*"));
    EXPECT_TRUE(re.Search(nullptr, 0, &b, &e));
    EXPECT_EQ(b, 0u);
    EXPECT_EQ(e, 0u);
}

TEST(RegexApi, CopiesSearchAlike) {
    Regex re;
    ASSERT_TRUE(re.Compile("c+"));
    Regex copy = re;
    ASSERT_TRUE(re.Compile("a"));
    EXPECT_EQ(StartOf("c+", "abcc"), 2);
    size_t b = 0, e = 0;
    ASSERT_TRUE(copy.Search("abcc", 4, &b, &e));
    EXPECT_EQ(b, 2u);
    ASSERT_TRUE(re.Search("abcc", 4, &b, &e));
    EXPECT_EQ(b, 0u);
}

TEST(RegexApi, TinyStateCacheGivesTheSameAnswers) {
    const char* patterns[] = {"(a|b)*abb(a|b){3}", "a.*?c", "<title>(.|\\n)*?</title>", "(x+x+)+y"};
    const std::string piece = "abbab<title>x\ny</title>cxxxy";
    std::string text;
    for (int i = 0; i < 2000; ++i) text += piece[(i * 7) % piece.size()];
    for (const char* p : patterns) {
        Regex normal, tiny;
        ASSERT_TRUE(normal.Compile(p));
        ASSERT_TRUE(tiny.Compile(p));
        tiny.SetStateCacheLimit(2);
        size_t b1 = 0, e1 = 0, b2 = 0, e2 = 0;
        const bool f1 = normal.Search(text, &b1, &e1);
        EXPECT_EQ(f1, tiny.Search(text, &b2, &e2)) << p;
        if (f1) {
            EXPECT_EQ(b1, b2) << p;
            EXPECT_EQ(e1, e2) << p;
        }
    }
}

TEST(RegexCost, PathologicalPatternsStayLinear) {
    // Exponential for a backtracking engine.
    const std::string xs(20000, 'x');
    EXPECT_EQ(FindIn("(x+x+)+y", xs), "<none>");
    EXPECT_EQ(FindIn("(a*)*b", std::string(20000, 'a')), "<none>");
    EXPECT_EQ(FindIn("(a|aa)*c", std::string(20000, 'a')), "<none>");
    // Many starts, each running far.
    std::string opens;
    for (int i = 0; i < 20000; ++i) opens += "{a";
    EXPECT_EQ(FindIn("\\{(.|\\n)*?[}]", opens), "<none>");
}
