// A bookmark as a menu line: what it holds, how its display is cut, and finding it again.
#include "nav/bookmark_line.hpp"

#include <gtest/gtest.h>
#include <string>

#include "gopher/menu.hpp"

namespace {

using namespace std::string_literals;

Bookmark place(char type, std::string display, std::string selector, std::string host, int port) {
    return {type, std::move(display), std::move(selector), std::move(host), port};
}

TEST(BookmarkLine, IsAMenuLineThatReadsBackAsTheSamePlace) {
    const Bookmark kept = place('0', "About\tus\r\nnow\0!"s, "/about.txt", "example.org", 7070);
    const std::optional<std::string> line = bookmark_line(kept);
    ASSERT_TRUE(line);
    // NUL goes as TAB, CR and LF do: a line of the file is read as a C string in places.
    EXPECT_EQ(*line, std::string("0About us  now !\t/about.txt\texample.org\t7070\r\n"));
    MenuItem item{};
    ASSERT_EQ(parse_menu_line(*line, 0, &item, "", 0), 1);
    EXPECT_EQ(item.type, '0');
    EXPECT_EQ(menu_item_selector(item, line->c_str()), "/about.txt");
    EXPECT_EQ(menu_item_host(item, line->c_str(), ""), "example.org");
    EXPECT_EQ(item.port, 7070);
    EXPECT_TRUE(has_bookmark(*line, kept));
}

TEST(BookmarkLine, TakesATlsLinkAsGiven) {
    const Bookmark tls =
        place('1', "Secure", "URL:gophers://example.org:7443/1/dir", "example.org", 7443);
    EXPECT_EQ(bookmark_line(tls),
              "1Secure\tURL:gophers://example.org:7443/1/dir\texample.org\t7443\r\n");
    EXPECT_TRUE(has_bookmark(*bookmark_line(tls), tls));
}

TEST(BookmarkLine, RefusesFieldsThatWouldBreakTheLine) {
    for (const std::string& bad : {"a\tb"s, "a\nb"s, "a\rb"s, "a\0b"s}) {
        EXPECT_FALSE(bookmark_line(place('1', "x", bad, "h", 70))) << "selector " << bad;
        EXPECT_FALSE(bookmark_line(place('1', "x", "/", bad, 70))) << "host " << bad;
    }
    EXPECT_FALSE(bookmark_line(place('\t', "x", "/", "h", 70)));
}

TEST(BookmarkLine, ASearchResultBecomesAUrlLinkToTheSamePage) {
    const Bookmark search = place('7', "Find cats", "/find\tcats", "example.org", 70);
    const Bookmark link = link_for_line(search);
    EXPECT_EQ(link.type, 'h');
    EXPECT_EQ(link.selector, "URL:gopher://example.org:70/7/find%09cats");
    EXPECT_EQ(link.host, "example.org");
    EXPECT_EQ(link.port, 70);
    EXPECT_TRUE(bookmark_line(link));
    // Everything else is left as it is.
    const Bookmark plain = place('1', "Home", "/", "example.org", 70);
    EXPECT_EQ(link_for_line(plain).selector, "/");
    EXPECT_EQ(link_for_line(plain).type, '1');
}

TEST(BookmarkLine, DisplayIsCutAtACharacterBoundaryWithin1023Bytes) {
    const std::string e_acute = "\xC3\xA9";       // 2 bytes
    const std::string euro = "\xE2\x82\xAC";      // 3 bytes
    const std::string emoji = "\xF0\x9F\x98\x80"; // 4 bytes
    struct Case {
        std::string display;
        std::size_t length; // of the display kept
    };
    const Case cases[] = {
        {std::string(1023, 'a'), 1023},
        {std::string(1024, 'a'), 1023},
        {std::string(1022, 'a') + e_acute, 1022},
        {std::string(1021, 'a') + e_acute, 1023},
        {std::string(1021, 'a') + euro, 1021},
        {std::string(1020, 'a') + euro, 1023},
        {std::string(1022, 'a') + emoji, 1022},
        {std::string(1020, 'a') + emoji, 1020},
        {std::string(1019, 'a') + emoji + "b", 1023},
        // Bytes that start no character (cp1252 text) are characters of their own.
        {std::string(1022, 'a') + "\xE9\xE9", 1023},
        {std::string(1020, 'a') + "\x80\x80\x80\x80", 1023},
        {"", 0},
    };
    for (const Case& c : cases) {
        const std::string kept = line_display(c.display);
        EXPECT_EQ(kept.size(), c.length) << "display of " << c.display.size() << " bytes";
        EXPECT_EQ(kept, c.display.substr(0, c.length));
        const std::string line = *bookmark_line(place('1', c.display, "/", "h", 70));
        EXPECT_EQ(line.substr(1, line.find('\t') - 1), kept);
    }
}

TEST(BookmarkLine, FindsTheSamePlaceAmongAnyLines) {
    const Bookmark kept = place('1', "Mine", "/dir", "example.org", 70);
    // Not bookmarks, or bookmarks of other places, each with the same fields somewhere.
    const std::string others = "# a comment naming /dir example.org 70\n"
                               "\n"
                               "iMine\t/dir\texample.org\t70\r\n"
                               "1Mine\t/dir\texample.org\r\n"
                               "0Mine\t/dir\texample.org\t70\r\n"
                               "1Mine\t/dir/\texample.org\t70\n"
                               "1Mine\t/dir\texample.net\t70\n"
                               "1Mine\t/dir\texample.org\t71\n"
                               "1Mine\t/dir\t\t70\n"
                               "just text\n";
    EXPECT_FALSE(has_bookmark(others, kept));
    // Another display string, no CR, no last newline: still the same place.
    const std::string ends = "1Another name\t/dir\texample.org\t70";
    EXPECT_TRUE(has_bookmark(others + ends, kept));
    EXPECT_TRUE(has_bookmark(ends + "\r\n" + others, kept));
    EXPECT_TRUE(has_bookmark("1x\t/dir\texample.org\t70\t+\r\n", kept)) << "a Gopher+ line";
    EXPECT_FALSE(has_bookmark("", kept));
}

TEST(BookmarkLine, LineSpotIsTheWholeLineWithItsEnd) {
    const std::string bytes = "first\r\nsecond\nlast";
    struct Case {
        std::size_t inside;
        std::size_t at;
        std::string line;
    };
    const Case cases[] = {
        {0, 0, "first\r\n"}, {3, 0, "first\r\n"}, {6, 0, "first\r\n"}, {7, 7, "second\n"},
        {13, 7, "second\n"}, {14, 14, "last"},    {17, 14, "last"},
    };
    for (const Case& c : cases) {
        const LineSpot spot = line_spot(bytes, c.inside);
        EXPECT_EQ(spot.at, c.at) << "inside " << c.inside;
        EXPECT_EQ(spot.line, c.line) << "inside " << c.inside;
    }
}

} // namespace
