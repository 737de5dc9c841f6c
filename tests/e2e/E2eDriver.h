#pragma once
// The driver's steps, shared by the scenario groups: the program, its
// windows, the clipboard, the settings, files, beeps. Every check reports
// its failure and goes on; waits end as soon as their condition holds.

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/TestPictures.h"

namespace e2e {

using Bytes = std::vector<std::uint8_t>;
using Picture = pixkeeper::testing::TestPicture;

constexpr wchar_t kMain[] = L"Pixkeeper", kMainClass[] = L"PixkeeperForm1", kDialogClass[] = L"#32770";
constexpr wchar_t kNotice[] = L"Pixkeeperからのお知らせ", kFname[] = L"保存ファイル名選択";
constexpr wchar_t kFnameClass[] = L"PixkeeperFname", kSaveDialog[] = L"画像ファイル選択";
constexpr wchar_t kConfig[] = L"Software\\PIXKEEPER\\CONFIG";
constexpr WORD kCtrl = 0x100;  // with a key: Ctrl held

extern std::wstring work, out, baseDir;  // baseDir: `out` as stored, with its final "\"
extern HANDLE pk;                        // the copy started by Start()

void Say(const std::wstring& line);
bool Check(bool ok, const std::wstring& what);
void Eq(const std::wstring& got, const std::wstring& want, const std::wstring& what);
void Eq(long long got, long long want, const std::wstring& what);
void Near(long long got, long long want, const std::wstring& what);
bool WaitFor(const std::function<bool()>& done, int ms = 5000);

HWND Top(const std::wstring& title, const wchar_t* cls, bool visible = true);
HWND WaitTop(const std::wstring& title, const wchar_t* cls, int ms = 5000);
int CountTop(const std::wstring& title, const wchar_t* cls);  // visible ones
HWND Main();
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring Text(HWND window);
HWND Child(HWND top, const wchar_t* cls, const std::wstring& text = L"");
RECT Rect(HWND window, HWND in);  // in `in`'s client coordinates (nullptr: screen)
RECT ClientOnScreen(HWND window);
LONG Style(HWND window, int which = GWL_STYLE);
void Keys(HWND window, std::initializer_list<WORD> keys);  // 'F' | kCtrl, VK_DOWN, ...
void Type(HWND edit, const std::wstring& text);
void Click(HWND button);

int ListCount();
std::wstring ListEntry(int index);
void ListClick(int index, bool twice = false);

HANDLE Launch(const std::wstring& arguments = L"");
bool Ended(HANDLE process, int ms = 10000);
bool Start(const std::wstring& arguments = L"");
bool Stop();

void RegClear();
void RegSet(const std::wstring& name, const std::wstring& text);
void Settings(std::initializer_list<std::pair<std::wstring, std::wstring>> values);
std::wstring Reg(const std::wstring& name);
std::wstring RegAll();
void ExpectNineKeys(const std::wstring& what);

enum class Form { kDib, kDibAndText, kBitmap };
Picture Put(const std::string& kind, int width = 0, int height = 0, Form form = Form::kDib);
bool PutClipboard(const std::function<bool()>& fill);
bool PutData(UINT format, const void* data, std::size_t size);
bool PutText(const std::wstring& text);
std::wstring ClipText();
bool ClipEmpty(int ms);

struct Viewer {
  HWND next = nullptr;
  int notices = 0;
};
extern std::map<HWND, Viewer> viewers;
HWND NewWindow(const std::wstring& title);
HWND JoinViewer(const std::wstring& title);
void LeaveViewer(HWND window);
bool Notified(HWND viewer, int before);

Bytes ReadAll(const std::wstring& path);
std::wstring Files(const std::wstring& directory);  // names in order, each followed by " "
Bytes DecodeBmp(const Bytes& file, int& width, int& height, int& bits);
bool SamePixels(const std::wstring& path, const Picture& picture);
void ExpectCapture(const std::wstring& what, int index, const std::wstring& name,
                   const Picture& picture, bool keep = false);

void StartBellCounter();
void ExpectBells(int count, const std::wstring& what);  // since the counter started

HWND WaitBox(const std::wstring& title, int ms = 10000);
std::wstring BoxText(HWND box);
std::wstring BoxIcon(HWND box);
bool BoxOk(HWND box);

struct Grab {
  Grab(int x, int y, int w, int h);
  Grab(HICON icon, int size, COLORREF background);
  void Take(HICON icon, int x, int y, COLORREF background);
  void Save(const std::wstring& path) const;
  int width, height;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, top row first
};

void GroupCapture();
void GroupNaming();
void GroupFname();
void GroupList();
void GroupClose();
void GroupSingle();
void GroupValues();
void GroupViewers();
void GroupGeometry();

}  // namespace e2e
