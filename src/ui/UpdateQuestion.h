#pragma once
// The answer of an update check, on the user-interface thread: the version found goes to the
// event log and, when it is newer, the user is asked whether to fetch it.
#include <windows.h>

// lParam of the answer message (SetUpdateAnswerTarget). The question "Confirm" is owned by the
// settings window while that window is open (it is topmost: an unowned box would open behind
// it), and by nothing otherwise.
void AnswerUpdateCheck(LPARAM answer);
