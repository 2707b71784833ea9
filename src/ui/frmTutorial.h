#pragma once
// The tutorial: four pictures, one page at a time, "Previous" and "Next", and the check box
// "Don't show this message again" (the setting DontShowTutorial).
#include <windows.h>

#include <array>
#include <string>

#include "core/Handle.h"
#include "ui/Theme.h"
#include "ui/Window.h"

bool IsTutorialDisabled();
void SetTutorialDisabled(bool value);
// The tutorial, modal to `owner`, unless the user switched it off.
void ShowTutorialAtStart(HWND owner);

inline constexpr int kTutorialPages = 4;
inline constexpr int kTutorialPreviousId = 301;
inline constexpr int kTutorialNextId = 302;
inline constexpr int kTutorialCheckId = 303;

class TformTutorial : public Window {
public:
    explicit TformTutorial(HWND owner);
    ~TformTutorial() override;

    // Shows the window modally until it closes.
    void ShowModal();

    void ShowPage(int n);
    void UpdateButtons();
    void SaveDontShow();
    int Page() const noexcept { return page_; }
    int Dpi() const noexcept { return dpi_; }

    HWND btnPrevious = nullptr;
    HWND btnNExt = nullptr;
    HWND chkDontShowTutorial = nullptr;
    HWND VirtualImage1 = nullptr; // the picture; its text is the step's words

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    void DpiChanged(const RECT& suggested) override;
    LRESULT ControlColours(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void FormShow();
    void FormClose();
    void btnPreviousClick();
    void btnNExtClick();
    void chkDontShowTutorialClick();
    void Layout();
    // A move to a monitor of another scale: fonts and layout for `dpi`, the window at `suggested`.
    void ApplyDpi(int dpi, const RECT& suggested);
    void DrawPicture(const DRAWITEMSTRUCT& item) const;
    // SaveDontShow with a failure told, once for the same failure in a row.
    void Store() noexcept;

    HWND owner_;
    std::wstring toldFailure_;
    unsigned lookDrawn_ = LookGeneration();
    int dpi_ = 96; // the layout's: the monitor's enlarged by the platform's text size
    int page_ = 0;
    GdiHandle font_;
    struct Picture {
        GdiHandle bitmap;
        SIZE size{};
    };
    std::array<Picture, kTutorialPages> ImageCollection1;
};
