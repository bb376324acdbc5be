// The owners of what the Windows edge opens: kernel handles, searches, registry keys, device contexts,
// GDI objects, metafiles, mapped views, modules, service handles, event sources and temporary files,
// each released once by its owner. One template carries the ownership; a traits struct per kind says
// what "none" is and how the thing is released.
// Printer handles have their owner beside the spooler seam (lib_prn_seam_win.h).
#pragma once

#include <windows.h>

#include <string>
#include <utility>

template <class Traits>
class TOwned {
 public:
  using Type = typename Traits::Type;

  TOwned() = default;
  explicit TOwned(Type value) : value_(std::move(value)) {}
  ~TOwned() { Reset(); }
  TOwned(TOwned&& other) noexcept : value_(other.Release()) {}
  TOwned& operator=(TOwned&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  TOwned(const TOwned&) = delete;
  TOwned& operator=(const TOwned&) = delete;

  const Type& Get() const { return value_; }
  bool Valid() const { return Traits::Valid(value_); }
  explicit operator bool() const { return Valid(); }
  // Gives the thing up without releasing it.
  Type Release() { return std::exchange(value_, Traits::None()); }
  void Reset(Type value = Traits::None()) {
    if (Traits::Valid(value_)) Traits::Close(value_);
    value_ = std::move(value);
  }
  // For a call that opens into an out-parameter: what it held is released first.
  Type* Receive() {
    Reset();
    return &value_;
  }

 private:
  Type value_ = Traits::None();
};

// The traits of a kind whose "none" is nullptr and which one call releases.
template <class T, auto CloseCall>
struct TNullableTraits {
  using Type = T;
  static T None() { return nullptr; }
  static bool Valid(T value) { return value != nullptr; }
  static void Close(T value) { CloseCall(value); }
};

// A kernel object: file, event, mutex, thread, process, token, file mapping. Both nullptr and
// INVALID_HANDLE_VALUE mean none: CreateFile fails with the one, the other calls with the other.
struct TKernelHandleTraits : TNullableTraits<HANDLE, CloseHandle> {
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
};
using TKernelHandle = TOwned<TKernelHandleTraits>;
// The name the file layer has always used for the same owner.
using TFileHandle = TKernelHandle;

// A FindFirstFile search.
struct TFindHandleTraits : TKernelHandleTraits {
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
using TFindHandle = TOwned<TFindHandleTraits>;

using TRegKey = TOwned<TNullableTraits<HKEY, RegCloseKey>>;
// A device context made with CreateDC (not one of a window, which ReleaseDC gives back).
using TDeviceContext = TOwned<TNullableTraits<HDC, DeleteDC>>;
// A bitmap, pen, brush or font; it must no longer be selected into a DC when its owner goes.
using TGdiObject = TOwned<TNullableTraits<HGDIOBJ, DeleteObject>>;
using TEnhMetaFile = TOwned<TNullableTraits<HENHMETAFILE, DeleteEnhMetaFile>>;
using TMappedView = TOwned<TNullableTraits<const void*, UnmapViewOfFile>>;
using TModuleHandle = TOwned<TNullableTraits<HMODULE, FreeLibrary>>;
using TServiceHandle = TOwned<TNullableTraits<SC_HANDLE, CloseServiceHandle>>;
using TEventSource = TOwned<TNullableTraits<HANDLE, DeregisterEventSource>>;

// A temporary file by name: deleted when its owner goes, unless released (kept) first.
struct TTempFileTraits {
  using Type = std::u16string;
  static std::u16string None() { return {}; }
  static bool Valid(const std::u16string& name) { return !name.empty(); }
  static void Close(const std::u16string& name) { DeleteFileW(reinterpret_cast<const wchar_t*>(name.c_str())); }
};
using TTempFile = TOwned<TTempFileTraits>;
