#include "Harness.h"

using namespace e2e;

namespace {

Bytes WithAlpha(const Picture& p, bool opaque = false) {  // R,G,B,A each: AlphaAt's alpha, or 255
  Bytes rgba;
  for (std::size_t i = 0; i < p.rgb.size() / 3; ++i) {
    rgba.insert(rgba.end(), p.rgb.begin() + i * 3, p.rgb.begin() + i * 3 + 3);
    rgba.push_back(opaque ? 255 : AlphaAt(i));
  }
  return rgba;
}

}  // namespace

// With the PNG mark stored every picture kind becomes a PNG file that an
// independent decoder reads as the picture put (the form each takes is
// unit-tested); the viewer shows PNG files; Ctrl+G clears the mark, and the
// program ends with its helper thread waiting.
void GroupPng() {
  if (!Start(Numbering(L"G", {{L"SaveFormat", L"1"}}))) return;
  std::vector<Picture> pictures;
  for (const std::string& kind : TestPictureNames()) pictures.push_back(MakeTestPicture(kind));
  pictures.push_back(MakeTestPicture("topdown32", 800, 700));  // coded in two halves at once
  pictures.push_back(AlphaDib(20));
  for (const Picture& p : pictures) {  // one at a time; the last, with alpha, as CF_DIBV5
    PutAs(&p == &pictures.back() ? CF_DIBV5 : CF_DIB, p.dib.data(), p.dib.size());
    Check(WaitFor([&] { return ListCount() == &p - pictures.data() + 1; }), L"an entry for each picture");
  }
  RunUnix(L"cd " + UnixPath(out) + L" && for f in *.PNG; do convert $f -depth 8 RGBA:$f.rgba; done; touch done");
  WaitFor([] { return GetFileAttributesW((out + L"done").c_str()) != INVALID_FILE_ATTRIBUTES; });
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const Picture& p = pictures[i];
    const wstring name = L"G" + to_wstring(10001 + i).substr(1) + L".PNG", what = wstring(p.name.begin(), p.name.end());
    Eq(ListEntry(static_cast<int>(i)), baseDir + name, what + L": the entry");
    Check(ReadAll(out + name + L".rgba") == WithAlpha(p, i + 1 < pictures.size()), what + L": the pixels decoded");
  }
  ListClick(0, true);
  HWND v = WaitTop(ViewerTitle(), kViewer);
  const RECT c = Client(v), at{c.left + 3, c.top + 3, c.left + 3 + pictures[0].width, c.top + 3 + pictures[0].height};
  Check(v && WaitFor([&] { return Rgb(Grab(at)) == pictures[0].rgb; }, 2000), L"the viewer shows a PNG file");
  PostMessageW(v, WM_CLOSE, 0, 0);
  WaitFor([&] { return !IsWindow(v); });  // the main window takes keys again
  Keys(Main(), {'G' | kCtrl, 'Q' | kCtrl});
  Check(Ended(pk) && RegAll().find(L"SaveFormat=0 ") != wstring::npos, L"Ctrl+G clears the mark: " + RegAll());
}
