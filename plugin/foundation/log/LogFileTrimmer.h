#pragma once
// The steps of cutting a log file back to its newest part without ever leaving
// a damaged log behind: find where the kept tail starts (on a line boundary),
// write the tail to a temporary file and flush it to disk, then rename it over
// the log in one atomic step. The caller holds the log's locks throughout.
#include "plugin/platform/FileIO.h"

#include <QString>
#include <cstdint>

namespace velta::LogFileTrimmer {

// The offset of the first byte to keep of a file of the given size opened as
// fd: the cut point (size - maxSize) moved back to just after the nearest line
// end, searched in blocks of 255 bytes. A cut point between a carriage return
// and its line feed keeps the tail from after the line feed. Without a line end
// in the searched blocks, the cut point itself. Throws EReadError.
std::int64_t findTailStart(int fd, std::int64_t size, std::int64_t maxSize);

// Copies bytes [from, size) of fd into a new file at tempPath (native), beside
// the log at logPath and with its permissions. Returns
// the file as a replacement of the log not yet made: dropped, it removes the
// file. On failure the file is removed and EFCreateError, EReadError or
// EWriteError is thrown.
FileIO::Replacement writeTail(int fd, std::int64_t from, std::int64_t size, const QString& logPath,
                              const QString& tempPath);

// Renames the tail's file over the log and returns the file's descriptor, open
// for reading and appending, which the caller owns and closes: the writer goes
// on appending through it, and flushes it to disk once out of the log's locks.
// On failure the file is removed and EOSError is thrown.
int replaceLog(FileIO::Replacement& tail);

} // namespace velta::LogFileTrimmer
