// One of the user's podcasts as the service lists it after a login.
#pragma once
#include <cstdint>
#include <string>

struct PodcastEntry {
    int32_t id = 0;         // sent back as "podcast_id", remembered as "LastPodcastID"
    std::wstring name;      // the podcast's title, for the podcast list
    std::wstring siteName;  // its site is "http://" + siteName + "." + service host + "/index.html"
};
