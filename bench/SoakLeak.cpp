// pk_soak leak-demo: the counting of SoakProbe shown on a copy of this tool
// that leaks on purpose.
#include <windows.h>

#include "SoakCommon.h"
#include "SoakProbe.h"
#include "SoakRuns.h"

namespace pixkeeper::soak {
namespace {

const wchar_t kLeakStep[] = L"Local\\PkSoakLeakStep", kLeakDone[] = L"Local\\PkSoakLeakDone";
constexpr int kLeakPerStep = 50, kLeakMegabytesPerStep = 40, kLeakSteps = 3;

}  // namespace

// Each step leaks kLeakPerStep events, brushes + bitmaps (two GDI objects
// each), windows, and kLeakMegabytesPerStep MiB of touched memory.
int RunLeak() {
  HANDLE step = OpenEventW(SYNCHRONIZE, FALSE, kLeakStep);
  HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, kLeakDone);
  if (step == nullptr || done == nullptr) return 1;
  SetEvent(done);  // idle figures first
  for (int s = 0; s < kLeakSteps; ++s) {
    if (WaitForSingleObject(step, 30000) != WAIT_OBJECT_0) return 1;
    HDC screen = GetDC(nullptr);
    for (int i = 0; i < kLeakPerStep; ++i) {
      CreateEventW(nullptr, TRUE, FALSE, nullptr);
      CreateSolidBrush(RGB(i, s, 0));
      CreateCompatibleBitmap(screen, 8, 8);
      CreateWindowExW(0, L"STATIC", L"leak", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    }
    ReleaseDC(nullptr, screen);
    const std::size_t bytes = static_cast<std::size_t>(kLeakMegabytesPerStep) << 20;
    auto* memory = static_cast<char*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    for (std::size_t at = 0; memory && at < bytes; at += 4096) memory[at] = 1;
    SetEvent(done);
  }
  WaitForSingleObject(step, 30000);  // until the parent has its figures
  return 0;
}

int RunLeakDemo() {
  HANDLE step = CreateEventW(nullptr, FALSE, FALSE, kLeakStep);
  HANDLE done = CreateEventW(nullptr, FALSE, FALSE, kLeakDone);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  Started child;
  if (!Check(Launch(self, L" leak", &child), "cannot start the leaking copy")) return 1;
  Say("A copy of this tool leaks, per step, %d kernel handles (events), %d GDI objects (%d brushes, %d bitmaps),\n"
      "%d windows and %d MiB of memory; counted from outside as in the long run:\n\n",
      kLeakPerStep, 2 * kLeakPerStep, kLeakPerStep, kLeakPerStep, kLeakPerStep, kLeakMegabytesPerStep);
  Say("%-6s %8s %12s %8s %14s   %s\n", "step", "handles", "GDI objects", "windows", "RssAnon KiB",
      "GetProcessHandleCount / GetGuiResources GDI, USER / PrivateUsage KiB");
  Resources first, previous;
  bool ok = true;
  for (int s = 0; s <= kLeakSteps; ++s) {
    if (!Check(WaitForSingleObject(done, 30000) == WAIT_OBJECT_0, "the leaking copy does not answer")) return 1;
    if (s == 0) child.unixPid = FindUnixPid(child.commandLine);
    const Resources r = Measure(child.process, child.pid, child.unixPid);
    Say("%-6d %8ld %12ld %8ld %14lld   %lu / %lu, %lu / %llu\n", s, r.handles, r.gdiObjects, r.windows, r.rssAnonKb,
        r.handleCountCall, r.gdiCall, r.userCall, r.privateUsage / 1024);
    if (s == 0) first = r;
    if (s > 0) {
      // Each step must show its leak; after the first (which also sets up
      // the thread's windowing), little more than that.
      const long slack = s == 1 ? 100 : 2;
      auto within = [&](long long grew, long long leaked) { return grew >= leaked && grew <= leaked + slack; };
      ok &= within(r.handles - previous.handles, kLeakPerStep);
      ok &= within(r.gdiObjects - previous.gdiObjects, 2 * kLeakPerStep);
      ok &= within(r.windows - previous.windows, kLeakPerStep);
      ok &= r.rssAnonKb - previous.rssAnonKb >= kLeakMegabytesPerStep * 1024;
    }
    previous = r;
    SetEvent(step);
  }
  Say("\ngrowth over %d steps: handles %+ld, GDI objects %+ld, windows %+ld, RssAnon %+lld KiB\n", kLeakSteps,
      previous.handles - first.handles, previous.gdiObjects - first.gdiObjects, previous.windows - first.windows,
      previous.rssAnonKb - first.rssAnonKb);
  WaitForSingleObject(child.process, 30000);
  Check(ok, "the counts do not show the leaks");
  Say("%s\n", ok ? "every leak was counted" : "leak demo FAILED");
  return ok ? 0 : 1;
}

}  // namespace pixkeeper::soak
