#pragma once
// Work that must happen when a scope ends, however it ends (a return, an exception).
#include <utility>

template <typename Undo> class [[nodiscard]] ScopeExit {
public:
    explicit ScopeExit(Undo undo) noexcept : undo_(std::move(undo)) {}
    ~ScopeExit() { undo_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Undo undo_;
};

// A flag raised for as long as the scope lasts.
[[nodiscard]] inline auto Raised(bool& flag) noexcept
{
    flag = true;
    return ScopeExit([&flag]() noexcept { flag = false; });
}

// One level deeper for as long as the scope lasts (scopes that may nest).
[[nodiscard]] inline auto Deeper(int& depth) noexcept
{
    ++depth;
    return ScopeExit([&depth]() noexcept { --depth; });
}
