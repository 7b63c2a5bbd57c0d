// Owning wrappers for Win32 handles, COM interfaces and OLE's storage media.
//
// One small type per kind of handle (and one for a device context's
// selection); each closes its handle exactly once and cannot be copied.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <utility>

namespace plum {

template <class Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Traits::Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      h_ = std::exchange(other.h_, Traits::Invalid());
    }
    return *this;
  }

  Handle get() const { return h_; }
  bool valid() const { return h_ != Traits::Invalid(); }
  explicit operator bool() const { return valid(); }

  void reset(Handle h = Traits::Invalid()) {
    if (valid()) Traits::Close(h_);
    h_ = h;
  }

 private:
  Handle h_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { CloseHandle(h); }
};

// File handles use INVALID_HANDLE_VALUE, not null, for "none".
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};

template <class T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};

// Memory device contexts, made with CreateCompatibleDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DeleteDC(h); }
};

struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DestroyIcon(h); }
};

struct CursorTraits {
  using Handle = HCURSOR;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DestroyCursor(h); }
};

// The screen's device context, from GetDC(nullptr).
struct ScreenDcTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ReleaseDC(nullptr, h); }
};

// Text the system allocated with CoTaskMemAlloc, such as a known folder's path.
struct TaskTextTraits {
  using Handle = wchar_t*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { CoTaskMemFree(h); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using BitmapHandle = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using FontHandle = UniqueHandle<GdiObjectTraits<HFONT>>;
using BrushHandle = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;
using IconHandle = UniqueHandle<IconTraits>;
using CursorHandle = UniqueHandle<CursorTraits>;
using ScreenDc = UniqueHandle<ScreenDcTraits>;
using TaskText = UniqueHandle<TaskTextTraits>;

// A GDI object selected into a device context while this lives; the object
// it replaced goes back when it ends.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() {
    if (old_) SelectObject(dc_, old_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A global memory block locked (GlobalLock) while this lives; get() is null
// when it could not be locked.
class GlobalLocked {
 public:
  explicit GlobalLocked(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
  ~GlobalLocked() { Unlock(); }
  GlobalLocked(GlobalLocked&& o) noexcept
      : memory_(o.memory_), data_(std::exchange(o.data_, nullptr)) {}
  GlobalLocked& operator=(GlobalLocked&& o) noexcept {
    if (this != &o) {
      Unlock();
      memory_ = o.memory_;
      data_ = std::exchange(o.data_, nullptr);
    }
    return *this;
  }
  void* get() const { return data_; }

 private:
  void Unlock() {
    if (data_) GlobalUnlock(memory_);
  }
  HGLOBAL memory_;
  void* data_;
};

// The storage medium a data object hands over in `format` (GetData),
// released (ReleaseStgMedium) when this ends; empty when it hands none.
class StorageMedium {
 public:
  StorageMedium(IDataObject* data, FORMATETC format) {
    held_ = data && data->GetData(&format, &medium_) == S_OK;
  }
  ~StorageMedium() { Release(); }
  StorageMedium(StorageMedium&& o) noexcept
      : medium_(o.medium_), held_(std::exchange(o.held_, false)) {}
  StorageMedium& operator=(StorageMedium&& o) noexcept {
    if (this != &o) {
      Release();
      medium_ = o.medium_;
      held_ = std::exchange(o.held_, false);
    }
    return *this;
  }
  const STGMEDIUM& get() const { return medium_; }
  explicit operator bool() const { return held_; }

 private:
  void Release() {
    if (held_) ReleaseStgMedium(&medium_);
    held_ = false;
  }
  STGMEDIUM medium_ = {};
  bool held_ = false;
};

// A reference to a COM object, released when it ends; moved, never copied.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  // Takes over a reference the caller already owns (as returned by a factory).
  static ComRef Adopt(T* p) {
    ComRef r;
    r.p_ = p;
    return r;
  }
  ComRef(ComRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComRef& operator=(ComRef o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComRef() {
    if (p_) p_->Release();
  }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

}  // namespace plum
