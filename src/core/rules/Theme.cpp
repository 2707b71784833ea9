#include "core/rules/Theme.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "core/rules/Ascii.h"

namespace theme {

namespace {

std::optional<Colour> ParseColour(std::string_view text)
{
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    uint8_t parts[3] = {};
    for (int i = 0; i < 3; ++i) {
        unsigned value = 0;
        for (int k = 0; k < 2; ++k) {
            const int digit = ascii::HexDigit(text[static_cast<size_t>(1 + i * 2 + k)]);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        parts[i] = static_cast<uint8_t>(value);
    }
    return Colour{parts[0], parts[1], parts[2]};
}

double Luminance(Colour c)
{
    auto channel = [](uint8_t v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
}

} // namespace

std::optional<Theme> Parse(std::string_view text)
{
    std::map<std::string, Colour> colours;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.remove_suffix(1);
        if (line.empty() || line.front() == ';')
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return std::nullopt;
        const auto colour = ParseColour(line.substr(eq + 1));
        if (!colour)
            return std::nullopt;
        colours[std::string(line.substr(0, eq))] = *colour;
    }
    const char* roles[] = {"Face", "FaceText", "Pressed", "Edit", "EditText", "Highlight", "HighlightText", "Border"};
    for (const char* role : roles)
        if (!colours.count(role))
            return std::nullopt;
    const Colour edit = colours["Edit"], editText = colours["EditText"];
    const auto half = [](uint8_t a, uint8_t b) { return static_cast<uint8_t>((a + b + 1) / 2); };
    const Colour mixed{half(edit.r, editText.r), half(edit.g, editText.g), half(edit.b, editText.b)};
    return Theme{colours["Face"],
                 colours["FaceText"],
                 colours["Pressed"],
                 edit,
                 editText,
                 colours["Highlight"],
                 colours["HighlightText"],
                 colours["Border"],
                 colours.count("Accent") ? colours["Accent"] : colours["Highlight"],
                 colours.count("DimText") ? colours["DimText"] : mixed};
}

double ContrastRatio(Colour a, Colour b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Theme HighContrast(const SystemColours& system)
{
    Theme look{};
    look.face = system.buttonFace;
    look.faceText = system.buttonText;
    look.pressed = system.highlight;
    look.edit = system.window;
    look.editText = system.windowText;
    look.highlight = system.highlight;
    look.highlightText = system.highlightText;
    look.border = system.windowText;
    look.accent = system.hotlight;
    look.dimText = system.windowText;
    look.highContrast = true;
    return look;
}

std::optional<Theme> Choose(bool highContrastOn, const std::optional<Theme>& own, const SystemColours& system)
{
    if (highContrastOn)
        return HighContrast(system);
    return own;
}

} // namespace theme
