// The real program, started with an address as the browser extension
// starts it, downloading through the proxy setting and closing by itself.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <fstream>
#include "samplesite/StreamBytes.h"
#include "tests/common/TestSupport.h"

using namespace testing_support;

namespace {

TEST(EndToEnd, AnAddressOnTheCommandLineIsDownloadedAndRemembered) {
    ASSERT_NE(0, SitePort()) << "the stand-in site is not running (FH_SITE_PORT)";
    const std::string key = "Software\\Quorvane\\Framehaul";
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    std::string folder = MakeTempFolder("fh_e2e");
    WriteString(key + "\\Settings", "DefaultFolder", folder);
    WriteDword(key + "\\Settings", "AutoStart", 1);
    WriteDword(key + "\\Settings", "AutoClose", 1);
    SiteProxy proxy;

    const std::string url = "http://www.youtube.com/watch?v=sample";
    std::string program = ProgramFolder() + "\\Framehaul.exe";
    std::string commandLine = "\"" + program + "\" \"" + url + "\"";
    STARTUPINFOA startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    ASSERT_TRUE(ended) << "the window did not close by itself after the download";

    std::ifstream in(folder + "\\Sample clip.flv", std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    ASSERT_EQ(2000000u, data.size());
    EXPECT_EQ(data.size(), samplesite::FirstStreamMismatch(reinterpret_cast<const unsigned char*>(data.data()),
                                                           data.size(), 0));
    std::string text;
    ASSERT_TRUE(ReadString(key + "\\Recent\\URLs", "1", &text));
    EXPECT_EQ(url, text);
    ASSERT_TRUE(ReadString(key + "\\Recent\\Folders", "1", &text));
    EXPECT_EQ(0, lstrcmpiA(folder.c_str(), text.c_str()));
    DWORD autoClose = 0;
    ASSERT_TRUE(ReadDword(key + "\\Settings", "AutoClose", &autoClose));
    EXPECT_EQ(1u, autoClose);

    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    RemoveTree(folder);
}

}  // namespace
