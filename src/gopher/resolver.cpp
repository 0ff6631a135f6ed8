// Name lookups beside the event loop.
#include "gopher/resolver.hpp"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <utility>

#include "gopher/descriptor.hpp"

// Shared by the Lookup and its thread; whichever lets go last frees it.
struct LookupState {
    std::string host; // written before the thread starts, only read after
    int port = 0;
    Descriptor wake; // eventfd: counts 1 once the result is in
    std::mutex mutex;
    bool finished = false; // result holds the answer; guarded by mutex
    LookupResult result;
};

namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo* list) const noexcept { freeaddrinfo(list); }
};

void set_port(SocketAddress& address, int port) {
    // Menu lines carry any int; the wire takes its low 16 bits.
    const std::uint16_t wire =
        htons(static_cast<std::uint16_t>(static_cast<unsigned>(port) & 0xFFFFu));
    if (address.storage.ss_family == AF_INET) {
        reinterpret_cast<sockaddr_in*>(&address.storage)->sin_port = wire;
    } else if (address.storage.ss_family == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&address.storage)->sin6_port = wire;
    }
}

// getaddrinfo for a TCP connection to host, both families, in the resolver's order.
LookupResult resolve(const std::string& host, int port, int flags) {
    LookupResult result;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo* found = nullptr;
    result.error = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (result.error != 0) {
        result.system_error = result.error == EAI_SYSTEM ? errno : 0;
        return result;
    }
    const std::unique_ptr<addrinfo, AddrInfoDeleter> list{found};
    for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
        if ((entry->ai_family != AF_INET && entry->ai_family != AF_INET6) ||
            entry->ai_addrlen > sizeof(sockaddr_storage)) {
            continue;
        }
        SocketAddress address;
        std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
        address.length = entry->ai_addrlen;
        set_port(address, port);
        result.addresses.push_back(address);
    }
    if (result.addresses.empty()) {
        result.error = EAI_NONAME;
    }
    return result;
}

void finish(LookupState& state, LookupResult result) {
    {
        const std::lock_guard<std::mutex> lock(state.mutex);
        state.result = std::move(result);
        state.finished = true;
    }
    const std::uint64_t one = 1;
    std::ignore = write(state.wake.fd, &one, sizeof one);
}

// Runs the lookup on a new thread with every signal blocked, so that SIGWINCH, SIGINT and the
// rest reach the main thread. The mask is set before the thread exists: it inherits it, and no
// signal can land in between.
void start_thread(const std::shared_ptr<LookupState>& state) {
    sigset_t all;
    sigset_t old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    try {
        std::thread([state] { finish(*state, resolve(state->host, state->port, 0)); }).detach();
    } catch (const std::system_error& error) {
        finish(*state,
               {.addresses = {}, .error = EAI_SYSTEM, .system_error = error.code().value()});
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

} // namespace

Lookup start_lookup(std::string_view host, int port) {
    auto state = std::make_shared<LookupState>();
    state->host = host;
    state->port = port;
    state->wake = Descriptor{eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};
    if (state->wake.fd < 0) {
        finish(*state, {.addresses = {}, .error = EAI_SYSTEM, .system_error = errno});
        return {std::move(state)};
    }
    if (host.empty() || host.find('\0') != std::string_view::npos) {
        finish(*state, {.addresses = {}, .error = EAI_NONAME, .system_error = 0});
        return {std::move(state)};
    }
    LookupResult numeric = resolve(state->host, port, AI_NUMERICHOST);
    if (numeric.error != EAI_NONAME) {
        finish(*state, std::move(numeric));
    } else {
        start_thread(state);
    }
    return {std::move(state)};
}

int lookup_fd(const Lookup& lookup) {
    return lookup.state ? lookup.state->wake.fd : -1;
}

std::optional<LookupResult> take_lookup_result(Lookup& lookup) {
    if (!lookup.state) {
        return std::nullopt;
    }
    std::optional<LookupResult> taken;
    {
        const std::lock_guard<std::mutex> lock(lookup.state->mutex);
        if (!lookup.state->finished) {
            return std::nullopt;
        }
        taken = std::move(lookup.state->result);
    }
    lookup.state.reset();
    return taken;
}

void abandon_lookup(Lookup& lookup) {
    lookup.state.reset();
}

std::string lookup_failure_note(const LookupResult& result) {
    if (result.error == 0) {
        return {};
    }
    std::string note = "getaddrinfo: ";
    note += result.error == EAI_SYSTEM ? std::strerror(result.system_error)
                                       : gai_strerror(result.error);
    note += '\n';
    return note;
}
