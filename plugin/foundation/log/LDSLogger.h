#pragma once
// TLDSLogger: a text log that several threads and processes of the suite append
// to at once. Each call writes one cp1251 line (time stamp, level word, tag,
// message) under a per-process lock and a system-wide named lock; the file is
// cut back to its newest part once it outgrows its size limit by a third.
// Failures never reach the caller: they go to a private error log.
#include "common/FormatSettings.h"
#include "common/SysUtils.h"
#include "common/Variant.h"
#include "plugin/foundation/log/LogTimeStamp.h"
#include "plugin/platform/NamedLock.h"

#include <QString>
#include <QVector>
#include <bitset>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace velta {

class Exception;

// The set of levels (0 to 7) a logger writes.
using TLogLevels = std::bitset<8>;

// The fixed format settings of the logger's time stamps: "dd/mm/yyyy" with a
// full stop as date separator, "hh:nn:ss.zzz", so stamps read the same on every machine.
const TFormatSettings& LogFormatSettings();

class TLDSLogger {
public:
    static constexpr int kLevelCount = 8;
    static constexpr int kOpenTimeoutMs = 200;
    static constexpr int kOpenRetrySleepMs = 10;
    static constexpr std::int64_t kDefaultMaxSize = 1048576;

    explicit TLDSLogger(const QString& fileName);
    virtual ~TLDSLogger();
    TLDSLogger(const TLDSLogger&) = delete;
    TLDSLogger& operator=(const TLDSLogger&) = delete;

    // Writes one line; does nothing for a level outside 0..7 or not in Levels.
    // Never throws.
    void Log(const QString& text, int level) noexcept;
    // Formats the text first; a format that does not fit its arguments raises
    // Exception "Error args for string [<format>]: <reason>".
    void LogFmt(const QString& format, FormatArgs args, int level);
    void LogFmt(const QString& format, const QVector<Variant>& args, int level);

    // An empty name changes nothing; a name without a folder goes next to the
    // executable. Re-opens the named lock for the new file and closes the held
    // log file.
    void SetFileName(const QString& name);
    void SetLinePrefix(const QString& text);
    // Off closes the named lock; on opens it for the current file. Either way
    // the held log file is closed.
    void SetUseProcessLock(bool flag);

    QString LogFileName() const;
    QString LinePrefix() const;
    bool UseProcessLock() const;
    bool HasFileMutex() const;

    std::int64_t MaxSize() const;
    void SetMaxSize(std::int64_t bytes); // 0 or less: no limit
    bool Enabled() const;
    void SetEnabled(bool value); // closes the held log file
    QString DateTimeFormat() const;
    void SetDateTimeFormat(const QString& format);
    bool ShowLevelName() const;
    void SetShowLevelName(bool value);
    bool IsErrorWriter() const;
    void SetIsErrorWriter(bool value);
    TLogLevels Levels() const;
    void SetLevels(TLogLevels levels);

    // The word written after the time stamp for a level (empty for level 0).
    static QString LevelName(int level);
    // The named lock's name for a log file: lower case, characters a kernel
    // object name cannot hold replaced by "_".
    static QString FileMutexName(const QString& fileName);

protected:
    // Opens the native file for appending (create: make it when missing).
    // Returns a descriptor, or -1 with the last system error set.
    virtual int OpenLogHandle(const QByteArray& nativePath, bool create);
    // Called while trimming once the tail is safely on disk in its temporary
    // file and before it replaces the log.
    virtual void BeforeTailReplacesLog(const QString& tempNativePath);

private:
    // How far one write got, named in the error report.
    struct WriteStage {
        bool created = false;
        bool opened = false;
        bool written = false;
        QString text() const;
    };

    void ComposeLine(const QByteArray& message, int level, TDateTime now);
    QString LineText(const QString& message, int level, TDateTime now) const;
    void WriteLine(const QByteArray& bytes, WriteStage& stage);
    std::int64_t HeldFileSizeIfCurrent();
    std::int64_t OpenLogFile(WriteStage& stage);
    std::int64_t AdoptLogFile(int fd);
    void CloseLogFile();
    void RetireLogFile();
    void CloseRetiredFiles();
    int OpenWithRetries(const QByteArray& nativePath, bool create);
    void TrimBySize();
    void ReportFailure(const QString& stage, const QString& line, const Exception& error) const;
    QString NativeFileName(bool refresh);
    void OpenFileMutex();

    mutable std::recursive_mutex StateLock;
    std::unique_ptr<NamedLock> FileMutex;
    QString logFileName_;
    std::int64_t maxSize_ = kDefaultMaxSize;
    bool enabled_ = true;
    QString linePrefix_;
    LogTimeStamp stamp_;
    bool showLevelName_ = true;
    bool useProcessLock_ = true;
    bool isErrorWriter_ = false;
    TLogLevels levels_ = TLogLevels().set();

    // " " + the prefix in cp1251 (empty without a prefix), and the buffer the
    // line is put together in, kept between writes.
    QByteArray prefixBytes_;
    QByteArray lineBuffer_;

    // The native path of logFileName_ (also encoded), and the environment
    // values of the root it was mapped under when the name is a Windows-style one.
    QString nativeFileName_;
    QByteArray nativeFileBytes_;
    std::string rootSource_;
    bool nativeFollowsRoot_ = false;

    // The log file stays open between lines: opening and closing it on every
    // line cost more than the rest of the write. Before each write, under both
    // locks, the path is looked up once and its device and inode compared with
    // the held descriptor's; a file deleted, renamed over (another writer's
    // trim) or replaced since is closed and the path opened anew. -1: none held.
    int logFd_ = -1;
    // The log's folder, held with the log: the per-line check looks the name
    // up in it instead of walking the whole path; the whole path is looked at
    // again at least once a second, so a folder moved away is noticed.
    int logDirFd_ = -1;
    QByteArray logBaseName_;
    std::int64_t lastPathCheckTick_ = 0;
    std::uint64_t logDevice_ = 0;
    std::uint64_t logInode_ = 0;
    // Descriptors of logs that were replaced (trimmed) or removed during the
    // current write, closed once the file lock is released: the last close of
    // an unlinked file frees its pages and blocks, which other writers need
    // not wait for.
    std::vector<int> retiredFds_;
    bool trimmedUnflushed_ = false;
};

// The private log "LDSLoggerErrorsWriter.log" in the temporary folder that
// receives every logger's write failures; made on first use, its own failures
// are dropped.
TLDSLogger& LoggerErrorsWriter();

} // namespace velta
