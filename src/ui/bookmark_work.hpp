// The bookmarks in the model: keeping one (`m`), the bookmarks page (`B`, `r` there) and taking
// one out of it (`d`, once the user says yes).
#pragma once

struct Model;
struct RemoveBookmark;

// The marked link of a menu, else the page on screen.
void keep_bookmark(Model* model);
// The file read as a menu page, pushed on the history.
void open_bookmarks_page(Model* model);
// The bookmarks page on screen reads the file again, its place kept where it can be.
void reread_bookmarks(Model* model);
// On the bookmarks page, the question whether to remove the marked bookmark; elsewhere nothing.
void ask_to_remove_bookmark(Model* model);
void remove_bookmark_now(Model* model, const RemoveBookmark& what);
