// The command-line grammar.
#include <gtest/gtest.h>
#include <vector>
#include "app/CommandLineArgs.h"

namespace {

CommandLineArgs ParseArgs(std::vector<std::string> args) {
    args.insert(args.begin(), "Framehaul.exe");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(&a[0]);
    CommandLineArgs parsed;
    parsed.Parse(static_cast<int>(argv.size()), argv.data());
    return parsed;
}

const char* const kUrl = "http://www.youtube.com/watch?v=abc";

TEST(CommandLine, NoArgumentsRequestNothing) {
    CommandLineArgs a = ParseArgs({});
    EXPECT_EQ(CommandLineArgs::RequestNone, a.request);
    EXPECT_EQ("", a.url);
    EXPECT_EQ("", a.folder);
}

TEST(CommandLine, OnlyQuestionMarkAndHAreHelpSwitches) {
    for (const char* sw : {"/?", "-?", "/h", "-h"})
        EXPECT_EQ(CommandLineArgs::RequestUsage, ParseArgs({sw}).request) << sw;
    for (const char* sw : {"/H", "-help", "/", "-", "/x"})
        EXPECT_EQ(CommandLineArgs::RequestNone, ParseArgs({sw}).request) << sw;
}

TEST(CommandLine, AnyUrlWinsOverHelpWhereverItStands) {
    CommandLineArgs before = ParseArgs({"/?", kUrl});
    EXPECT_EQ(CommandLineArgs::RequestDownload, before.request);
    EXPECT_EQ(kUrl, before.url);
    CommandLineArgs after = ParseArgs({kUrl, "-h"});
    EXPECT_EQ(CommandLineArgs::RequestDownload, after.request);
}

TEST(CommandLine, FoldersAndUrlsAreToldApartAndTheLastOfAKindWins) {
    CommandLineArgs a = ParseArgs({"C:\\One", kUrl, "D:\\Two", "http://www.youtube.com/watch?v=last"});
    EXPECT_EQ(CommandLineArgs::RequestDownload, a.request);
    EXPECT_EQ("http://www.youtube.com/watch?v=last", a.url);
    EXPECT_EQ("D:\\Two", a.folder);
    CommandLineArgs folderOnly = ParseArgs({"C:\\Videos"});
    EXPECT_EQ(CommandLineArgs::RequestNone, folderOnly.request);
    EXPECT_EQ("C:\\Videos", folderOnly.folder);
    // Without a scheme an address is not a URL.
    CommandLineArgs bare = ParseArgs({"www.youtube.com/watch?v=abc"});
    EXPECT_EQ(CommandLineArgs::RequestNone, bare.request);
    EXPECT_EQ("www.youtube.com/watch?v=abc", bare.folder);
}

}  // namespace
