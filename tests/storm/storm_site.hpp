// A random Gopher site for one storm, the same for the same seed: menus of random runs of links
// and information lines, texts of hostile bytes, and links to pages that fail in every way a
// server can fail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/gopher_fixture.hpp"

struct SiteOptions {
    // Pages whose server sends part of an answer and then nothing: the program waits its
    // receive time-out for each, unless the user can cancel.
    bool stalls = true;
};

struct SitePage {
    std::string selector;
    Script script;
};

struct Site {
    std::vector<SitePage> pages; // the root menu, selector "", first
};

// host and port of the fixture serving the site, refused_port a port that refuses connections.
[[nodiscard]] Site generate_site(std::uint64_t seed, const SiteOptions& options,
                                 const std::string& host, int port, int refused_port);

// Every page on the server; any other selector (a search, for one) gets a small menu.
void serve_site(GopherServer& server, const Site& site);
