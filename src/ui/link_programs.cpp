// Links handed to the user's programs: the argument lists from BROWSER and for telnet, the
// questions asked first, and which links are never handed on.
#include "ui/link_programs.hpp"

#include "gopher/host_port.hpp"

namespace {

constexpr int telnet_port = 23;

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The word with "%s" replaced by the URL and "%%" by '%'; any other '%' stays.
std::string expand(std::string_view word, std::string_view url, bool* used_url) {
    std::string out;
    for (std::size_t k = 0; k < word.size(); ++k) {
        if (word[k] == '%' && k + 1 < word.size() && (word[k + 1] == 's' || word[k + 1] == '%')) {
            if (word[k + 1] == 's') {
                out += url;
                *used_url = true;
            } else {
                out += '%';
            }
            ++k;
        } else {
            out += word[k];
        }
    }
    return out;
}

Command browser_command(std::string_view text, std::string_view url) {
    Command command;
    bool used_url = false;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && is_blank(text[at])) {
            ++at;
        }
        std::size_t end = at;
        while (end < text.size() && !is_blank(text[end])) {
            ++end;
        }
        if (end > at) {
            command.push_back(expand(text.substr(at, end - at), url, &used_url));
        }
        at = end;
    }
    if (!command.empty() && !used_url) {
        command.emplace_back(url);
    }
    return command;
}

} // namespace

std::vector<Command> browser_commands(std::string_view browser, std::string_view url) {
    std::vector<Command> commands;
    for (;;) {
        const std::size_t colon = browser.find(':');
        Command command = browser_command(browser.substr(0, colon), url);
        if (!command.empty()) {
            commands.push_back(std::move(command));
        }
        if (colon == std::string_view::npos) {
            return commands;
        }
        browser.remove_prefix(colon + 1);
    }
}

Command telnet_command(std::string_view program, std::string_view host, int port) {
    Command command{std::string(program), std::string(host)};
    if (port != telnet_port) {
        command.push_back(std::to_string(port));
    }
    return command;
}

bool safe_to_hand_on(std::string_view text) {
    if (text.empty() || text.front() == '-') {
        return false;
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7f) {
            return false;
        }
    }
    return true;
}

std::string browser_question(std::string_view url, const Command& command) {
    std::string text = "Open ";
    text += url;
    text += " with ";
    text += command.empty() ? std::string_view{} : std::string_view{command.front()};
    text += "? (y/n)";
    return text;
}

std::string telnet_question(std::string_view program, std::string_view host, int port,
                            std::string_view selector) {
    std::string text;
    if (!selector.empty()) {
        text += "Log in as: ";
        text += selector;
        text += ". ";
    }
    text += "Open ";
    text += program;
    text += "://";
    text += url_host(host);
    text += ':';
    text += std::to_string(port);
    text += " with ";
    text += program;
    text += "? (y/n)";
    return text;
}

std::string program_failed_message(std::string_view command, int status) {
    std::string text = "Error: ";
    text += command;
    text += " failed (status ";
    text += std::to_string(status);
    text += ").";
    return text;
}
