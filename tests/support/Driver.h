#pragma once
// Drives a modal window that the test thread itself runs (and so blocks on) from a second thread,
// as a user would: the driver waits for what it needs, acts, and checks.
#include <functional>
#include <thread>

// Runs `modal` on this thread while `driver` runs on another; returns once both have ended.
inline void WhileModal(const std::function<void()>& modal, const std::function<void()>& driver)
{
    std::thread helper(driver);
    modal();
    helper.join();
}
