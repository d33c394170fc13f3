#include "plugin/foundation/log/LogFileTrimmer.h"

#include "common/Exception.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <vector>

namespace velta::LogFileTrimmer {

namespace {

constexpr std::int64_t kSearchBlock = 255;
constexpr std::size_t kCopyBlock = 256 * 1024;

QString lastSystemMessage()
{
    return SystemError::message(SystemError::setLastFromErrno(errno));
}

// Reads exactly count bytes at offset, retrying interrupted and short reads.
void readExactly(int fd, char* buffer, std::int64_t count, std::int64_t offset)
{
    while (count > 0) {
        const ssize_t got = ::pread(fd, buffer, static_cast<std::size_t>(count), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            throw EReadError(QStringLiteral("Stream read error"));
        buffer += got;
        count -= got;
        offset += got;
    }
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

std::int64_t findTailStart(int fd, std::int64_t size, std::int64_t maxSize)
{
    const std::int64_t cut = size - maxSize;
    char block[kSearchBlock];
    for (std::int64_t pos = cut; pos >= kSearchBlock; pos -= kSearchBlock) {
        readExactly(fd, block, kSearchBlock, pos - kSearchBlock);
        for (std::int64_t i = kSearchBlock - 1; i >= 0; --i) {
            if (!isLineEnd(block[i]))
                continue;
            const std::int64_t start = pos - kSearchBlock + i + 1;
            if (block[i] == '\r' && start == cut && start < size) {
                char next = 0;
                readExactly(fd, &next, 1, start);
                if (next == '\n')
                    return start + 1;
            }
            return start;
        }
    }
    return cut;
}

FileIO::Replacement writeTail(int fd, std::int64_t from, std::int64_t size, const QString& logPath,
                              const QString& tempPath)
{
    FileIO::Replacement tail;
    if (!tail.create(logPath, tempPath))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(tempPath, lastSystemMessage()));
    std::vector<char> buffer(kCopyBlock);
    for (std::int64_t pos = from; pos < size;) {
        const std::int64_t chunk = std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()), size - pos);
        readExactly(fd, buffer.data(), chunk, pos);
        if (!tail.write(QByteArrayView(buffer.data(), chunk)))
            throw EWriteError(QStringLiteral("Stream write error"));
        pos += chunk;
    }
    return tail;
}

int replaceLog(FileIO::Replacement& tail)
{
    // Nothing is flushed here, under the log's locks: the logger flushes the
    // new log once the locks are released, so the other writers never wait on
    // the disk. A process dying at any moment leaves the old or the new log,
    // whole; should the rename not reach the disk, the old log is what remains.
    const int fd = tail.commitKeepingOpen(FileIO::RenameSync::None, FileIO::FileSync::ByCaller);
    if (fd < 0) {
        const int code = SystemError::setLastFromErrno(errno);
        throw EOSError(QStringLiteral("System Error.  Code: %1.\r\n%2").arg(code).arg(SystemError::message(code)));
    }
    return fd;
}

} // namespace velta::LogFileTrimmer
