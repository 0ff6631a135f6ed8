// Ends while a name lookup is still running, for memcheck: started as
//   kesmor_lookup_probe FD HOST drop|keep
// where FD is a name server's socket that never answers. Once the lookup's query has reached
// it, the probe drops the lookup and returns (drop), or leaves through exit() with the lookup
// still held (keep). Exit status 0 when the lookup was still running at the end.
#include <cstdlib>
#include <poll.h>
#include <string_view>
#include <sys/socket.h>

#include "gopher/resolver.hpp"

int main(int argc, char** argv) {
    if (argc != 4) {
        return 2;
    }
    const int server = std::atoi(argv[1]);
    Lookup lookup = start_lookup(argv[2], 70);
    pollfd query{server, POLLIN, 0};
    // Generous: memcheck is slow to start a thread.
    if (poll(&query, 1, 60'000) != 1) {
        return 3;
    }
    char bytes[512];
    if (recv(server, bytes, sizeof bytes, 0) <= 0) {
        return 4;
    }
    pollfd answer{lookup_fd(lookup), POLLIN, 0};
    if (poll(&answer, 1, 0) != 0 || take_lookup_result(lookup)) {
        return 5;
    }
    if (std::string_view(argv[3]) == "drop") {
        abandon_lookup(lookup);
        return 0;
    }
    std::exit(0);
}
