// Plain output: standard output is no terminal, and the start address's bytes go there as they
// arrive; the run ends with the download.
#pragma once

#include <chrono>

struct Address;
struct Model;
struct Waits;

// Starts the download; its failure, at once or later, is the run's fatal message.
void start_plain_output(Model* model, const Address& address,
                        std::chrono::steady_clock::time_point now);
// A descriptor of the download was ready (fd -1 when none is), or a deadline may have passed.
// The bytes received go out; the end of the download, or a failure to write them, ends the run.
void step_plain_output(Model* model, int fd, short revents,
                       std::chrono::steady_clock::time_point now);
void add_plain_output_waits(const Model& model, Waits* waits);
