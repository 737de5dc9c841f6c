// pk_soak run: the long run of the real program over many pictures.
#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "SoakCommon.h"
#include "SoakProbe.h"
#include "SoakRuns.h"
#include "base/RuntimeError.h"
#include "image/Dib.h"
#include "platform/win32/PngDecoder.h"

namespace pixkeeper::soak {
namespace {

// The BMP file of a PNG's pixels as the system decodes them; empty when it
// does not decode.
Bytes BmpOfPng(const Bytes& png) {
  try {
    const Picture picture = win32::DecodePng(png.data(), png.size());
    const auto header = BmpFileHeader(picture.layout());
    Bytes bmp(header.begin(), header.end());
    bmp.insert(bmp.end(), picture.data(), picture.data() + picture.layout().totalSize);
    return bmp;
  } catch (const RuntimeError&) {
    return {};
  }
}

bool PutShot(Feeder& feeder, const Shot& shot) {
  return feeder.Put([&] {
    switch (shot.kind) {
      case Kind::kPngOnly: {
        const Bytes png = MakePngFile(shot);
        return Feeder::PutData(RegisterClipboardFormatW(L"PNG"), png.data(), png.size());
      }
      case Kind::kBitmap:
        return Feeder::PutBitmap(MakeDib(shot));
      case Kind::kWithText: {
        const Bytes dib = MakeDib(shot);
        const std::wstring text = L"cell " + std::to_wstring(shot.index);
        return Feeder::PutData(CF_DIB, dib.data(), dib.size()) &&
               Feeder::PutData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
      }
      default: {
        const Bytes dib = MakeDib(shot);
        return Feeder::PutData(CF_DIB, dib.data(), dib.size());
      }
    }
  });
}


// Wine keeps, in every process that reads a CF_BITMAP put by another
// process, the bitmap's bits as they were handed over (a BITMAP header and
// the rows at the screen's depth), also when only a DIB is asked for: the
// part of the memory growth that is Wine's, not the program's.
long long WineBitmapBytes(const Shot& shot) {
  HDC screen = GetDC(nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  const long long rowBytes = ((static_cast<long long>(shot.width) * bits + 15) >> 3) & ~1LL;
  return static_cast<long long>(sizeof(BITMAP)) + rowBytes * shot.height;
}

void PrintResources(const Resources& early, const Resources& late, int earlyAt, int lateAt, long long wineKb,
                    long long memoryBoundKb, bool* withinBounds) {
  struct Row {
    const char* name;
    long long early, late, excused, bound;
    const char* how;
  } rows[] = {
      {"handles", early.handles, late.handles, 0, 20, "system handle table (NtQuerySystemInformation)"},
      {"GDI objects", early.gdiObjects, late.gdiObjects, 0, 20, "the process's GDI handle table (PEB)"},
      {"USER: windows", early.windows, late.windows, 0, 2, "windows of its threads, message-only too"},
      {"memory RssAnon KiB", early.rssAnonKb, late.rssAnonKb, wineKb, memoryBoundKb,
       "/proc/<pid>/status of the Wine process"},
      {"memory VmRSS KiB", early.vmRssKb, late.vmRssKb, 0, -1, "(for information)"},
  };
  Say("\n%-20s %10s %10s %8s %8s %8s  %s\n", "resource", ("at " + std::to_string(earlyAt)).c_str(),
      ("at " + std::to_string(lateAt)).c_str(), "growth", "Wine's", "bound", "counted by");
  for (const Row& row : rows) {
    const long long growth = row.late - row.early;
    const bool counted = row.early >= 0 && row.late >= 0;
    const bool ok = row.bound < 0 || (counted && growth - row.excused <= row.bound);
    Say("%-20s %10lld %10lld %8lld %8lld %8s  %s%s\n", row.name, row.early, row.late, growth, row.excused,
        row.bound < 0 ? "-" : ("+" + std::to_string(row.bound)).c_str(), row.how, ok ? "" : "   EXCEEDED");
    if (!ok) *withinBounds = false;
  }
  Say("(bound: growth less Wine's share; Wine's share of memory: the CF_BITMAP pictures it keeps, estimated)\n");
  Say("Windows calls under this system: GetProcessHandleCount %lu, GetGuiResources GDI %lu USER %lu, "
      "PrivateUsage %llu KiB (at %d)\n",
      late.handleCountCall, late.gdiCall, late.userCall, late.privateUsage / 1024, lateAt);
}

}  // namespace

int RunSoak(const std::wstring& exe, std::wstring out, int count) {
  if (count < 1 || count > 10000) {
    Say("from 1 to 10000 pictures: the running number has four digits\n");
    return 2;
  }
  if (out.back() != L'\\') out += L'\\';
  const std::vector<Shot> plan = Plan(count, g_dibs);
  Started program;
  if (!StartProgram(exe, out, &program)) return 1;
  Feeder feeder;
  Feeder::Pump(500);
  const Resources atStart = Measure(program.process, program.pid, program.unixPid);
  Resources at100 = atStart;
  const int earlyMark = std::min(100, count);

  std::map<Kind, std::vector<double>> latency;
  std::vector<int> savedShots;  // indices of the pictures that should be files, in order
  long long wineBytes = 0;  // CF_BITMAP pictures after the early mark
  double pacedMs = 0, burstMs = 0;
  int paced = 0, bursts = 0;
  const auto runStart = std::chrono::steady_clock::now();
  auto lastPut = runStart - std::chrono::seconds(1);
  for (const Shot& shot : plan) {
    // Ten at the pace of a fast user, then ten as fast as they are taken.
    const bool burst = (shot.index / 10) % 2 == 1;
    if (!burst) {
      Feeder::WaitFor([&] { return std::chrono::steady_clock::now() - lastPut >= std::chrono::milliseconds(50); }, 1000);
    }
    const auto begin = std::chrono::steady_clock::now();
    lastPut = begin;
    if (!Check(PutShot(feeder, shot), "picture " + std::to_string(shot.index + 1) + ": cannot set the clipboard")) break;
    const auto put = std::chrono::steady_clock::now();
    if (shot.kind == Kind::kBitmap && shot.index >= earlyMark) wineBytes += WineBitmapBytes(shot);
    if (shot.saved()) {
      savedShots.push_back(shot.index);
      if (!Check(WaitTaken(feeder, static_cast<int>(savedShots.size())),
                 "picture " + std::to_string(shot.index + 1) + " (" + KindName(shot.kind) + ") was not taken within 10 s")) {
        break;
      }
      latency[shot.kind].push_back(Ms(std::chrono::steady_clock::now() - put));
    }
    (burst ? burstMs : pacedMs) += Ms(std::chrono::steady_clock::now() - begin);
    ++(burst ? bursts : paced);
    if (shot.index + 1 == earlyMark) {
      Feeder::Pump(300);
      at100 = Measure(program.process, program.pid, program.unixPid);
    }
  }
  const double runMs = Ms(std::chrono::steady_clock::now() - runStart);
  // Nothing more may come: no late file, no second copy.
  Feeder::Pump(1500);
  const Resources atEnd = Measure(program.process, program.pid, program.unixPid);

  const int listed = ListCount();
  std::vector<std::wstring> entries;
  for (int i = 0; i < listed; ++i) entries.push_back(ListEntry(i));
  const std::vector<std::wstring> files = FilesIn(out);
  StopProgram(&program);

  // Counts, order, and the pixels of every file against its picture.
  const int wanted = static_cast<int>(savedShots.size());
  Check(listed == wanted, "the list has " + std::to_string(listed) + " entries for " + std::to_string(wanted) + " pictures");
  Check(static_cast<int>(files.size()) == wanted,
        "the folder has " + std::to_string(files.size()) + " files for " + std::to_string(wanted) + " pictures");
  int entryFaults = 0;
  for (int i = 0; i < std::min(listed, wanted); ++i) {
    if (entries[i] != out + Numbered(i + 1) && entryFaults++ < 5) {
      Check(false, "list entry " + std::to_string(i + 1) + " is '" + Narrow(entries[i]) + "', not '" + Narrow(out + Numbered(i + 1)) + "'");
    }
  }
  Check(entryFaults == 0, std::to_string(entryFaults) + " list entries out of place");
  std::vector<std::wstring> listedNames;
  for (int i = 0; i < wanted; ++i) listedNames.push_back(Numbered(i + 1));
  std::sort(listedNames.begin(), listedNames.end());
  Check(files == listedNames, "the folder holds other files than the list names (a copy, a temporary file)");
  int compared = 0, pixelFaults = 0;
  for (int i = 0; i < std::min<int>(wanted, static_cast<int>(files.size())); ++i) {
    const Shot& shot = plan[static_cast<std::size_t>(savedShots[static_cast<std::size_t>(i)])];
    Bytes file = ReadAll(out + Numbered(i + 1));
    if (g_png) file = BmpOfPng(file);
    int width = 0, height = 0, bits = 0;
    std::string why;
    const Bytes rgb = DecodeBmp(file, &width, &height, &bits, &why);
    const bool same = !rgb.empty() && width == shot.width && height == shot.height && rgb == ExpectedRgb(shot);
    ++compared;
    if (!same && pixelFaults++ < 5) {
      Check(false, Narrow(Numbered(i + 1)) + " is not picture " + std::to_string(shot.index + 1) + " (" + KindName(shot.kind) +
                       " " + std::to_string(shot.width) + "x" + std::to_string(shot.height) + "): " +
                       (rgb.empty() ? why : std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(bits)));
    }
  }
  Check(pixelFaults == 0, std::to_string(pixelFaults) + " files differ from their pictures");

  Say("\n%d pictures in %.1f s: %d kept, %d with text beside them left alone\n", count, runMs / 1000, wanted,
      count - wanted);
  Say("paced (one per 50 ms): %d in %.1f s; bursts of ten: %d in %.1f s (%.1f ms each)\n", paced, pacedMs / 1000,
      bursts, burstMs / 1000, bursts ? burstMs / bursts : 0.0);
  Say("list: %d entries, in order: %s; files: %d, no other file: %s; pixels compared: %d files, %d differ\n", listed,
      entryFaults == 0 ? "yes" : "no", static_cast<int>(files.size()), files == listedNames ? "yes" : "no", compared, pixelFaults);
  Say("\n%-18s %6s %9s %9s %9s   (ms from the change to the listed file)\n", "kind", "count", "median", "p95", "max");
  for (auto& [kind, ms] : latency) {
    std::sort(ms.begin(), ms.end());
    Say("%-18s %6d %9.1f %9.1f %9.1f\n", KindName(kind), static_cast<int>(ms.size()), ms[ms.size() / 2], ms[ms.size() * 95 / 100],
        ms.back());
  }
  // Wine's process heap holds its copies of the clipboard's contents and a
  // list box's entries alike, and grows as the entries scatter among the
  // places the copies leave. Minimal readers of the same DIBs show it apart
  // from the program, with the list entries and without.
  if (g_dibs) {
    const long long reading = ReaderGrowthKb(plan, L"dib", out), listing = ReaderGrowthKb(plan, L"dib-list", out);
    Say("\nminimal readers of the same DIBs, RssAnon from picture %d on: reading only %+lld KiB, "
        "reading and listing each path in a list box %+lld KiB\n", earlyMark, reading, listing);
  }
  bool withinBounds = true;
  const long long memoryBoundKb = g_thumbnails ? g_withoutThumbnailsKb + 16 * 1024 : g_dibs ? 2 * 1024 : 16 * 1024;
  PrintResources(at100, atEnd, earlyMark, count, wineBytes / 1024, memoryBoundKb, &withinBounds);
  Say("(at start: handles %ld, GDI objects %ld, windows %ld, RssAnon %lld KiB; CPU time of Pixkeeper %.1f s)\n",
      atStart.handles, atStart.gdiObjects, atStart.windows, atStart.rssAnonKb, atEnd.cpuSeconds);
  Check(withinBounds, "a resource grew past its bound between picture " + std::to_string(earlyMark) + " and picture " +
                          std::to_string(count));
  Say("\n%s\n", failures == 0 ? "soak passed" : "soak FAILED");
  return failures == 0 ? 0 : 1;
}

}  // namespace pixkeeper::soak
