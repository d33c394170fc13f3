#pragma once
// TLDSLogger: a text log that several threads and processes of the suite append
// to at once. Each call writes one cp1251 line (time stamp, level word, tag,
// message) under a per-process lock and a system-wide named lock; the file is
// cut back to its newest part once it outgrows its size limit by a third.
// Failures never reach the caller: they go to a private error log.
#include "common/FormatSettings.h"
#include "common/SysUtils.h"
#include "common/Variant.h"
#include "plugin/platform/NamedLock.h"

#include <QString>
#include <QVector>
#include <bitset>
#include <cstdint>
#include <memory>
#include <mutex>

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
    // executable. Re-opens the named lock for the new file.
    void SetFileName(const QString& name);
    void SetLinePrefix(const QString& text);
    // Off closes the named lock; on opens it for the current file.
    void SetUseProcessLock(bool flag);

    QString LogFileName() const;
    QString LinePrefix() const;
    bool UseProcessLock() const;
    bool HasFileMutex() const;

    std::int64_t MaxSize() const;
    void SetMaxSize(std::int64_t bytes); // 0 or less: no limit
    bool Enabled() const;
    void SetEnabled(bool value);
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
    QString BuildLine(const QString& text, int level) const;
    void WriteLine(const QString& line, QString& stage);
    int OpenWithRetries(const QByteArray& nativePath, bool create);
    void TrimBySize(int fd, std::int64_t size, const QString& nativePath);
    void ReportFailure(const QString& stage, const QString& line, const Exception& error) const;
    QString NativeFileName(bool refresh);
    void OpenFileMutex();

    mutable std::recursive_mutex StateLock;
    std::unique_ptr<NamedLock> FileMutex;
    QString logFileName_;
    std::int64_t maxSize_ = kDefaultMaxSize;
    bool enabled_ = true;
    QString linePrefix_;
    QString dateTimeFormat_ = QStringLiteral("dd/mm/yyyy hh:nn:ss.zzz");
    bool showLevelName_ = true;
    bool useProcessLock_ = true;
    bool isErrorWriter_ = false;
    TLogLevels levels_ = TLogLevels().set();

    // The native path of logFileName_ (also encoded), and the root it was mapped under.
    QString nativeFileName_;
    QByteArray nativeFileBytes_;
    QString nativeRoot_;
};

// The private log "LDSLoggerErrorsWriter.log" in the temporary folder that
// receives every logger's write failures; made on first use, its own failures
// are dropped.
TLDSLogger& LoggerErrorsWriter();

} // namespace velta
