// A frame writer's bytes played on a terminal emulator (libvterm), and the emulator's screen
// compared with the frame, cell by cell.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vterm.h>

#include "support/utf8_char.hpp"
#include "term/frame.hpp"

class FrameEmulator {
  public:
    FrameEmulator(int rows, int cols) : vt_(vterm_new(rows, cols)) {
        vterm_set_utf8(vt_, 1);
        VTermScreen* screen = vterm_obtain_screen(vt_);
        callbacks_.settermprop = &FrameEmulator::on_termprop;
        vterm_screen_set_callbacks(screen, &callbacks_, this);
        vterm_screen_reset(screen, 1);
    }
    ~FrameEmulator() { vterm_free(vt_); }
    FrameEmulator(const FrameEmulator&) = delete;
    FrameEmulator& operator=(const FrameEmulator&) = delete;

    void feed(std::string_view bytes) {
        vterm_input_write(vt_, bytes.data(), bytes.size());
        vterm_screen_flush_damage(vterm_obtain_screen(vt_));
    }
    // The window changes size, as a terminal's does before the program is told.
    void resize(int rows, int cols) { vterm_set_size(vt_, rows, cols); }

    // "" when the screen shows the frame, else the first difference.
    [[nodiscard]] std::string mismatch(const Frame& frame) const {
        int rows = 0;
        int cols = 0;
        vterm_get_size(vt_, &rows, &cols);
        if (rows != frame.rows || cols != frame.cols) {
            return "size";
        }
        VTermScreen* screen = vterm_obtain_screen(vt_);
        std::string scratch;
        for (int row = 1; row <= frame.rows; ++row) {
            for (int col = 1; col <= frame.cols; ++col) {
                const Cell& cell = cell_at(frame, row, col);
                if (cell.width == 0) {
                    continue; // shown by its left half
                }
                VTermScreenCell raw{};
                vterm_screen_get_cell(screen, VTermPos{row - 1, col - 1}, &raw);
                const std::string place = " at " + std::to_string(row) + ";" + std::to_string(col);
                std::string shown;
                for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && raw.chars[i] != 0 &&
                                raw.chars[i] != static_cast<std::uint32_t>(-1);
                     ++i) {
                    shown += utf8(raw.chars[i]);
                }
                if (shown.empty()) {
                    shown = " ";
                }
                const std::string_view want = cell_text(frame, cell, &scratch);
                if (shown != want) {
                    return "text '" + shown + "' for '" + std::string(want) + "'" + place;
                }
                if (static_cast<unsigned char>(raw.width) != cell.width) {
                    return "width" + place;
                }
                const Attr& attr = cell.attr;
                if ((raw.attrs.bold != 0) != attr.bold ||
                    (raw.attrs.reverse != 0) != attr.reverse ||
                    (raw.attrs.underline != 0) != attr.underline) {
                    return "attributes" + place;
                }
                if (!same_colour(raw.fg, attr.fg, true) || !same_colour(raw.bg, attr.bg, false)) {
                    return "colours" + place;
                }
            }
        }
        VTermPos pos{};
        vterm_state_get_cursorpos(vterm_obtain_state(vt_), &pos);
        if (frame.cursor_shown != cursor_visible_) {
            return "cursor visibility";
        }
        if (frame.cursor_shown &&
            (pos.row + 1 != frame.cursor_row || pos.col + 1 != frame.cursor_col)) {
            return "cursor place";
        }
        return "";
    }

  private:
    static int on_termprop(VTermProp prop, VTermValue* value, void* self) {
        if (prop == VTERM_PROP_CURSORVISIBLE) {
            static_cast<FrameEmulator*>(self)->cursor_visible_ = value->boolean != 0;
        }
        return 1;
    }

    static bool same_colour(const VTermColor& shown, Colour want, bool foreground) {
        VTermColor colour = shown;
        const bool is_default =
            foreground ? VTERM_COLOR_IS_DEFAULT_FG(&colour) : VTERM_COLOR_IS_DEFAULT_BG(&colour);
        if (want.kind == ColourKind::none) {
            return is_default;
        }
        return !is_default && VTERM_COLOR_IS_INDEXED(&colour) && colour.indexed.idx == want.index;
    }

    VTerm* vt_;
    VTermScreenCallbacks callbacks_{};
    bool cursor_visible_ = true;
};
