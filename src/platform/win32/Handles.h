#pragma once
// Small move-only owners for the system objects this layer opens and must give
// back: file handles, registry keys, icons, menus, device contexts, GDI objects, selections
// into a device context and locks on global memory.

#include <windows.h>

#include <utility>

namespace pixkeeper::win32 {

// Owns one value of a handle type described by Traits (Value, Invalid(), Close).
template <typename Traits>
class UniqueResource {
 public:
  using Value = typename Traits::Value;

  UniqueResource() noexcept = default;
  explicit UniqueResource(Value value) noexcept : value_(value) {}
  UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  ~UniqueResource() { Reset(); }

  Value get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

  Value Release() noexcept { return std::exchange(value_, Traits::Invalid()); }
  void Reset(Value value = Traits::Invalid()) noexcept {
    Value old = std::exchange(value_, value);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

 private:
  Value value_ = Traits::Invalid();
};

struct FileHandleTraits {
  using Value = HANDLE;
  static Value Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Value value) noexcept { ::CloseHandle(value); }
};
using FileHandle = UniqueResource<FileHandleTraits>;

// A search of a folder's names (FindFirstFileW).
struct FindHandleTraits {
  using Value = HANDLE;
  static Value Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Value value) noexcept { ::FindClose(value); }
};
using FindHandle = UniqueResource<FindHandleTraits>;

// A handle of a process, thread or event: none is null, not INVALID_HANDLE_VALUE.
struct KernelHandleTraits {
  using Value = HANDLE;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { ::CloseHandle(value); }
};
using KernelHandle = UniqueResource<KernelHandleTraits>;

struct RegistryKeyTraits {
  using Value = HKEY;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { ::RegCloseKey(value); }
};
using RegistryKey = UniqueResource<RegistryKeyTraits>;

struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { ::DeleteObject(value); }
};
using GdiObject = UniqueResource<GdiObjectTraits>;

// Movable global memory until it is handed over (to the clipboard).
struct GlobalMemoryTraits {
  using Value = HGLOBAL;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { ::GlobalFree(value); }
};
using GlobalMemory = UniqueResource<GlobalMemoryTraits>;

struct AcceleratorTableTraits {
  using Value = HACCEL;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { ::DestroyAcceleratorTable(value); }
};
using AcceleratorTable = UniqueResource<AcceleratorTableTraits>;

// An icon made or loaded at a size of the program's choosing.
struct IconTraits {
  using Value = HICON;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { ::DestroyIcon(value); }
};
using IconHandle = UniqueResource<IconTraits>;

// A menu that no window holds, such as a shortcut menu.
struct MenuTraits {
  using Value = HMENU;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { ::DestroyMenu(value); }
};
using MenuHandle = UniqueResource<MenuTraits>;

// A device context made with CreateCompatibleDC.
struct MemoryDcTraits {
  using Value = HDC;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { ::DeleteDC(value); }
};
using MemoryDc = UniqueResource<MemoryDcTraits>;

// A device context of a window (or of the screen, for no window) from GetDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  WindowDc(WindowDc&& other) noexcept
      : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&&) = delete;
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }

  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context; the previous one goes back in.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
  SelectedObject(SelectedObject&& other) noexcept
      : dc_(other.dc_), previous_(std::exchange(other.previous_, nullptr)) {}
  SelectedObject& operator=(SelectedObject&&) = delete;
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }

  explicit operator bool() const noexcept {
    return previous_ != nullptr && previous_ != HGDI_ERROR;
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A lock on movable global memory (clipboard data among it).
class GlobalLockGuard {
 public:
  GlobalLockGuard() noexcept = default;
  explicit GlobalLockGuard(HGLOBAL memory) noexcept
      : memory_(memory), data_(memory != nullptr ? ::GlobalLock(memory) : nullptr) {}
  GlobalLockGuard(GlobalLockGuard&& other) noexcept
      : memory_(std::exchange(other.memory_, nullptr)), data_(std::exchange(other.data_, nullptr)) {}
  GlobalLockGuard& operator=(GlobalLockGuard&& other) noexcept {
    if (this != &other) {
      Unlock();
      memory_ = std::exchange(other.memory_, nullptr);
      data_ = std::exchange(other.data_, nullptr);
    }
    return *this;
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  ~GlobalLockGuard() { Unlock(); }

  void* data() const noexcept { return data_; }
  explicit operator bool() const noexcept { return data_ != nullptr; }

 private:
  void Unlock() noexcept {
    if (data_ != nullptr) ::GlobalUnlock(memory_);
    memory_ = nullptr;
    data_ = nullptr;
  }

  HGLOBAL memory_ = nullptr;
  void* data_ = nullptr;
};

}  // namespace pixkeeper::win32
