// Owners of Win32 handles: each type closes, frees or releases its handle on
// every path, early returns included. Move-only. Add a type here rather than
// closing a handle by hand elsewhere.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

template <typename H, typename Traits>
class TQLUniqueHandle {
public:
  TQLUniqueHandle() = default;
  explicit TQLUniqueHandle(H Handle) : FHandle(Handle) {}
  ~TQLUniqueHandle() { Reset(); }
  TQLUniqueHandle(TQLUniqueHandle&& Other) noexcept : FHandle(Other.Release()) {}
  TQLUniqueHandle& operator=(TQLUniqueHandle&& Other) noexcept {
    if (this != &Other) Reset(Other.Release());
    return *this;
  }
  TQLUniqueHandle(const TQLUniqueHandle&) = delete;
  TQLUniqueHandle& operator=(const TQLUniqueHandle&) = delete;

  H Get() const { return FHandle; }
  explicit operator bool() const { return Traits::Valid(FHandle); }
  H Release() { return std::exchange(FHandle, Traits::Invalid()); }
  void Reset(H Handle = Traits::Invalid()) {
    if (Traits::Valid(FHandle)) Traits::Close(FHandle);
    FHandle = Handle;
  }

private:
  H FHandle = Traits::Invalid();
};

struct TQLFileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE H) { return H != INVALID_HANDLE_VALUE && H != nullptr; }
  static void Close(HANDLE H) { CloseHandle(H); }
};
// A kernel object from CreateFile and the like (invalid is INVALID_HANDLE_VALUE).
using TQLFileHandle = TQLUniqueHandle<HANDLE, TQLFileHandleTraits>;

struct TQLFindHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE H) { return H != INVALID_HANDLE_VALUE && H != nullptr; }
  static void Close(HANDLE H) { FindClose(H); }
};
using TQLFindHandle = TQLUniqueHandle<HANDLE, TQLFindHandleTraits>;

struct TQLLibraryTraits {
  static HMODULE Invalid() { return nullptr; }
  static bool Valid(HMODULE H) { return H != nullptr; }
  static void Close(HMODULE H) { FreeLibrary(H); }
};
using TQLLibrary = TQLUniqueHandle<HMODULE, TQLLibraryTraits>;

struct TQLRegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static bool Valid(HKEY H) { return H != nullptr; }
  static void Close(HKEY H) { RegCloseKey(H); }
};
using TQLRegKey = TQLUniqueHandle<HKEY, TQLRegKeyTraits>;

struct TQLGdiObjectTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static bool Valid(HGDIOBJ H) { return H != nullptr; }
  static void Close(HGDIOBJ H) { DeleteObject(H); }
};
using TQLGdiObject = TQLUniqueHandle<HGDIOBJ, TQLGdiObjectTraits>;

// A raw-data resource of a module, found, loaded and locked; the bytes stay
// valid while the module is loaded.
struct TQLLockedResource {
  const void* Data = nullptr;
  DWORD Size = 0;
  bool Found() const { return Data != nullptr; }
};

inline TQLLockedResource LockRawResource(HMODULE Module, LPCSTR Name, LPCSTR Type) {
  TQLLockedResource r;
  HRSRC info = FindResourceA(Module, Name, Type);
  if (!info) return r;
  HGLOBAL loaded = LoadResource(Module, info);
  if (!loaded) return r;
  r.Data = LockResource(loaded);
  r.Size = r.Data ? SizeofResource(Module, info) : 0;
  return r;
}

// A COM interface pointer, released once.
template <typename I>
struct TQLComTraits {
  static I* Invalid() { return nullptr; }
  static bool Valid(I* P) { return P != nullptr; }
  static void Close(I* P) { P->Release(); }
};
template <typename I>
using TQLComPtr = TQLUniqueHandle<I*, TQLComTraits<I>>;

// Memory from the COM task allocator (for example a shell item list).
template <typename T>
struct TQLCoTaskMemTraits {
  static T* Invalid() { return nullptr; }
  static bool Valid(T* P) { return P != nullptr; }
  static void Close(T* P) { CoTaskMemFree(P); }
};
template <typename T>
using TQLCoTaskMem = TQLUniqueHandle<T*, TQLCoTaskMemTraits<T>>;

struct TQLMemoryDCTraits {
  static HDC Invalid() { return nullptr; }
  static bool Valid(HDC H) { return H != nullptr; }
  static void Close(HDC H) { DeleteDC(H); }
};
// A device context from CreateCompatibleDC or CreateDC.
using TQLMemoryDC = TQLUniqueHandle<HDC, TQLMemoryDCTraits>;

struct TQLGlobalMemoryTraits {
  static HGLOBAL Invalid() { return nullptr; }
  static bool Valid(HGLOBAL H) { return H != nullptr; }
  static void Close(HGLOBAL H) { GlobalFree(H); }
};
// A block from GlobalAlloc; unlock it before the owner frees it.
using TQLGlobalMemory = TQLUniqueHandle<HGLOBAL, TQLGlobalMemoryTraits>;

template <typename T>
struct TQLLocalMemoryTraits {
  static T* Invalid() { return nullptr; }
  static bool Valid(T* P) { return P != nullptr; }
  static void Close(T* P) { LocalFree(P); }
};
// Memory the system allocated with LocalAlloc for the caller (for example
// the argument list of CommandLineToArgvW).
template <typename T>
using TQLLocalMemory = TQLUniqueHandle<T*, TQLLocalMemoryTraits<T>>;

// The device context of a window's client area from GetDC, released on every
// path.
class TQLWindowDC {
public:
  explicit TQLWindowDC(HWND Window) : FWindow(Window), FDC(GetDC(Window)) {}
  ~TQLWindowDC() {
    if (FDC) ReleaseDC(FWindow, FDC);
  }
  TQLWindowDC(const TQLWindowDC&) = delete;
  TQLWindowDC& operator=(const TQLWindowDC&) = delete;
  HDC Get() const { return FDC; }

private:
  HWND FWindow;
  HDC FDC;
};

// COM on the calling thread, in a single-threaded apartment, for the
// owner's lifetime.
class TQLComApartment {
public:
  TQLComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~TQLComApartment() { CoUninitialize(); }
  TQLComApartment(const TQLComApartment&) = delete;
  TQLComApartment& operator=(const TQLComApartment&) = delete;
};
