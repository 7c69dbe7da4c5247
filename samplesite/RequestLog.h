#pragma once
// One line per request: method, target as received, status sent. Tests read it to learn
// what the program asked for; lines are flushed at once so that a reader never waits.
#include <fstream>
#include <mutex>
#include <string>

namespace samplesite {

class RequestLog {
public:
    // An empty path logs nothing. False when the file cannot be created.
    bool Open(const std::string& path);
    void Write(const std::string& method, const std::string& target, int status);

private:
    std::mutex lock;
    std::ofstream file;
};

}  // namespace samplesite
