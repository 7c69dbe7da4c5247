#include "app/CommandLineArgs.h"
#include <windows.h>
#include <shlwapi.h>
#include <cstdlib>
#include <cstring>

void CommandLineArgs::Parse() {
    Parse(__argc, __argv);
}

void CommandLineArgs::Parse(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        bool isSwitch = arg[0] == '-' || arg[0] == '/';
        ParseParam(isSwitch ? arg + 1 : arg, isSwitch, i == argc - 1);
    }
}

void CommandLineArgs::ParseParam(const char* text, bool isSwitch, bool) {
    if (isSwitch) {
        if (std::strcmp(text, "?") == 0 || std::strcmp(text, "h") == 0) request = RequestUsage;
    } else if (PathIsURLA(text)) {
        url = text;
    } else {
        folder = text;
    }
    if (!url.empty()) request = RequestDownload;
}
