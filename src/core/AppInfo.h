#pragma once

// The application title: window caption of the application window, caption of its message boxes.
inline constexpr const wchar_t* kAppTitle = L"Zarvi";

// The name in capitals: the settings window's caption and the notifications' title.
inline constexpr const wchar_t* kAppCaption = L"ZARVI";

// Lower-case name used for the application folder and its files.
inline constexpr const wchar_t* kAppName = L"zarvi";

// The bar's window title: how a later start finds the running instance.
inline constexpr const wchar_t* kBarTitle = L"Harbolt";

// Posted (never sent) by a later start to the running bar; WM_USER + 113.
inline constexpr unsigned kActivationMessage = 1137;
