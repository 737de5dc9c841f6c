#include "Harness.h"

using namespace e2e;

// Write faults on a small file system of its own, given to Wine as drive P:
// (mounting needs root here; elsewhere the group is skipped): a picture
// larger than the free space, then the save directory made read-only, then
// deleted, then a PNG file that fills the disk. Each leaves no file, no entry
// and no temporary file and the picture on the clipboard; an older file of
// the first number is passed over and kept whole; the program goes on and
// saves the next picture once the directory is usable again.
void GroupFaults() {
  const wstring fs = UnixPath(work + L"fs"), rc = work + L"rc";
  auto sh = [&](const wstring& script) {  // waited for: whether it succeeded
    DeleteFileW(rc.c_str());
    RunUnix(script + L"; echo $? > " + UnixPath(rc));
    WaitFor([&] { return ReadAll(rc).size() > 1; }, 10000);
    return ReadAll(rc) == Bytes{'0', '\n'};
  };
  const wstring drive = L"$WINEPREFIX/dosdevices/p:";
  if (!sh(L"mkdir -p " + fs + L" && umount -l " + fs + L" 2>/dev/null; mount -t tmpfs -o size=256k tmpfs " + fs +
          L" && mkdir " + fs + L"/out && ln -sfn " + fs + L" " + drive)) {
    Say(L"SKIPPED: faults: a small file system cannot be mounted here (mount needs root)");
    return;
  }
  out = baseDir = L"P:\\out\\";
  const Bytes older{'o', 'l', 'd', 'e', 'r'};
  WriteAll(out + L"F0001.BMP", older);
  if (Start(Numbering(L"F"))) {
    // Each refusal is said in the status line with the path and the
    // system's reason; the next save clears it.
    auto refused = [&](const wstring& what, const wstring& files, int entries) {
      Check(Heard(viewer, [] { Put("rgb32", 400, Form::kDib, 300); }, CF_DIB), what + L": not passed on, left");
      Eq(Files(out) + to_wstring(ListCount()), files + to_wstring(entries), what + L": the files and entries");
      const wstring said = Tr(L"保存できませんでした: ", L"Could not save ") + out + Numbered(L"F", 2 * entries + 2) + L" (";
      Check(Status().rfind(said, 0) == 0 && Status().size() > said.size() + 2 && Status().back() == L')',
            what + L": the status line says '" + said + L"...)', not '" + Status() + L"'");
    };
    refused(L"full disk", L"F0001.BMP ", 0);
    Check(ReadAll(out + L"F0001.BMP") == older, L"full disk: the older file passed over, kept whole");
    ExpectCapture(L"a picture that fits", 0, L"F0003.BMP", Put("rgb24"));
    Eq(Status(), L"", L"a picture that fits: the status line cleared");
    Check(sh(L"mount -o remount,ro " + fs), L"cannot make the file system read-only");
    refused(L"read-only", L"F0001.BMP F0003.BMP ", 1);
    Check(sh(L"mount -o remount,rw " + fs), L"cannot make the file system writable");
    ExpectCapture(L"writable again", 1, L"F0005.BMP", Put("rgb24", 3));
    Check(sh(L"rm -r " + fs + L"/out"), L"cannot delete the save directory");
    refused(L"deleted", L"", 2);
    Check(GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES, L"deleted: no save directory made");
    CreateDirectoryW(out.c_str(), nullptr);
    ExpectCapture(L"made again", 2, L"F0007.BMP", Put("rgb24", 5));
    // A PNG file is written as it is coded: the disk filling up halfway,
    // while the lower half of a large picture is being coded, ends the same.
    Keys(Main(), {'G' | kCtrl});
    Check(sh(L"cat /dev/zero > " + fs + L"/fill; truncate -s -8k " + fs + L"/fill"), L"cannot fill the file system");
    Check(Heard(viewer, [] { Put("topdown32", 800, Form::kDib, 700); }, CF_DIB), L"full disk, PNG: not passed on, left");
    Eq(Files(out) + to_wstring(ListCount()), L"F0007.BMP 3", L"full disk, PNG: the files and entries");
    Check(sh(L"rm " + fs + L"/fill"), L"cannot empty the file system");
    Put("rgb24", 7);
    Check(WaitFor([] { return ListCount() == 4; }) && ListEntry(3) == baseDir + L"F0009.PNG" &&
              ReadAll(out + L"F0009.PNG").size() > 100, L"the next PNG saved");
    Stop();
  }
  Check(sh(L"rm " + drive + L" && umount " + fs), L"cannot remove drive P: and unmount " + fs);
}
