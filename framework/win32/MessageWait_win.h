#pragma once

#include <windows.h>

#include <vector>

// Waits of the user-interface thread that go on serving its windows: the thread uses no
// processor time until a handle is signalled or a message arrives. Both stop when the
// application is asked to end, and return false then.

/// Until every one of handles (processes, say) is signalled.
bool ServeMessagesUntilSignalled(std::vector<HANDLE> handles);
/// For milliseconds.
bool ServeMessagesFor(DWORD milliseconds);
