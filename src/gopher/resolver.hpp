// Name lookups beside the event loop: getaddrinfo runs on a thread of its own and wakes the loop
// through a descriptor, so that a slow or silent name server never freezes the screen.
//
//   Lookup lookup = start_lookup(host, port);
//   ... poll lookup_fd(lookup) for POLLIN with everything else ...
//   if (std::optional<LookupResult> result = take_lookup_result(lookup)) { ... }
//
// Cancelling is dropping the Lookup (or abandon_lookup): the thread finishes in its own time and
// frees what it found; nothing waits for it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <vector>

// One address to connect to, port included.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;
};

struct LookupResult {
    // Both families, in the order the resolver sorted them (RFC 6724 as glibc does); empty on
    // failure.
    std::vector<SocketAddress> addresses;
    int error = 0;        // 0, or getaddrinfo's EAI_* code
    int system_error = 0; // errno, when error is EAI_SYSTEM
};

struct LookupState;

// A lookup in flight, or finished and not yet taken. Movable; empty once taken or abandoned.
struct Lookup {
    std::shared_ptr<LookupState> state;
};

// Starts looking up host for port (a menu line's port: only its low 16 bits reach the wire).
// A numeric host (IPv4, or IPv6 without brackets) is resolved at once on the calling thread and
// starts no thread. The result is ready when lookup_fd is readable.
[[nodiscard]] Lookup start_lookup(std::string_view host, int port);

// Readable (POLLIN) once the result is in; owned by the Lookup. -1 for an empty Lookup, and for
// one whose descriptor could not be made: its result, a failure, is in already.
[[nodiscard]] int lookup_fd(const Lookup& lookup);

// The result once the lookup has finished (then the Lookup is empty), nothing while it runs.
[[nodiscard]] std::optional<LookupResult> take_lookup_result(Lookup& lookup);

// Gives the lookup up without waiting for its thread; the Lookup is empty afterwards.
void abandon_lookup(Lookup& lookup);

// "getaddrinfo: <reason>\n" for a failed result, as the notes of a fetch record it; empty for
// a result with addresses.
[[nodiscard]] std::string lookup_failure_note(const LookupResult& result);
