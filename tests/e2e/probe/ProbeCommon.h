#pragma once
// Shared helpers of the end-to-end probe: UTF-8 output, argument reading,
// bounded waiting and finding windows of other processes.

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace pixkeeper::probe {

// Everything the probe prints goes out as UTF-8, one line at a time, so the
// scripts can compare Japanese texts byte for byte.
void Print(const std::wstring& line);
void PrintError(const std::wstring& line);
std::wstring Hex(std::uintptr_t value);

// The command line after the subcommand: positional words and --name value
// options; --visible and --no-dialog are flags without a value.
class Args {
 public:
  Args(int argc, wchar_t** argv, int first);
  const std::wstring& Positional(size_t index) const;
  size_t PositionalCount() const { return positional_.size(); }
  bool Has(const std::wstring& name) const { return options_.count(name) != 0; }
  std::wstring Option(const std::wstring& name, const std::wstring& fallback = L"") const;
  int IntOption(const std::wstring& name, int fallback) const;

 private:
  std::vector<std::wstring> positional_;
  std::map<std::wstring, std::wstring> options_;
};

int ToInt(const std::wstring& text);

// Polls `condition` every few milliseconds until it holds or `timeoutMs` has
// passed; returns whether it held.
bool WaitFor(int timeoutMs, const std::function<bool()>& condition);

constexpr int kDefaultTimeoutMs = 10000;

// Top-level windows with exactly this title. Without a class, windows that
// are not dialog-box class come first, so "Pixkeeper" names the main window
// even while an untitled message box (which carries the same title) is open.
struct WindowQuery {
  std::wstring title;
  std::wstring className;  // empty: any class
  bool visibleOnly = false;
  bool excludeDialogs = false;  // never a window of the dialog-box class
};
WindowQuery QueryFromArgs(const Args& args, size_t titleIndex = 0);
std::vector<HWND> FindTopWindows(const WindowQuery& query);
HWND FindTopWindow(const WindowQuery& query);

std::wstring WindowClass(HWND window);
// The text of a window of any process (WM_GETTEXT, bounded).
std::wstring WindowText(HWND window);

// Resolves a control of `top` by any of "--id N", "--text T", "--class C",
// "--enabled 0|1" and "--at 'X Y'" (under that screen point, frames aside)
// together; "--nth K" picks among several matches.
HWND FindControl(HWND top, const Args& args);

// A window's text, with line breaks written as \r and \n so it fits a line.
std::wstring Escaped(const std::wstring& text);

// SendMessageTimeout that gives up on a hung window; *ok tells whether the
// message was handled.
LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                    bool* ok = nullptr);

// The top-level window named by the first word, or the control of it named
// by the options; both report what they could not find.
HWND RequireTop(const Args& args);
HWND RequireControl(const Args& args);

}  // namespace pixkeeper::probe
