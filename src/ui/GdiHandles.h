#pragma once
// Small owners of GDI and user handles with a scope.

#include <windows.h>

#include <utility>

namespace pixkeeper {

// The screen's device context, released at the end of its scope.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A window's device context for measuring, released at the end of its scope.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A GDI object selected into a DC; the previous one is put back at the end.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// An accelerator table, destroyed with its owner.
class AcceleratorTable {
 public:
  AcceleratorTable() = default;
  AcceleratorTable(ACCEL* entries, int count) : table_(CreateAcceleratorTableW(entries, count)) {}
  AcceleratorTable(AcceleratorTable&& other) noexcept : table_(std::exchange(other.table_, nullptr)) {}
  AcceleratorTable& operator=(AcceleratorTable&& other) noexcept {
    std::swap(table_, other.table_);
    return *this;
  }
  AcceleratorTable(const AcceleratorTable&) = delete;
  AcceleratorTable& operator=(const AcceleratorTable&) = delete;
  ~AcceleratorTable() {
    if (table_ != nullptr) DestroyAcceleratorTable(table_);
  }
  HACCEL get() const { return table_; }

 private:
  HACCEL table_ = nullptr;
};

}  // namespace pixkeeper
