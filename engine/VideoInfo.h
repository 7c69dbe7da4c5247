// What a watch page resolves to.
#pragma once
#include <string>

struct VideoInfo {
    std::string title;      // cleaned page title; empty when the page gave none
    std::string streamUrl;  // the site's origin, "/get_video?", the player's arguments
};
