#pragma once
// The soak tool's runs, a file each; Soak.cpp chooses one by its arguments.

#include <string>
#include <vector>

#include "SoakPictures.h"

namespace pixkeeper::soak {

// The long run (SoakRun.cpp).
int RunSoak(const std::wstring& exe, std::wstring out, int count);
// The counting shown on a copy of the tool that leaks on purpose (SoakLeak.cpp).
int RunLeakDemo();
int RunLeak();  // the leaking copy
// The program's memory over full-screen pictures (SoakBitmaps.cpp).
int RunBitmaps(const std::wstring& exe, std::wstring out, int count, bool asBitmap);
// Minimal readers of the clipboard, for comparison (SoakReaders.cpp).
int RunReaders(bool asBitmap, int count);
int RunReader(const wchar_t* way, const wchar_t* folder);  // one reader's process
// The growth of a minimal reader's memory over the pictures of a run, from
// picture 100 on; -1 when it could not be measured.
long long ReaderGrowthKb(const std::vector<Shot>& plan, const wchar_t* way, const std::wstring& listed);

}  // namespace pixkeeper::soak
