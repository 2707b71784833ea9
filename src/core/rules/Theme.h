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
};

// "role=#RRGGBB" lines, ";" comments; every role must be there. Empty when anything is wrong.
std::optional<Theme> Parse(std::string_view text);

// WCAG contrast ratio of two colours, 1 to 21.
double ContrastRatio(Colour a, Colour b);

} // namespace theme
