// The command line's own texts: usage and version.
#pragma once

inline constexpr const char* kesmor_version = "0.9.0";

void print_usage();
void print_version();
