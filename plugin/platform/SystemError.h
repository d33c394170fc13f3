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
    FileExists = 80,
    BufferOverflow = 111,
    DiskFull = 112,
    InvalidName = 123,
    AlreadyExists = 183,
};

int last();
void setLast(int code);
// Maps an errno value to the Windows code (ENOENT -> 2 or 3, ENOSPC -> 112, ...).
int fromErrno(int errnoValue);
// Sets the last error from errno and returns the mapped code.
int setLastFromErrno(int errnoValue);
// The system's message for a code (SysErrorMessage), in Russian as on the
// stations; unknown codes read "Системная ошибка %d".
QString message(int code);

} // namespace velta::SystemError
