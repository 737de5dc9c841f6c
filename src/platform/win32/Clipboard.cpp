#include "platform/win32/Clipboard.h"

#include <chrono>
#include <cstring>
#include <cwchar>
#include <utility>

#include "base/RuntimeError.h"
#include "platform/Platform.h"
#include "platform/win32/BitmapToDib.h"
#include "platform/win32/Handles.h"
#include "platform/win32/PngDecoder.h"
#include "platform/win32/Win32Error.h"

namespace pixkeeper::win32 {

namespace {

// The program that has just put a picture on the clipboard often still holds
// it open while the change notice arrives here, and any other program may
// have it open for a moment, so opening retries for a while. On a busy
// machine a holder that is not scheduled keeps it well past 50 ms; giving up
// that early dropped pictures, failed the start and ended the program on a
// click in the list.
constexpr auto kOpenPatience = std::chrono::milliseconds(1000);
constexpr DWORD kOpenRetryMilliseconds = 3;

HWND CreateMessageOnlyWindow() {
  HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) RaiseLastError(error::kOutOfMemory);
  return window;
}

}  // namespace

struct ClipboardState {
  HWND window = nullptr;  // the clipboard's open window; destroyed with the state
  int openDepth = 0;
  int borrowedPictures = 0;
  bool dataFetched = false;  // data was taken while open: the system keeps a copy of it here

  ClipboardState() : window(CreateMessageOnlyWindow()) {}
  ClipboardState(const ClipboardState&) = delete;
  ClipboardState& operator=(const ClipboardState&) = delete;
  ~ClipboardState() { ::DestroyWindow(window); }
};

namespace {

// How the clipboard is opened: on the platform's window, which then owns what
// is put there, or on no window, so that emptying it leaves no owner.
enum class OpenAs { Owner, NoOwner };

// The clipboard opened by this process; closed again when the last session
// ends. Sessions nest: a borrowed picture keeps one open, and a later
// operation of this process then shares it instead of failing.
class ClipboardSession {
 public:
  // Raises RuntimeError 521 when another program keeps the clipboard open
  // past a short wait.
  ClipboardSession(std::shared_ptr<ClipboardState> state, OpenAs openAs);
  ClipboardSession(ClipboardSession&& other) noexcept = default;
  ClipboardSession& operator=(ClipboardSession&&) = delete;
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  ~ClipboardSession();

 private:
  std::shared_ptr<ClipboardState> state_;
};

ClipboardSession::ClipboardSession(std::shared_ptr<ClipboardState> state, OpenAs openAs)
    : state_(std::move(state)) {
  if (state_->openDepth == 0) {
    // The owner of the clipboard is sent WM_DESTROYCLIPBOARD when the next
    // program empties it, and that program waits for the answer. Emptied
    // without an owner, the clipboard makes nobody wait for this thread.
    HWND window = openAs == OpenAs::NoOwner ? nullptr : state_->window;
    const auto deadline = std::chrono::steady_clock::now() + kOpenPatience;
    while (!::OpenClipboard(window)) {
      if (std::chrono::steady_clock::now() >= deadline) {
        throw RuntimeError(error::kCannotOpenClipboard);
      }
      ::Sleep(kOpenRetryMilliseconds);
    }
  }
  ++state_->openDepth;
}

ClipboardSession::~ClipboardSession() {
  if (state_ == nullptr) return;  // moved from
  if (--state_->openDepth != 0) return;
  ::CloseClipboard();
  if (std::exchange(state_->dataFetched, false)) {
    // The system keeps its copy of data taken from another program's
    // clipboard in this process until the clipboard is next opened. Once
    // the picture is copied that is a second picture held for nothing
    // through the encoding and the write, and with the clipboard kept,
    // until the next picture. Opened for an instant, the system lets it go;
    // when someone else has the clipboard just then, it goes next time.
    if (::OpenClipboard(nullptr)) ::CloseClipboard();
  }
}

// Keeps the clipboard open and its DIB locked while a picture borrows it.
class ClipboardLease final : public PictureLease {
 public:
  ClipboardLease(std::shared_ptr<ClipboardState> state, ClipboardSession session,
                 GlobalLockGuard lock)
      : state_(std::move(state)), session_(std::move(session)), lock_(std::move(lock)) {
    ++state_->borrowedPictures;
  }
  ~ClipboardLease() override { --state_->borrowedPictures; }

  const std::uint8_t* bytes() const noexcept { return static_cast<const std::uint8_t*>(lock_.data()); }

 private:
  // Declared so that the memory is unlocked before the clipboard closes.
  std::shared_ptr<ClipboardState> state_;
  ClipboardSession session_;
  GlobalLockGuard lock_;
};

// The data of a format, locked, with the clipboard held open and its
// sequence number then; nothing is locked when the data is gone since the
// format was tested. Declared so that the data is unlocked before the
// clipboard closes.
struct HeldData {
  ClipboardSession session;
  std::uint32_t sequence;
  GlobalLockGuard lock;
  SIZE_T size;
};

HeldData HoldData(const std::shared_ptr<ClipboardState>& state, unsigned format) {
  ClipboardSession session(state, OpenAs::Owner);
  const std::uint32_t sequence = ::GetClipboardSequenceNumber();
  state->dataFetched = true;
  HANDLE data = ::GetClipboardData(format);
  if (data == nullptr) return {std::move(session), sequence, GlobalLockGuard(), 0};
  GlobalLockGuard lock(data);
  if (!lock) throw RuntimeError(error::kOutOfMemory);
  return {std::move(session), sequence, std::move(lock), ::GlobalSize(data)};
}

}  // namespace

Clipboard::Clipboard() : state_(std::make_shared<ClipboardState>()) {}

Clipboard::~Clipboard() = default;

bool Clipboard::HasFormat(int format) const {
  return format > 0 && ::IsClipboardFormatAvailable(static_cast<UINT>(format)) != FALSE;
}

std::vector<int> Clipboard::Formats() {
  ClipboardSession session(state_, OpenAs::Owner);
  std::vector<int> formats;
  for (UINT format = 0; (format = ::EnumClipboardFormats(format)) != 0;) formats.push_back(static_cast<int>(format));
  return formats;
}

int Clipboard::FormatNamed(const std::wstring& name) const {
  return static_cast<int>(::RegisterClipboardFormatW(name.c_str()));
}

std::optional<std::uint32_t> Clipboard::GetNumber(int format) {
  if (format <= 0) return std::nullopt;
  ClipboardSession session(state_, OpenAs::Owner);
  HANDLE data = ::GetClipboardData(static_cast<UINT>(format));
  if (data == nullptr || ::GlobalSize(data) < sizeof(std::uint32_t)) return std::nullopt;
  GlobalLockGuard lock(data);
  if (!lock) return std::nullopt;
  std::uint32_t number = 0;
  std::memcpy(&number, lock.data(), sizeof number);
  return number;
}

bool Clipboard::FilledByHostDesktop() const {
  // Wine puts what a Linux program offers on the clipboard from a window of
  // its own, of this class.
  wchar_t name[32] = {};
  HWND owner = ::GetClipboardOwner();
  return owner != nullptr && ::GetClassNameW(owner, name, 32) > 0 &&
         std::wcscmp(name, L"__wine_clipboard_manager") == 0;
}

ClipboardPicture Clipboard::GetPicture(int format) {
  switch (format) {
    case clipboard_format::kDib:
    case clipboard_format::kDibV5:
      return BorrowDib(static_cast<unsigned>(format));
    case clipboard_format::kBitmap:
      // The system offers a DIB of nearly every bitmap (and a bitmap of every
      // DIB). That DIB is the same picture without a trip through the
      // screen's format, and it can be borrowed instead of converted.
      if (::IsClipboardFormatAvailable(CF_DIB)) {
        ClipboardPicture dib = BorrowDib(CF_DIB);
        if (!dib.picture.empty()) return dib;  // else the system could not make one
      }
      return ConvertBitmap();
    default:
      if (format > 0 && format == FormatNamed(L"PNG")) return DecodeClipboardPng(static_cast<unsigned>(format));
      throw RuntimeError(error::kInvalidPicture);
  }
}

std::vector<std::uint8_t> Clipboard::GetBytes(int format, std::uint32_t& sequence) {
  if (format <= 0) return {};
  const HeldData held = HoldData(state_, static_cast<unsigned>(format));
  sequence = held.sequence;
  if (!held.lock) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(held.lock.data());
  return std::vector<std::uint8_t>(bytes, bytes + held.size);
}

std::wstring Clipboard::OwnerProgram() const {
  DWORD id = 0;
  HWND owner = ::GetClipboardOwner();
  if (owner == nullptr || ::GetWindowThreadProcessId(owner, &id) == 0) return {};
  KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  wchar_t path[MAX_PATH * 4];
  DWORD length = MAX_PATH * 4;
  if (!process || !::QueryFullProcessImageNameW(process.get(), 0, path, &length)) return {};
  return std::wstring(path, length);
}

ClipboardPicture Clipboard::BorrowDib(unsigned format) {
  HeldData held = HoldData(state_, format);
  ClipboardPicture result;
  result.sequence = held.sequence;
  if (!held.lock) return result;  // gone since it was tested: nothing to take
  auto lease = std::make_unique<ClipboardLease>(state_, std::move(held.session), std::move(held.lock));
  const std::uint8_t* bytes = lease->bytes();
  result.picture = Picture::Borrow(bytes, held.size, std::move(lease));
  return result;
}

ClipboardPicture Clipboard::DecodeClipboardPng(unsigned format) {
  const HeldData held = HoldData(state_, format);
  ClipboardPicture result;
  result.sequence = held.sequence;
  if (held.lock) result.picture = DecodePng(static_cast<const std::uint8_t*>(held.lock.data()), held.size);
  return result;
}

ClipboardPicture Clipboard::ConvertBitmap() {
  ClipboardSession session(state_, OpenAs::Owner);
  ClipboardPicture result;
  result.sequence = ::GetClipboardSequenceNumber();
  // The clipboard keeps ownership of this bitmap.
  auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
  if (bitmap == nullptr) return result;
  result.picture = Picture::Own(DibFromBitmap(bitmap));
  return result;
}

void Clipboard::RefuseWhileBorrowed() const {
  if (state_->borrowedPictures > 0) throw RuntimeError(error::kCannotOpenClipboard);
}

void Clipboard::SetText(const std::wstring& text) {
  RefuseWhileBorrowed();
  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  GlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) throw RuntimeError(error::kOutOfMemory);
  {
    GlobalLockGuard lock(memory.get());
    if (!lock) throw RuntimeError(error::kOutOfMemory);
    std::memcpy(lock.data(), text.c_str(), bytes);
  }
  ClipboardSession session(state_, OpenAs::Owner);
  if (!::EmptyClipboard()) RaiseLastError(error::kCannotOpenClipboard);
  // Only the Unicode text: the system makes the other text formats from it.
  if (::SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr) {
    RaiseLastError(error::kCannotOpenClipboard);
  }
  memory.Release();  // the clipboard owns it now
}

std::uint32_t Clipboard::Sequence() const { return ::GetClipboardSequenceNumber(); }

std::optional<std::uint32_t> Clipboard::ClearIfUnchanged(std::uint32_t sequence) {
  RefuseWhileBorrowed();
  ClipboardSession session(state_, OpenAs::NoOwner);
  // While it is open here nobody else can change it between the test and the
  // emptying, nor between the emptying and the reading of its new number.
  if (::GetClipboardSequenceNumber() != sequence) return std::nullopt;
  if (!::EmptyClipboard()) RaiseLastError(error::kCannotOpenClipboard);
  return ::GetClipboardSequenceNumber();
}

}  // namespace pixkeeper::win32
