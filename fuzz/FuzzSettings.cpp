// Settings values and hotkey names as any text: the number rule, the boolean rule, the names.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/rules/Hotkey.h"
#include "core/rules/ProfileValue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const auto number = ParseProfileInteger(text);
    if (ParseProfileBool(text, false) != (number && *number != 0))
        __builtin_trap();
    const std::wstring name = hotkey::NormalizeName(text);
    if (name.empty() || hotkey::NormalizeName(name) != name)
        __builtin_trap(); // normalising is idempotent and never empty
    const uint32_t key = hotkey::NameToKey(name);
    if (key == 91 || key == 92 || key == 16 || key == 17 || key == 18 || (key >= 160 && key <= 165))
        __builtin_trap(); // never the Windows keys or a modifier
    for (auto message : {hotkey::Message::KeyDown, hotkey::Message::KeyUp, hotkey::Message::SysKeyUp})
        if (hotkey::Decide({message, key}, {true, true}, key).swallow && message == hotkey::Message::KeyUp)
            __builtin_trap(); // a key-up is never swallowed
    return 0;
}
