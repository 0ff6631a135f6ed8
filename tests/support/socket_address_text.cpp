// A resolved address in words, for checks on what the resolver and the connector chose.
#include "support/socket_address_text.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>

std::string address_text(const SocketAddress& address) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.storage.ss_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&address.storage)->sin_addr, text,
                  sizeof text);
    } else if (address.storage.ss_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&address.storage)->sin6_addr,
                  text, sizeof text);
    }
    return text;
}

int address_port(const SocketAddress& address) {
    if (address.storage.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in*>(&address.storage)->sin_port);
    }
    if (address.storage.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&address.storage)->sin6_port);
    }
    return -1;
}
