#pragma once
// The program's look: a small set of colours read from its theme resource.
#include <cstdint>
#include <optional>
#include <string_view>

namespace theme {

struct Colour {
    uint8_t r, g, b;
    bool operator==(const Colour&) const = default;
};

struct Theme {
    Colour face, faceText, pressed, edit, editText, highlight, highlightText, border;
    // The result list's marked words and the folder after each name. Optional in a theme file:
    // without them, the highlight colour and the edit text mixed half-way into the edit colour.
    Colour accent, dimText;
    // The platform's high-contrast colours, not the program's own: parts the platform draws
    // keep their own look (no dark mode).
    bool highContrast = false;
    bool operator==(const Theme&) const = default;
};

// The colours the platform's settings give (GetSysColor), for high-contrast mode.
struct SystemColours {
    Colour window, windowText, highlight, highlightText, buttonFace, buttonText, grayText, hotlight;
};

// Every role in the system's colours. The folder after a name keeps the window's text colour
// (grey text means "disabled" in high contrast and need not read against the window); the marked
// words take the link colour, and are drawn bold as always, so they are told apart by more than
// colour.
Theme HighContrast(const SystemColours& system);

// The look in use: the system's colours in high-contrast mode, the program's own otherwise (none
// when it has none: the platform's plain look).
std::optional<Theme> Choose(bool highContrastOn, const std::optional<Theme>& own, const SystemColours& system);

// "role=#RRGGBB" lines, ";" comments; every role must be there but Accent and DimText. Empty when
// anything is wrong.
std::optional<Theme> Parse(std::string_view text);

// WCAG contrast ratio of two colours, 1 to 21.
double ContrastRatio(Colour a, Colour b);

} // namespace theme
