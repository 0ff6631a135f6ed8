// The frame of the page on screen, for whoever draws over it (a prompt, a fetch's progress) and
// must redraw it.
#pragma once

struct Browser;
struct ShownPage;

// Draws the current page as its view would at the browser's window size, the place kept
// within it: the menu, or the text from shown's position (shown is the record of that page, as
// the view loops hold it); a cleared screen while the first page has no content yet.
void draw_page_frame(Browser* browser, ShownPage* shown);
