#pragma once

// The application title: window caption of the application window, caption of its message boxes.
inline constexpr const wchar_t* kAppTitle = L"Zarvi";

// Lower-case name used for the application folder and its files.
inline constexpr const wchar_t* kAppName = L"zarvi";
