#pragma once

// True when another instance of the program holds the instance mutex for this logon.
bool IsAnotherInstanceRunning();
// Wakes the running instance: posts the activation message to its bar.
void SignalRunningInstance();
