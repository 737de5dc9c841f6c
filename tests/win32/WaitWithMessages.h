#pragma once
// Waiting the way a user-interface thread does: its windows keep answering
// the messages that other threads and programs send them (Wine, like Windows,
// makes a program that empties or opens the clipboard wait for the answers).

#include <windows.h>

namespace pixkeeper::test {

// True when `object` was signalled within `milliseconds`.
bool WaitWithMessages(HANDLE object, DWORD milliseconds);

}  // namespace pixkeeper::test
