// Colours of menu rows.
#pragma once

[[nodiscard]] const char* type_color(char type, int highlight);
