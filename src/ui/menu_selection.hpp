// Colours of menu rows.
#pragma once

#include "term/frame.hpp"

[[nodiscard]] Attr type_color(char type, int highlight);
