// fh_samplesite: the local stand-in of the video site for tests and demos.
#include <cstdio>
#include <string>

#include "samplesite/SampleSite.h"
#include "samplesite/SiteOptions.h"

int main(int argc, char** argv) {
    samplesite::SiteOptions options;
    std::string error;
    if (!samplesite::ParseSiteOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "fh_samplesite: %s\n%s", error.c_str(), samplesite::kSiteUsage);
        return 2;
    }
    samplesite::SampleSite site(options);
    if (!site.Start()) {
        std::fprintf(stderr, "fh_samplesite: cannot listen on 127.0.0.1:%u or write its files\n",
                     static_cast<unsigned>(options.port));
        return 1;
    }
    std::printf("fh_samplesite: listening on 127.0.0.1:%u for %.3f s\n", static_cast<unsigned>(site.Port()),
                options.lifetimeMs / 1000.0);
    std::fflush(stdout);
    samplesite::SiteEnd end = site.Run();
    std::printf("fh_samplesite: %s\n", end == samplesite::SiteEnd::Quit ? "quit requested" : "lifetime over");
    return 0;
}
