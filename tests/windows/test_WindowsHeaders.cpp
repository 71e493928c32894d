// Compiles only: every core header after the system's own headers, whose
// macros must not change a line of it, and our copies of the system's numbers
// checked against the originals.
#include <windows.h>
#include <urlmon.h>
#include <oleauto.h>
#include <mshtmhst.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "CoreHeaders.inc"

static_assert(vv::VV_S_OK == S_OK && vv::VV_S_FALSE == S_FALSE && vv::VV_E_PENDING == E_PENDING &&
              vv::VV_E_NOTIMPL == E_NOTIMPL && vv::VV_E_FAIL == E_FAIL && vv::VV_E_UNEXPECTED == E_UNEXPECTED);
static_assert(vv::VV_INET_E_INVALID_URL == INET_E_INVALID_URL &&
              vv::VV_INET_E_CANNOT_LOAD_DATA == INET_E_CANNOT_LOAD_DATA &&
              vv::VV_INET_E_DEFAULT_ACTION == INET_E_DEFAULT_ACTION &&
              vv::VV_INET_E_QUERYOPTION_UNKNOWN == INET_E_QUERYOPTION_UNKNOWN &&
              vv::VV_ERROR_INSUFFICIENT_BUFFER == ERROR_INSUFFICIENT_BUFFER);
static_assert(vv::BSCF_FIRSTDATANOTIFICATION == ::BSCF_FIRSTDATANOTIFICATION &&
              vv::BSCF_LASTDATANOTIFICATION == ::BSCF_LASTDATANOTIFICATION &&
              vv::BSCF_DATAFULLYAVAILABLE == ::BSCF_DATAFULLYAVAILABLE);
static_assert(vv::VV_DISPATCH_METHOD == DISPATCH_METHOD && vv::VV_DISPATCH_PROPERTYGET == DISPATCH_PROPERTYGET &&
              vv::VV_DISPATCH_PROPERTYPUT == DISPATCH_PROPERTYPUT && vv::VV_DISPID_UNKNOWN == DISPID_UNKNOWN);
static_assert(vv::VV_CREATE_NEW == CREATE_NEW && vv::VV_CREATE_ALWAYS == CREATE_ALWAYS &&
              vv::VV_OPEN_EXISTING == OPEN_EXISTING && vv::VV_OPEN_ALWAYS == OPEN_ALWAYS &&
              vv::VV_TRUNCATE_EXISTING == TRUNCATE_EXISTING &&
              vv::VV_FILE_FLAG_DELETE_ON_CLOSE == FILE_FLAG_DELETE_ON_CLOSE);
static_assert(vv::VV_O_RDONLY == _O_RDONLY && vv::VV_O_WRONLY == _O_WRONLY && vv::VV_O_RDWR == _O_RDWR &&
              vv::VV_O_APPEND == _O_APPEND && vv::VV_O_RANDOM == _O_RANDOM &&
              vv::VV_O_SEQUENTIAL == _O_SEQUENTIAL && vv::VV_O_TEMPORARY == _O_TEMPORARY &&
              vv::VV_O_CREAT == _O_CREAT && vv::VV_O_TRUNC == _O_TRUNC && vv::VV_O_EXCL == _O_EXCL &&
              vv::VV_O_SHORT_LIVED == _O_SHORT_LIVED && vv::VV_O_BINARY == _O_BINARY &&
              vv::VV_S_IREAD == _S_IREAD && vv::VV_S_IWRITE == _S_IWRITE);
static_assert(vv::faReadOnly == FILE_ATTRIBUTE_READONLY && vv::faHidden == FILE_ATTRIBUTE_HIDDEN &&
              vv::faSysFile == FILE_ATTRIBUTE_SYSTEM && vv::faDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              vv::faArchive == FILE_ATTRIBUTE_ARCHIVE);
