// The menu view: coloured rows and the selection marker.
#pragma once

struct Frame;
struct Model;

// The rows on screen from the menu's first row; the selected link is marked when it is among
// them.
void draw_menu(const Model& model, Frame* frame);
