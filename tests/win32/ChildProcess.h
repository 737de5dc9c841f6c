#pragma once
// Running one of the test programs that are built beside the tests.

#include <windows.h>

#include <string>

namespace pixkeeper::test {

// Starts `exeName` from the folder of the running test with `arguments`,
// waits for it while answering messages, and returns its exit code
// (0xFFFFFFFF when it could not start, 0xFFFFFFFE when it did not end in time).
DWORD RunTestProgram(const std::wstring& exeName, const std::wstring& arguments);

}  // namespace pixkeeper::test
