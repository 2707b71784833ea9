#pragma once
#include <exception>
#include <string>

// The program's one error type: it carries the message the user will read.
class AppError : public std::exception {
public:
    explicit AppError(std::wstring message) : message_(std::move(message)) {}
    const std::wstring& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return "AppError"; }

private:
    std::wstring message_;
};
