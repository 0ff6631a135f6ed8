// Menu or text, and the parsing of menu lines into items.
#include "gopher/menu.hpp"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "gopher/menu_items.hpp"
#include "support/menu_build.hpp"
#include "support/reference.hpp"

namespace {

// The items of one content, parsed for a page on alpha.lan port 70.
struct MenuFixture {
    std::vector<char> content; // exact size, so that a read past the NUL is caught
    MenuItems items;

    void build(const std::string& text) {
        content.assign(text.c_str(), text.c_str() + text.size() + 1);
        build_menu_items(&items, content.data(), "alpha.lan", 70);
    }
    const MenuItem& item(int i) const { return items.items[static_cast<std::size_t>(i)]; }
    reference::Item written(int i) const {
        return reference::written_out(item(i), content.data(), "alpha.lan");
    }
};

TEST(BuildMenuItems, ParsesTheWorkedExample) {
    MenuFixture f;
    f.build("iWelcome\t\tnull.host\t1\r\n"
            "1Documents\t/docs\tbeta.lan\t70\r\n"
            "0Read me  \t/readme.txt\t\r\n"
            "7Search\t/find\tbeta.lan\t7070\t+\r\n"
            "3Not found\t\terror.host\t1\r\n"
            "1Mirror\t/\tnull.host\t70\r\n"
            "hHelp page\t/help.html\tbeta.lan\t70\r\n"
            "Just a note\r\n"
            "9Tarball\t/pack.tar\r\n"
            ".\r\n");
    const struct {
        char type;
        const char* display;
        const char* selector;
        const char* host;
        int port;
        int selectable;
        int ordinal;
    } expected[] = {
        {'i', "Welcome", "", "", 0, 0, 0},
        {'1', "Documents", "/docs", "beta.lan", 70, 1, 1},
        {'0', "Read me", "/readme.txt", "alpha.lan", 70, 1, 2},
        {'7', "Search", "/find", "beta.lan", 7070, 1, 3},
        {'3', "Not found", "", "error.host", 1, 0, 0},
        {'1', "Mirror", "/", "null.host", 70, 0, 0},
        {'h', "Help page", "/help.html", "beta.lan", 70, 1, 4},
        {'J', "ust a note", "", "", 0, 0, 0},
        {'9', "Tarball", "", "", 0, 0, 0},
    };
    ASSERT_EQ(item_count(f.items), 9);
    EXPECT_EQ(f.items.selectable_count, 4);
    for (int i = 0; i < 9; ++i) {
        const auto& e = expected[i];
        const reference::Item item = f.written(i);
        EXPECT_EQ(item.type, e.type) << "line=" << i + 1;
        EXPECT_EQ(item.display, e.display) << "line=" << i + 1;
        EXPECT_EQ(item.selector, e.selector) << "line=" << i + 1;
        EXPECT_EQ(item.host, e.host) << "line=" << i + 1;
        EXPECT_EQ(item.port, e.port) << "line=" << i + 1;
        EXPECT_EQ(item.selectable, e.selectable) << "line=" << i + 1;
        EXPECT_EQ(item.ordinal, e.ordinal) << "line=" << i + 1;
    }
}

TEST(ParseMenuLine, HandlesCarriageReturnsPortsAndShortLines) {
    const struct {
        const char* line;
        int result;
        char type;
        const char* display;
        const char* selector;
        int port;
        const char* host = "";
    } cases[] = {
        {"\r", 0, 0, "", "", 0},
        {"x\r", 0, 0, "", "", 0},
        {"x", 0, 0, "", "", 0},
        {".", 0, 0, "", "", 0},
        {"..", 1, '.', ".", "", 0},
        {"0Doc\t/a\t\t", 1, '0', "Doc", "/a", 0, "page.lan"}, // empty port field: 0, not the page's
        {"0Doc\t/a\thost.lan\tabc", 1, '0', "Doc", "/a", 0, "host.lan"},
        {"0Doc\t/a\thost.lan\t-1", 1, '0', "Doc", "/a", -1, "host.lan"},
        {"0Doc\t/a\thost.lan\t70000", 1, '0', "Doc", "/a", 70000, "host.lan"},
        {"0Doc\t/a\th.lan\r\r", 1, '0', "Doc", "/a", 70, "h.lan\r"}, // one CR removed: one stays
        {"iNote\r\r", 1, 'i', "Note", "", 0}, // ...and trimming removes it from a display
        {"iInfo\t/sel\thost.lan\t70", 1, 'i', "Info", "", 0},
        {"i  Welcome  ", 1, 'i', "  Welcome", "", 0},
        {"i   ", 1, 'i', "   ", "", 0},
    };
    for (const auto& c : cases) {
        // Inside a longer content, whose next line the item must not reach into.
        const std::string content = std::string("x\n") + c.line + "\n 9\t9\t9\n";
        const std::string before = content;
        MenuItem raw;
        std::memset(&raw, 0x55, sizeof raw);
        EXPECT_EQ(parse_menu_line(c.line, 2, &raw, "page.lan", 70), c.result) << c.line;
        EXPECT_EQ(content, before) << c.line;
        if (c.result == 0) {
            continue;
        }
        const reference::Item item = reference::written_out(raw, content.c_str(), "page.lan");
        EXPECT_EQ(item.type, c.type) << c.line;
        EXPECT_EQ(item.display, c.display) << c.line;
        EXPECT_EQ(item.selector, c.selector) << c.line;
        EXPECT_EQ(item.port, c.port) << c.line;
        if (c.type != 'i' && c.type != '.') {
            EXPECT_EQ(item.host, c.host) << c.line;
        }
        EXPECT_EQ(item.ordinal, 0) << c.line;
    }
}

TEST(ParseMenuLine, PagesSavesAndSessionsOnRealHostsAreSelectable) {
    for (const char* type :
         {"0", "1", "2", "7", "h", "3", "8", "T", "9", "g", "I", "+", "i", "s"}) {
        for (const char* host : {"real.lan", "null.host", "error.host", "NULL.HOST"}) {
            const std::string line = std::string(type) + "Item\t/sel\t" + host + "\t70";
            MenuItem item;
            ASSERT_EQ(parse_menu_line(line, 0, &item, "page.lan", 70), 1);
            const bool link = std::strchr("0127h89TgIs", type[0]) != nullptr;
            const bool placeholder =
                std::strcmp(host, "null.host") == 0 || std::strcmp(host, "error.host") == 0;
            EXPECT_EQ(item.selectable, link && !placeholder ? 1 : 0)
                << "type=" << type << " host=" << host;
        }
    }
}

TEST(ParseMenuLine, PortsOutside1To65535AreNotSelectable) {
    const struct {
        const char* port;
        int value;
        int selectable;
    } cases[] = {
        {"0", 0, 0},         {"65536", 65536, 0},
        {"70000", 70000, 0}, {"-1", -1, 0},
        {"", 0, 0},          {"1", 1, 1},
        {"65535", 65535, 1}, {"70", 70, 1},
        {"+70 ", 70, 1},     {"4294967366", 2147483647, 0},
    };
    for (const auto& c : cases) {
        std::string line = std::string("1Menu\t/m\treal.lan\t") + c.port;
        MenuItem item;
        ASSERT_EQ(parse_menu_line(line, 0, &item, "page.lan", 70), 1) << c.port;
        EXPECT_EQ(item.type, '1') << c.port;
        EXPECT_EQ(menu_item_display(item, line.c_str()), "Menu")
            << "shown as it is; port=" << c.port;
        EXPECT_EQ(item.port, c.value) << c.port;
        EXPECT_EQ(item.selectable, c.selectable) << "port=" << c.port;
    }
}

TEST(TrimmedLength, KeepsLeadingWhiteSpace) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},       {"  Welcome  ", "  Welcome"}, {"   ", "   "}, {"a\t\v\f\r\n", "a"},
        {"a b", "a b"}, {"x\xa0", "x\xa0"},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        text.resize(trimmed_length(text.data(), text.size()));
        EXPECT_EQ(text, c.out) << "in=" << c.in;
    }
}

TEST(BuildMenuItems, EmptyPiecesAndLinesAfterTheFullStopLine) {
    MenuFixture f;
    f.build("\n\n1A\t/a\th.lan\t70\n\n.\n1B\t/b\th.lan\t70\n\n");
    ASSERT_EQ(item_count(f.items), 2);
    EXPECT_EQ(f.written(1).display, "B");
    EXPECT_EQ(f.item(1).ordinal, 2);

    // A rebuild replaces the items of the content before.
    f.build("");
    EXPECT_EQ(item_count(f.items), 0);
    EXPECT_EQ(f.items.selectable_count, 0);
}

TEST(BuildMenuItems, GrowsPastFiftyAndAHundredItems) {
    MenuFixture f;
    std::string content;
    for (int i = 0; i < 205; ++i) {
        content += (i % 2 ? "1Link " : "iInfo ") + std::to_string(i) + "\t/" + std::to_string(i) +
                   "\th.lan\t70\r\n";
    }
    f.build(content);
    ASSERT_EQ(item_count(f.items), 205);
    EXPECT_EQ(f.items.selectable_count, 102);
    for (int i = 0; i < 205; ++i) {
        EXPECT_EQ(f.item(i).ordinal, i % 2 ? (i + 1) / 2 : 0) << "item=" << i;
    }
    EXPECT_EQ(f.written(204).display, "Info 204");
}

// The selector is not asked: "help" once made a type-1 page text, "/1" a document a menu.
TEST(ContentIsMenu, DecidesOnThePagesType) {
    const std::string menu_line = "1A\t/a\th\t70\r\n";
    const struct {
        char type;
        std::string content;
        int menu;
    } cases[] = {
        {'1', menu_line, 1},
        // A menu or search answered with a line of text (a selector the server does not have)
        // is text, as a page without a type is: as a menu it would lose its first letter.
        {'1', "plain text", 0},
        {'1', "Error: File or directory not found!\r\n", 0},
        {'1', "", 0},
        {'1', "plain\nsecond\tline", 0},
        {'1', std::string(1023, 'x') + "\t", 0},
        {'7', "plain text", 0},
        {'7', menu_line, 1},
        // Every other type is text, however menu-like its content.
        {'0', menu_line, 0},
        {'h', menu_line, 0},
        {'2', menu_line, 0},
        {'3', menu_line, 0},
        {'4', menu_line, 0},
        {'9', menu_line, 0},
        {'g', menu_line, 0},
        {'I', menu_line, 0},
        {'i', menu_line, 0},
        {'+', menu_line, 0},
        {'/', menu_line, 0},
        {'\xff', menu_line, 0},
        // No type: a menu unless the first line (at most 1023 bytes) has no TAB.
        {'\0', menu_line, 1},
        {'\0', "a\tb", 1},
        {'\0', "Error: File or directory not found!\r\n.\r\n", 0},
        {'\0', "plain\nsecond\tline", 0},
        {'\0', std::string(1022, 'x') + "\t", 1},
        {'\0', std::string(1023, 'x') + "\t", 0},
        {'\0', "", 0},
    };
    for (const auto& c : cases) {
        // An exact-size copy, so that a look past the first line's end is caught.
        const std::vector<char> content(c.content.c_str(),
                                        c.content.c_str() + c.content.size() + 1);
        EXPECT_EQ(content_is_menu(c.type, content.data()), c.menu == 1)
            << "type=" << static_cast<int>(c.type) << " content=" << c.content.substr(0, 20);
    }
    // Before the content arrives, whatever the type.
    for (const char type : {'1', '7', '\0', '0'}) {
        EXPECT_FALSE(content_is_menu(type, nullptr)) << "type=" << static_cast<int>(type);
    }
}

} // namespace
