#pragma once
// Unpacking cabinet archives between files of a book volume: the cabinet
// interface reads the archive from, and writes members into, MFS files only.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/CabIntf.h"
#include "storage/u_MFS.h"
#include "text/u_Utils.h"

namespace vv {

class EMFSCabError : public Exception {
  using Exception::Exception;
};

class EMFSCabReaderError : public EMFSCabError {
  using EMFSCabError::EMFSCabError;
};

class EMFSCabSystemError : public EMFSCabError {
public:
  EMFSCabSystemError(std::int32_t ErrorCode, std::int32_t ErrorType, bool ErrorPresent,
                     const std::string& LastExceptionMessage);

  const std::int32_t ErrorCode;
  const std::int32_t ErrorType;
  const bool ErrorPresent;
};

// Whether a member may be as large as its entry in an archive of ArchiveSize
// bytes says: no more than a file holds, nor than the archive can deliver.
[[nodiscard]] bool MemberSizeCredible(std::uint32_t Declared, std::size_t ArchiveSize);

class TMFSCabBase {
public:
  TMFSCabBase(TMFSSession* Session, std::string_view CabinetPath);
  virtual ~TMFSCabBase() = default;
  TMFSCabBase(const TMFSCabBase&) = delete;
  TMFSCabBase& operator=(const TMFSCabBase&) = delete;

  // Nothing for 1 (true); otherwise raises EMFSCabSystemError from the error
  // record, with LastError as its type.
  void CheckResult(FDIBOOL Result);

  TMFSSession* const Session; // not owned
  ERF ErrorRecord;
  std::string LastExceptionMessage;
  std::string CabinetPath;    // absolute
  std::int32_t LastError = 0; // 0 after a successful callback, -1 after a failed one
};

class TMFSCabReader : public TMFSCabBase {
public:
  // CabinetPath names an existing file of Session's volume.
  TMFSCabReader(TMFSSession* Session, std::string_view CabinetPath);
  ~TMFSCabReader() override;

  // Unpacks the member named FileName (any case) to Destination; other members are skipped.
  void Extract(std::string_view FileName, std::string_view Destination);

  HFDI Context = nullptr;
  std::string WantedName;
  std::string DestinationPath;
  std::int32_t CabinetSize = 0;
  std::int32_t FileCount = 0;
};

// Serialises every cabinet call that can run callbacks: the file callbacks
// find their reader only through CurrentCabReader.
extern std::recursive_mutex CabLock;
extern TMFSCabReader* CurrentCabReader;

// The FDI callbacks. A handle is a TMFSFileStream; -1 means failure.
void* MFSCabAlloc(std::uint32_t Size);
void MFSCabFree(void* Block);
std::intptr_t MFSCabOpen(char* FileName, int OpenFlags, int Permission);
std::uint32_t MFSCabRead(std::intptr_t Handle, void* Buffer, std::uint32_t Count);
std::uint32_t MFSCabWrite(std::intptr_t Handle, void* Buffer, std::uint32_t Count);
int MFSCabClose(std::intptr_t Handle);
std::int32_t MFSCabSeek(std::intptr_t Handle, std::int32_t Distance, int Origin);
std::intptr_t MFSCabNotify(FDINOTIFICATIONTYPE Type, FDINOTIFICATION* Notification);

// C run-time open flags as a creation disposition and a flag word.
void TranslateOpenFlags(int OpenFlags, int& Disposition, std::uint32_t& Flags);

} // namespace vv
