#pragma once
// Start with Windows: the choice is "Autostart" in the settings file, mirrored at every start in
// the per-user Run key as the executable's quoted path under its file name.

inline constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// SetAutostart(LoadAutostart()): the Run value names the executable's present place, or is gone.
void ApplyAutostart();
// The stored choice; without one, whether the Run value exists.
bool LoadAutostart();
// Stores the choice (may raise "Unable to write to ...", the Run key untouched then), then adds
// or removes the Run value (adding may raise "Failed to set data for '<name>'").
void SetAutostart(bool on);
bool IsInAutostart();
void AddToAutostart();
void RemoveFromAutostart();
