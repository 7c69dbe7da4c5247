// The fh_samplesite program itself, as scripts start it: command line, port file, ending.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>
#include <vector>

#include "tests/samplesite/SiteClient.h"

extern char** environ;

namespace {

class SiteProcess {
public:
    explicit SiteProcess(std::vector<std::string> args) {
        args.insert(args.begin(), FH_SAMPLESITE_BINARY);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid = -1;
    }
    ~SiteProcess() {
        if (pid > 0 && exitCode == kRunning) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    bool Spawned() const { return pid > 0; }
    // The exit code, or kRunning if it has not ended within timeoutMs.
    int WaitForExit(int timeoutMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (exitCode == kRunning && std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return exitCode;
    }
    static constexpr int kRunning = -1;

private:
    pid_t pid = -1;
    int exitCode = kRunning;
};

int ReadPortFile(const std::string& path, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        int port = 0;
        std::ifstream file(path);
        if (file >> port) return port;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}

}  // namespace

TEST(SiteProgram, WritesPortFileServesAndQuits) {
    std::string portFile = ::testing::TempDir() + "samplesite_port_quit";
    std::remove(portFile.c_str());
    SiteProcess site({"--port", "0", "--port-file", portFile, "--lifetime", "30"});
    ASSERT_TRUE(site.Spawned());
    int port = ReadPortFile(portFile, 5000);
    ASSERT_GT(port, 0);
    Reply page = Get(static_cast<std::uint16_t>(port), "http://www.youtube.com:80/watch?v=sample");
    EXPECT_NE(std::string::npos, page.body.find("var swfArgs = {"));
    EXPECT_EQ(200, Get(static_cast<std::uint16_t>(port), "/quit").status);
    EXPECT_EQ(0, site.WaitForExit(5000));
}

TEST(SiteProgram, EndsWhenItsLifetimeIsOver) {
    std::string portFile = ::testing::TempDir() + "samplesite_port_lifetime";
    std::remove(portFile.c_str());
    SiteProcess site({"--port-file", portFile, "--lifetime", "0.5"});
    ASSERT_TRUE(site.Spawned());
    EXPECT_GT(ReadPortFile(portFile, 5000), 0);
    EXPECT_EQ(0, site.WaitForExit(10000));
}

TEST(SiteProgram, RefusesBadCommandLines) {
    for (auto args : std::vector<std::vector<std::string>>{
             {"--lifetime", "0"}, {"--lifetime", "100000"}, {"--port", "70000"}, {"--port"}, {"--verbose", "1"}}) {
        SiteProcess site(args);
        ASSERT_TRUE(site.Spawned());
        EXPECT_EQ(2, site.WaitForExit(5000)) << args[0];
    }
}
