// pk_soak bitmaps: the program's memory over full-screen pictures as CF_BITMAP
// or CF_DIB.
#include <windows.h>

#include "SoakCommon.h"
#include "SoakProbe.h"
#include "SoakRuns.h"

namespace pixkeeper::soak {

// The program's memory over `count` pictures of 1920 x 1080 of one form.
int RunBitmaps(const std::wstring& exe, std::wstring out, int count, bool asBitmap) {
  if (out.back() != L'\\') out += L'\\';
  Started program;
  if (!StartProgram(exe, out, &program)) return 1;
  Feeder feeder;
  Feeder::Pump(500);
  const Bytes dib = MakeScreenDib(1920, 1080, 7);
  const Resources idle = Measure(program.process, program.pid, program.unixPid);
  Say("%s: Pixkeeper's RssAnon KiB (above idle %lld) after n pictures of 1920x1080 as %s:\n ", asBitmap ? "bitmap" : "dib",
      idle.rssAnonKb, asBitmap ? "CF_BITMAP" : "CF_DIB");
  Resources last = idle;
  for (int i = 1; i <= count; ++i) {
    if (!Check(PutScreen(feeder, dib, asBitmap), "cannot set the clipboard") || !Check(WaitTaken(feeder, i), "not taken")) break;
    if (i % 5 == 0 || i == 1) {
      Feeder::Pump(200);
      last = Measure(program.process, program.pid, program.unixPid);
      Say(" %d:%+lld", i, last.rssAnonKb - idle.rssAnonKb);
    }
  }
  Feeder::Pump(1000);
  last = Measure(program.process, program.pid, program.unixPid);
  Say("\n  after %d: %+lld KiB (%.1f MiB per picture); handles %+ld, GDI objects %+ld\n", count,
      last.rssAnonKb - idle.rssAnonKb, (last.rssAnonKb - idle.rssAnonKb) / 1024.0 / count, last.handles - idle.handles,
      last.gdiObjects - idle.gdiObjects);
  StopProgram(&program);
  return failures == 0 ? 0 : 1;
}

}  // namespace pixkeeper::soak
