#include "ProbeCommon.h"

#include <cwchar>
#include <stdexcept>
#include <thread>

namespace pixkeeper::probe {

namespace {

void WriteUtf8(DWORD stdHandle, const std::wstring& line) {
  std::wstring text = line + L"\n";
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                  nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(stdHandle), utf8.data(), static_cast<DWORD>(utf8.size()), &written,
            nullptr);
}

}  // namespace

void Print(const std::wstring& line) { WriteUtf8(STD_OUTPUT_HANDLE, line); }
void PrintError(const std::wstring& line) { WriteUtf8(STD_ERROR_HANDLE, L"pkprobe: " + line); }

std::wstring Hex(std::uintptr_t value) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%llx", static_cast<unsigned long long>(value));
  return buffer;
}

int ToInt(const std::wstring& text) {
  wchar_t* end = nullptr;
  long value = std::wcstol(text.c_str(), &end, 0);
  if (text.empty() || end == nullptr || *end != L'\0') {
    throw std::invalid_argument("not a number");
  }
  return static_cast<int>(value);
}

Args::Args(int argc, wchar_t** argv, int first) {
  for (int i = first; i < argc; ++i) {
    std::wstring word = argv[i];
    if (word.size() > 2 && word.compare(0, 2, L"--") == 0) {
      std::wstring name = word.substr(2);
      bool takesValue = i + 1 < argc && std::wstring(argv[i + 1]).compare(0, 2, L"--") != 0 &&
                        name != L"visible" && name != L"no-dialog" &&
                        name != L"align-second" && name != L"cancelled";
      options_[name] = takesValue ? argv[++i] : L"";
    } else {
      positional_.push_back(word);
    }
  }
}

const std::wstring& Args::Positional(size_t index) const {
  if (index >= positional_.size()) throw std::invalid_argument("missing argument");
  return positional_[index];
}

std::wstring Args::Option(const std::wstring& name, const std::wstring& fallback) const {
  auto found = options_.find(name);
  return found == options_.end() ? fallback : found->second;
}

int Args::IntOption(const std::wstring& name, int fallback) const {
  auto found = options_.find(name);
  return found == options_.end() ? fallback : ToInt(found->second);
}

bool WaitFor(int timeoutMs, const std::function<bool()>& condition) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::wstring WindowClass(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
    return L"";
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(copied);
  return text;
}

WindowQuery QueryFromArgs(const Args& args, size_t titleIndex) {
  WindowQuery query;
  query.title = args.Positional(titleIndex);
  query.className = args.Option(L"top-class");
  query.visibleOnly = args.Has(L"visible");
  query.excludeDialogs = args.Has(L"no-dialog");
  return query;
}

namespace {

struct EnumContext {
  const WindowQuery* query;
  std::vector<HWND> preferred;
  std::vector<HWND> dialogs;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM param) {
  auto* context = reinterpret_cast<EnumContext*>(param);
  const WindowQuery& query = *context->query;
  if (query.visibleOnly && !IsWindowVisible(window)) return TRUE;
  // The caption of a top-level window is kept by the system: no message needed.
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  if (query.title != title) return TRUE;
  std::wstring className = WindowClass(window);
  // A window destroyed since its title was read (a message box that is
  // closing) has no class any more: it is no main window.
  if (className.empty()) return TRUE;
  if (!query.className.empty()) {
    if (className == query.className) context->preferred.push_back(window);
  } else if (className == L"#32770") {
    if (!query.excludeDialogs) context->dialogs.push_back(window);
  } else {
    context->preferred.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> FindTopWindows(const WindowQuery& query) {
  EnumContext context{&query, {}, {}};
  EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&context));
  context.preferred.insert(context.preferred.end(), context.dialogs.begin(),
                           context.dialogs.end());
  return context.preferred;
}

HWND FindTopWindow(const WindowQuery& query) {
  std::vector<HWND> windows = FindTopWindows(query);
  return windows.empty() ? nullptr : windows.front();
}

namespace {

struct ControlSearch {
  const Args* args;
  int seen = 0;
  HWND found = nullptr;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ControlSearch*>(param);
  const Args& args = *search->args;
  bool match = true;
  if (args.Has(L"id")) match = match && GetDlgCtrlID(child) == args.IntOption(L"id", 0);
  if (args.Has(L"class")) match = match && _wcsicmp(WindowClass(child).c_str(),
                                                    args.Option(L"class").c_str()) == 0;
  if (args.Has(L"text")) match = match && WindowText(child) == args.Option(L"text");
  if (args.Has(L"at")) {
    // "X Y" on the screen: the control under that point.
    RECT rect{};
    GetWindowRect(child, &rect);
    std::wstring at = args.Option(L"at");
    size_t blank = at.find(L' ');
    POINT point{ToInt(at.substr(0, blank)), ToInt(at.substr(blank + 1))};
    bool groupBox = WindowClass(child) == L"Button" &&
                    (GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
    match = match && PtInRect(&rect, point) && !groupBox;
  }
  if (args.Has(L"enabled")) {
    match = match && (IsWindowEnabled(child) != FALSE) == (args.IntOption(L"enabled", 1) != 0);
  }
  if (!match) return TRUE;
  if (search->seen++ == args.IntOption(L"nth", 0)) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindControl(HWND top, const Args& args) {
  ControlSearch search{&args};
  EnumChildWindows(top, MatchControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring Escaped(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r') out += L"\\r";
    else if (c == L'\n') out += L"\\n";
    else out += c;
  }
  return out;
}

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* ok) {
  DWORD_PTR result = 0;
  LRESULT sent = SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000,
                                     &result);
  if (ok != nullptr) *ok = sent != 0;
  return static_cast<LRESULT>(result);
}

HWND RequireTop(const Args& args) {
  HWND window = FindTopWindow(QueryFromArgs(args));
  if (window == nullptr) PrintError(L"no window titled \"" + args.Positional(0) + L"\"");
  return window;
}

HWND RequireControl(const Args& args) {
  HWND top = RequireTop(args);
  if (top == nullptr) return nullptr;
  HWND control = FindControl(top, args);
  if (control == nullptr) PrintError(L"no such control");
  return control;
}

}  // namespace pixkeeper::probe
