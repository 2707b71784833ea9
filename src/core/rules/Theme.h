#pragma once
// The program's look: a small set of colours read from its theme resource.
#include <cstdint>
#include <optional>
#include <string_view>

namespace theme {

struct Colour {
    uint8_t r, g, b;
};

struct Theme {
    Colour face, faceText, pressed, edit, editText, highlight, highlightText, border;
    // The result list's marked words and the folder after each name. Optional in a theme file:
    // without them, the highlight colour and the edit text mixed half-way into the edit colour.
    Colour accent, dimText;
};

// "role=#RRGGBB" lines, ";" comments; every role must be there but Accent and DimText. Empty when
// anything is wrong.
std::optional<Theme> Parse(std::string_view text);

// WCAG contrast ratio of two colours, 1 to 21.
double ContrastRatio(Colour a, Colour b);

} // namespace theme
