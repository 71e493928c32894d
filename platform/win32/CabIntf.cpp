// FDI from the system's cabinet library, loaded on first use. Our FDI types
// are laid out as the library's (checked below against <fdi.h>), so the
// callers' callbacks are handed over as they are.
#include "platform/CabIntf.h"

#include <windows.h>
#include <fdi.h>

#include <cstddef>
#include <mutex>

#include "platform/u_OSError.h"

namespace vv {

static_assert(sizeof(ERF) == sizeof(::ERF) && offsetof(ERF, fError) == offsetof(::ERF, fError));
static_assert(sizeof(FDICABINETINFO) == sizeof(::FDICABINETINFO) &&
              offsetof(FDICABINETINFO, hasnext) == offsetof(::FDICABINETINFO, hasnext));
static_assert(sizeof(FDINOTIFICATION) == sizeof(::FDINOTIFICATION) &&
              offsetof(FDINOTIFICATION, hf) == offsetof(::FDINOTIFICATION, hf) &&
              offsetof(FDINOTIFICATION, fdie) == offsetof(::FDINOTIFICATION, fdie));

namespace {

using TFDICreate = HFDI(__cdecl*)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE, PFNSEEK, int, ERF*);
using TFDIIsCabinet = FDIBOOL(__cdecl*)(HFDI, std::intptr_t, FDICABINETINFO*);
using TFDICopy = FDIBOOL(__cdecl*)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT, void*);
using TFDIDestroy = FDIBOOL(__cdecl*)(HFDI);

// The library and its entry points; released at program end.
class TCabinetLibrary {
public:
  ~TCabinetLibrary() {
    if (FModule)
      FreeLibrary(FModule);
  }

  // Loads the library and resolves all nine entry points in the documented
  // order, once; a failure leaves nothing loaded, so the next call tries again.
  void Bind() {
    const std::lock_guard<std::mutex> Lock(FMutex);
    if (FModule)
      return;
    const HMODULE Module = LoadLibraryA("cabinet.dll");
    if (!Module)
      RaiseLastOSError("LoadLibrary(\"cabinet.dll\")");
    static const char* const Names[] = {"FCICreate", "FCIAddFile", "FCIFlushCabinet", "FCIFlushFolder", "FCIDestroy",
                                        "FDICreate", "FDIIsCabinet", "FDICopy", "FDIDestroy"};
    FARPROC Entries[9];
    for (int i = 0; i < 9; ++i) {
      Entries[i] = GetProcAddress(Module, Names[i]);
      if (!Entries[i]) {
        const DWORD Code = GetLastError();
        FreeLibrary(Module);
        SetLastError(Code);
        RaiseLastOSError(Format("GetProcAddress(\"%s\")", Names[i]));
      }
    }
    Create = reinterpret_cast<TFDICreate>(reinterpret_cast<void*>(Entries[5]));
    IsCabinet = reinterpret_cast<TFDIIsCabinet>(reinterpret_cast<void*>(Entries[6]));
    Copy = reinterpret_cast<TFDICopy>(reinterpret_cast<void*>(Entries[7]));
    Destroy = reinterpret_cast<TFDIDestroy>(reinterpret_cast<void*>(Entries[8]));
    FModule = Module;
  }

  TFDICreate Create = nullptr;
  TFDIIsCabinet IsCabinet = nullptr;
  TFDICopy Copy = nullptr;
  TFDIDestroy Destroy = nullptr;

private:
  std::mutex FMutex;
  HMODULE FModule = nullptr;
};

TCabinetLibrary Library;

} // namespace

HFDI FDICreate(PFNALLOC pfnalloc, PFNFREE pfnfree, PFNOPEN pfnopen, PFNREAD pfnread, PFNWRITE pfnwrite,
               PFNCLOSE pfnclose, PFNSEEK pfnseek, int cpuType, ERF* perf) {
  Library.Bind();
  return Library.Create(pfnalloc, pfnfree, pfnopen, pfnread, pfnwrite, pfnclose, pfnseek, cpuType, perf);
}

// The other calls need a context, which only a bound library hands out.
FDIBOOL FDIIsCabinet(HFDI hfdi, std::intptr_t hf, FDICABINETINFO* pfdici) {
  return Library.IsCabinet(hfdi, hf, pfdici);
}

FDIBOOL FDICopy(HFDI hfdi, char* pszCabinet, char* pszCabPath, int flags, PFNFDINOTIFY pfnfdin,
                PFNFDIDECRYPT pfnfdid, void* pvUser) {
  return Library.Copy(hfdi, pszCabinet, pszCabPath, flags, pfnfdin, pfnfdid, pvUser);
}

FDIBOOL FDIDestroy(HFDI hfdi) { return Library.Destroy(hfdi); }

} // namespace vv
