// What the command line asks for: "Framehaul <URL> [<output folder>]".
#pragma once
#include <string>

class CommandLineArgs {
public:
    enum Request { RequestNone = 0, RequestUsage = 1, RequestDownload = 2 };

    int request = RequestNone;
    std::string url;     // the last argument that is a URL
    std::string folder;  // the last argument that is neither a switch nor a URL

    // Walks the process's arguments after the program name.
    void Parse();
    void Parse(int argc, char** argv);
    void ParseParam(const char* text, bool isSwitch, bool isLast);
};
