#include "core/UpdateHelper.h"

#include <windows.h>

#include <random>

bool OneInNine()
{
    LARGE_INTEGER counter{};
    const auto seed = ::QueryPerformanceCounter(&counter) ? static_cast<unsigned>(counter.QuadPart)
                                                          : static_cast<unsigned>(::GetTickCount64());
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> draw(0, 8);
    return draw(random) + 1 == 8;
}
