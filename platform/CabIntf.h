#pragma once
// An FDI-compatible cabinet decompression interface (FDICreate, FDIIsCabinet,
// FDICopy, FDIDestroy) over libmspack. Every byte of the archive is read, and
// every byte of an extracted member written, through the caller's callbacks.
// Types are sized as on the 32-bit platform the interface comes from.

#include <cstdint>

namespace vv {

using HFDI = void*;
using FDIBOOL = std::int32_t; // 1 true, 0 false

enum FDIERROR : std::int32_t {
  FDIERROR_NONE = 0,
  FDIERROR_CABINET_NOT_FOUND = 1,
  FDIERROR_NOT_A_CABINET = 2,
  FDIERROR_UNKNOWN_CABINET_VERSION = 3,
  FDIERROR_CORRUPT_CABINET = 4,
  FDIERROR_ALLOC_FAIL = 5,
  FDIERROR_BAD_COMPR_TYPE = 6,
  FDIERROR_MDI_FAIL = 7,
  FDIERROR_TARGET_FILE = 8,
  FDIERROR_RESERVE_MISMATCH = 9,
  FDIERROR_WRONG_CABINET = 10,
  FDIERROR_USER_ABORT = 11,
};

// The error record: operation code (an FDIERROR), error type, error-present flag.
struct ERF {
  std::int32_t erfOper = 0;
  std::int32_t erfType = 0;
  FDIBOOL fError = 0;
};

// C run-time open flags and permissions handed to the open callback.
enum : int {
  VV_O_RDONLY = 0x0000,
  VV_O_WRONLY = 0x0001,
  VV_O_RDWR = 0x0002,
  VV_O_APPEND = 0x0008,
  VV_O_RANDOM = 0x0010,
  VV_O_SEQUENTIAL = 0x0020,
  VV_O_TEMPORARY = 0x0040,
  VV_O_CREAT = 0x0100,
  VV_O_TRUNC = 0x0200,
  VV_O_EXCL = 0x0400,
  VV_O_SHORT_LIVED = 0x1000,
  VV_O_BINARY = 0x8000,
  VV_S_IWRITE = 0x0080,
  VV_S_IREAD = 0x0100,
};

enum : int { VV_cpuUNKNOWN = -1, VV_cpu80286 = 0, VV_cpu80386 = 1 };

// Handles are the callbacks' own values; -1 means failure. The file callbacks
// run inside the C library and must not throw.
using PFNALLOC = void* (*)(std::uint32_t cb);
using PFNFREE = void (*)(void* pv);
using PFNOPEN = std::intptr_t (*)(char* pszFile, int oflag, int pmode);
using PFNREAD = std::uint32_t (*)(std::intptr_t hf, void* pv, std::uint32_t cb);
using PFNWRITE = std::uint32_t (*)(std::intptr_t hf, void* pv, std::uint32_t cb);
using PFNCLOSE = int (*)(std::intptr_t hf);
using PFNSEEK = std::int32_t (*)(std::intptr_t hf, std::int32_t dist, int seektype);

struct FDICABINETINFO {
  std::int32_t cbCabinet = 0;
  std::uint16_t cFolders = 0;
  std::uint16_t cFiles = 0;
  std::uint16_t setID = 0;
  std::uint16_t iCabinet = 0;
  FDIBOOL fReserve = 0;
  FDIBOOL hasprev = 0;
  FDIBOOL hasnext = 0;
};

enum FDINOTIFICATIONTYPE : int {
  fdintCABINET_INFO = 0,
  fdintPARTIAL_FILE = 1,
  fdintCOPY_FILE = 2,
  fdintCLOSE_FILE_INFO = 3,
  fdintNEXT_CABINET = 4,
  fdintENUMERATE = 5,
};

struct FDINOTIFICATION {
  std::int32_t cb = 0;
  char* psz1 = nullptr;
  char* psz2 = nullptr;
  char* psz3 = nullptr;
  void* pv = nullptr;
  std::intptr_t hf = 0;
  std::uint16_t date = 0;
  std::uint16_t time = 0;
  std::uint16_t attribs = 0;
  std::uint16_t setID = 0;
  std::uint16_t iCabinet = 0;
  std::uint16_t iFolder = 0;
  FDIERROR fdie = FDIERROR_NONE;
};

using PFNFDINOTIFY = std::intptr_t (*)(FDINOTIFICATIONTYPE fdint, FDINOTIFICATION* pfdin);
using PFNFDIDECRYPT = int (*)(void* pfdid);

// A context, or nullptr with perf filled (ALLOC_FAIL).
[[nodiscard]] HFDI FDICreate(PFNALLOC pfnalloc, PFNFREE pfnfree, PFNOPEN pfnopen, PFNREAD pfnread,
                             PFNWRITE pfnwrite, PFNCLOSE pfnclose, PFNSEEK pfnseek, int cpuType,
                             ERF* perf);

// True when hf, read from its current position, is a cabinet; fills pfdici.
// The handle is left open, at its original position.
[[nodiscard]] FDIBOOL FDIIsCabinet(HFDI hfdi, std::intptr_t hf, FDICABINETINFO* pfdici);

// Opens pszCabPath + pszCabinet through the open callback and offers every
// member to pfnfdin: fdintCOPY_FILE answered with 0 skips the member, with -1
// aborts, with a handle receives its bytes through the write callback, then
// fdintCLOSE_FILE_INFO (answer 1 to go on) hands the handle back. A member
// split across cabinets is announced with fdintPARTIAL_FILE (it begins in an
// earlier cabinet) or fdintNEXT_CABINET (it goes on in a later one); spanning
// is not supported, so any answer but -1 ends with FDIERROR_WRONG_CABINET.
// pfnfdid must be nullptr. False on failure, with the error record filled.
[[nodiscard]] FDIBOOL FDICopy(HFDI hfdi, char* pszCabinet, char* pszCabPath, int flags,
                              PFNFDINOTIFY pfnfdin, PFNFDIDECRYPT pfnfdid, void* pvUser);

[[nodiscard]] FDIBOOL FDIDestroy(HFDI hfdi);

} // namespace vv
