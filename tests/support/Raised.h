#pragma once
// The message of the error an action raises, for comparing with what the user is told.
#include <string>
#include <utility>

#include "core/rules/AppError.h"

// The AppError message `action` raised, or "(nothing raised)".
template <typename Action> std::wstring RaisedMessage(Action&& action)
{
    try {
        std::forward<Action>(action)();
    } catch (const AppError& e) {
        return e.Message();
    }
    return L"(nothing raised)";
}
