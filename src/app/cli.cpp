// The command line's own texts: usage and version.
#include "app/cli.hpp"

#include <cstdio>

void print_usage() {
    std::fputs("Usage: kesmor [gopher_address]\n"
               "A command-line Gopher client.\n"
               "\n"
               "Arguments:\n"
               "  gopher_address  The Gopher server address. E.g., 'gopher.example.org', "
               "'gopher://gopher.example.net:70/1/dir'.\n"
               "\n"
               "Options:\n"
               "  -h, --help     Display this help message and exit.\n"
               "  -v, --version  Display program version and exit.\n",
               stdout);
}

void print_version() {
    std::printf("Kesmor %s\n", kesmor_version);
}
