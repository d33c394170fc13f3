#pragma once
// The thread's last system error in Windows numbering (GetLastError and
// SetLastError), with errno mapped onto those codes and their Russian messages.
#include <QString>

namespace velta::SystemError {

// Windows error codes the suite looks at.
enum Code : int {
    Success = 0,
    FileNotFound = 2,
    PathNotFound = 3,
    AccessDenied = 5,
    InvalidHandle = 6,
    NotEnoughMemory = 8,
    WriteProtect = 19,
    SharingViolation = 32,
    LockViolation = 33,
    TooManyOpenFiles = 4,
    NotSameDevice = 17,
    NotReady = 21,
    GeneralFailure = 31,
    FileExists = 80,
    InvalidParameter = 87,
    BufferOverflow = 111,
    DiskFull = 112,
    InvalidName = 123,
    DirectoryNotEmpty = 145,
    AlreadyExists = 183,
    IoDevice = 1117,
    Timeout = 1460,
};

int last();
void setLast(int code);
// Maps an errno value to the Windows code (ENOENT -> 2, ENOSPC -> 112, ...).
// EFBIG maps to 112: a file that cannot grow is reported like a full disk, a
// failure that retrying does not cure. Unknown values map to 31.
int fromErrno(int errnoValue);
// The same for a failure on a given native path: ENOENT becomes 3 (path not
// found) when the path's parent folder is missing, as Windows reports it.
int fromErrnoForPath(int errnoValue, const QString& nativePath);
// Sets the last error from errno and returns the mapped code.
int setLastFromErrno(int errnoValue);
int setLastFromErrnoForPath(int errnoValue, const QString& nativePath);
// The system's message for a code (SysErrorMessage), in Russian as on the
// stations; unknown codes read "Системная ошибка %d".
QString message(int code);

} // namespace velta::SystemError
