// Name lookups the tests control, without the network: a child process gets a mount namespace
// of its own with a resolv.conf and a hosts file of the test's over /etc/resolv.conf and
// /etc/hosts. Nothing outside the child sees them. Needs root (or CAP_SYS_ADMIN); a test skips
// when name_sandbox_permitted() is false.
//
//   auto server = start_silent_name_server();              // never answers; null: skip
//   auto sandbox = make_name_sandbox(resolv_conf_for(server->address, 30),
//                                    "127.0.0.1 localhost\n");
//   SandboxRun run = run_in_name_sandbox(*sandbox, [&] { ...; return std::string(); });
//   EXPECT_TRUE(sandbox_run_clean(run)) << run.report;
//
// For the program itself, the child calls enter_name_sandbox between fork and exec (it makes
// only system calls), or the body given to run_in_name_sandbox execs it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "gopher/descriptor.hpp"

struct NameSandbox {
    std::string directory;   // a fresh directory under /tmp, removed with the record
    std::string resolv_conf; // path of the file bound over /etc/resolv.conf
    std::string hosts;       // path of the file bound over /etc/hosts

    NameSandbox() = default;
    NameSandbox(const NameSandbox&) = delete;
    NameSandbox& operator=(const NameSandbox&) = delete;
    ~NameSandbox();
};

// Writes the two files; null when they could not be written (a test failure says why).
[[nodiscard]] std::unique_ptr<NameSandbox> make_name_sandbox(std::string_view resolv_conf,
                                                             std::string_view hosts);

// For a child process, after fork: enters a private mount namespace and binds the sandbox's
// files over /etc/resolv.conf and /etc/hosts. 0, or the errno of the step that failed.
// Async-signal-safe. A process with more than one thread cannot enter (EINVAL).
[[nodiscard]] int enter_name_sandbox(const NameSandbox& sandbox) noexcept;

// Whether a child of this process can enter a sandbox here (root in a system that allows
// mount namespaces).
[[nodiscard]] bool name_sandbox_permitted();

struct SandboxRun {
    bool finished = false; // the child ended within the time-out (otherwise it was killed)
    int status = 0;        // from waitpid, once finished
    std::string report;    // what the body returned; empty when all went as it expected
};

// Runs body in a forked child inside the sandbox; the child then ends through exit(), so that
// exit handlers (the leak checker's among them) run. The body may exec instead. A child still
// running after timeout_ms is killed by its PID.
[[nodiscard]] SandboxRun run_in_name_sandbox(const NameSandbox& sandbox,
                                             const std::function<std::string()>& body,
                                             int timeout_ms = 60'000);

// The same in a plain child, or in the sandbox when one is given: for a test whose body must
// be the only thread of its process.
[[nodiscard]] SandboxRun run_in_child(const NameSandbox* sandbox,
                                      const std::function<std::string()>& body,
                                      int timeout_ms = 60'000);

// Finished with exit status 0 and an empty report.
[[nodiscard]] bool sandbox_run_clean(const SandboxRun& run);

// A name server that never answers: a UDP socket on port 53 of a loopback address of its own
// (127.x.y.z), which reads only what a test asks it to. Null when no address could be bound.
struct SilentNameServer {
    Descriptor socket;
    std::string address;
};
[[nodiscard]] std::unique_ptr<SilentNameServer> start_silent_name_server();

// True once a query has reached the server (it is read and dropped), false at the time-out.
[[nodiscard]] bool wait_for_query(const SilentNameServer& server, int timeout_ms);

// A resolv.conf naming only that server, waiting timeout_s seconds for each of two tries.
[[nodiscard]] std::string resolv_conf_for(std::string_view address, int timeout_s);
