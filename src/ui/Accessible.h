#pragma once
// What assistive technology reads of our controls.
//
// The toggle switch: which the platform has no control for: a
// check button named by its window text, checked while on, toggled by its default action. What
// this object does not know itself (its place, its parent, hit tests) the platform's standard
// object of the window answers.
#include <windows.h>

#include <oleacc.h>

// IID_IAccessible, written out: the one in MinGW's static library came out wrong.
inline constexpr IID kIAccessibleId = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The object to hand out for WM_GETOBJECT (OBJID_CLIENT), with one reference; null when the
// platform's standard object cannot be made. `isOn` reads the switch's state; `toggle` is posted
// to the window as the default action (a screen reader calls it from its own thread's turn).
IAccessible* CreateSwitchAccessible(HWND window, bool (*isOn)(HWND), UINT toggleMessage) noexcept;

// Names `window` (its client object) for assistive technology where its text cannot (a combo's
// text is what the user typed), through the platform's dynamic annotation.
void AnnotateName(HWND window, const wchar_t* name) noexcept;
