// The one place where a view learns what happens next: every key it reacts to comes in here.
#pragma once

struct Browser;

enum class ViewEventKind {
    ended,    // running was found cleared, or input ended (then running is cleared: nobody is
              // left to press 'q')
    resize,   // the window size changed; winsize holds the new one
    movement, // ESC, '[' or 'O', then key
    command,  // a single byte: key
};

struct ViewEvent {
    ViewEventKind kind;
    unsigned char key;
};

// Waits, in 100 ms polls, until there is something a view must answer. Reads that bring nothing
// and reads of other lengths are passed over.
[[nodiscard]] ViewEvent next_view_event(Browser* browser);
