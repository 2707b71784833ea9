#pragma once
// Seams the end-to-end tests reach through the environment. Only test builds have them
// (ZARVI_TEST_SEAMS); elsewhere each does nothing.

// Holds the show of the bar for ZARVI_TEST_LATE_SHOW_MS milliseconds, as a busy user-interface
// thread would: what the keyboard hook does meanwhile is what such a test looks at.
void DelayShowForTests() noexcept;

// High-contrast mode as if the platform's setting said so (ZARVI_TEST_HIGH_CONTRAST=1): Wine
// keeps no such setting.
bool HighContrastForTests() noexcept;
