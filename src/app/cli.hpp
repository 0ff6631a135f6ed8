// The command line's own texts: usage and version.
#pragma once

#include "base/version.hpp" // generated: kesmor_version

void print_usage();
void print_version();
