#include "plugin/foundation/log/LDSLogger.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "plugin/foundation/log/LogFileTrimmer.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/FileIO.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velta {

namespace {

// Closes a descriptor on every path unless it is released to a new owner.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

bool isBusy(int code)
{
    return code == SystemError::SharingViolation || code == SystemError::LockViolation;
}

// Tells whether the environment values the suite's root is made of (VELTA_ROOT,
// or the home folder without it) changed since seen; comparing the raw values
// costs far less than mapping the root again for every line.
bool rootSourceChanged(std::string& seen)
{
    const char* root = std::getenv("VELTA_ROOT");
    const bool fromRoot = root && *root;
    const char* value = fromRoot ? root : std::getenv("HOME");
    if (!value)
        value = "";
    // The first character tells which variable the value came from.
    const char source = fromRoot ? 'R' : 'H';
    if (!seen.empty() && seen.front() == source && std::strcmp(seen.c_str() + 1, value) == 0)
        return false;
    seen.assign(1, source);
    seen += value;
    return true;
}

} // namespace

const TFormatSettings& LogFormatSettings()
{
    static const TFormatSettings settings = [] {
        TFormatSettings s = TFormatSettings::systemDefaults();
        s.ShortDateFormat = s.LongDateFormat = QStringLiteral("dd/mm/yyyy");
        s.ShortTimeFormat = s.LongTimeFormat = QStringLiteral("hh:nn:ss.zzz");
        s.DateSeparator = QLatin1Char('.');
        s.TimeSeparator = QLatin1Char(':');
        s.DecimalSeparator = QLatin1Char('.');
        return s;
    }();
    return settings;
}

TLDSLogger::TLDSLogger(const QString& fileName)
{
    SetFileName(fileName);
}

TLDSLogger::~TLDSLogger()
{
    SetUseProcessLock(false);
    CloseRetiredFiles();
}

QString TLDSLogger::LevelName(int level)
{
    switch (level) {
    case 1: return QStringLiteral(" [инф]");
    case 2: return QStringLiteral(" [ошиб]");
    case 3: return QStringLiteral(" [сбой]");
    case 4: return QStringLiteral(" [вним]");
    case 5: return QStringLiteral(" [событ]");
    case 6: return QStringLiteral(" [отлад]");
    case 7: return QStringLiteral(" [другое]");
    default: return {};
    }
}

QString TLDSLogger::FileMutexName(const QString& fileName)
{
    static const QString forbidden = QStringLiteral("\"*/:<>?\\|");
    QString name = fileName.toLower();
    for (QChar& c : name) {
        if (forbidden.contains(c))
            c = QLatin1Char('_');
    }
    return name;
}

void TLDSLogger::SetFileName(const QString& name)
{
    std::lock_guard state(StateLock);
    if (name.isEmpty())
        return;
    const QString full = Paths::extractFilePath(name).isEmpty() ? Paths::executableFolder() + name : name;
    if ((FileMutex || !useProcessLock_) && full.compare(logFileName_, Qt::CaseInsensitive) == 0)
        return;
    FileMutex.reset();
    CloseLogFile();
    logFileName_ = full;
    nativeFileName_.clear();
    nativeFollowsRoot_ = Paths::isWindowsPath(full);
    if (useProcessLock_)
        OpenFileMutex();
}

void TLDSLogger::OpenFileMutex()
{
    FileMutex.reset();
    if (logFileName_.isEmpty())
        return;
    // The kernel's global namespace first, then the session's, as the suite's other programs do.
    const QString name = FileMutexName(logFileName_);
    auto lock = std::make_unique<NamedLock>(QStringLiteral("Global\\") + name);
    if (!lock->isValid())
        lock = std::make_unique<NamedLock>(name);
    if (lock->isValid())
        FileMutex = std::move(lock);
}

void TLDSLogger::SetLinePrefix(const QString& text)
{
    std::lock_guard state(StateLock);
    linePrefix_ = text;
    prefixBytes_ = text.isEmpty() ? QByteArray() : ' ' + codec::toCp1251(text);
}

void TLDSLogger::SetUseProcessLock(bool flag)
{
    std::lock_guard state(StateLock);
    useProcessLock_ = flag;
    CloseLogFile();
    if (!flag)
        FileMutex.reset();
    else if (!FileMutex)
        OpenFileMutex();
}

QString TLDSLogger::LogFileName() const { std::lock_guard state(StateLock); return logFileName_; }
QString TLDSLogger::LinePrefix() const { std::lock_guard state(StateLock); return linePrefix_; }
bool TLDSLogger::UseProcessLock() const { std::lock_guard state(StateLock); return useProcessLock_; }
bool TLDSLogger::HasFileMutex() const { std::lock_guard state(StateLock); return FileMutex != nullptr; }
std::int64_t TLDSLogger::MaxSize() const { std::lock_guard state(StateLock); return maxSize_; }
void TLDSLogger::SetMaxSize(std::int64_t bytes) { std::lock_guard state(StateLock); maxSize_ = bytes; }
bool TLDSLogger::Enabled() const { std::lock_guard state(StateLock); return enabled_; }
void TLDSLogger::SetEnabled(bool value)
{
    std::lock_guard state(StateLock);
    enabled_ = value;
    CloseLogFile();
}
QString TLDSLogger::DateTimeFormat() const { std::lock_guard state(StateLock); return stamp_.format(); }
void TLDSLogger::SetDateTimeFormat(const QString& format) { std::lock_guard state(StateLock); stamp_ = LogTimeStamp(format); }
bool TLDSLogger::ShowLevelName() const { std::lock_guard state(StateLock); return showLevelName_; }
void TLDSLogger::SetShowLevelName(bool value) { std::lock_guard state(StateLock); showLevelName_ = value; }
bool TLDSLogger::IsErrorWriter() const { std::lock_guard state(StateLock); return isErrorWriter_; }
void TLDSLogger::SetIsErrorWriter(bool value) { std::lock_guard state(StateLock); isErrorWriter_ = value; }
TLogLevels TLDSLogger::Levels() const { std::lock_guard state(StateLock); return levels_; }
void TLDSLogger::SetLevels(TLogLevels levels) { std::lock_guard state(StateLock); levels_ = levels; }

void TLDSLogger::LogFmt(const QString& format, FormatArgs args, int level)
{
    QString text;
    try {
        text = Format(format, args);
    } catch (const Exception& e) {
        throw Exception(QStringLiteral("Error args for string [") + format + QStringLiteral("]: ") + e.message());
    }
    Log(text, level);
}

void TLDSLogger::LogFmt(const QString& format, const QVector<Variant>& args, int level)
{
    QString text;
    try {
        text = Format(format, args, globalFormatSettings());
    } catch (const Exception& e) {
        throw Exception(QStringLiteral("Error args for string [") + format + QStringLiteral("]: ") + e.message());
    }
    Log(text, level);
}

void TLDSLogger::Log(const QString& text, int level) noexcept
{
    if (level < 0 || level >= kLevelCount)
        return;
    try {
        // The message needs no settings: it is trimmed and encoded before the
        // locks are taken, which keeps other writers' wait short.
        const QString message = Trim(text);
        const QByteArray messageBytes = codec::toCp1251(message);
        std::lock_guard state(StateLock);
        if (!enabled_ || logFileName_.isEmpty() || !levels_.test(static_cast<std::size_t>(level)))
            return;
        // Declared before the file lock, so it runs after the lock is released.
        const struct RetiredCloser {
            TLDSLogger* logger;
            ~RetiredCloser() { logger->CloseRetiredFiles(); }
        } closeRetired {this};
        NamedLockGuard fileLock(FileMutex.get());
        // The clock is read under both locks, so the lines of every writer of
        // the file stand in the order of their time stamps.
        const TDateTime now = message.isEmpty() ? 0 : Clock::current().now();
        WriteStage stage;
        try {
            ComposeLine(messageBytes, level, now);
            WriteLine(lineBuffer_, stage);
        } catch (const Exception& e) {
            if (!isErrorWriter_)
                ReportFailure(stage.text(), LineText(message, level, now), e);
        }
    } catch (...) {
        // Logging must never take the caller down; anything outside the
        // exception family (out of memory, a failing lock) is dropped.
    }
}

QString TLDSLogger::WriteStage::text() const
{
    QString result = created ? QStringLiteral("fmCreate") : QStringLiteral("fmOpenReadWrite");
    if (opened)
        result += QStringLiteral("-OK");
    if (written)
        result += QStringLiteral(";ProcessFile...");
    return result;
}

void TLDSLogger::ComposeLine(const QByteArray& message, int level, TDateTime now)
{
    // Cp1251 bytes of the level words, made once.
    static const QByteArray levelWords[kLevelCount] = {
        {}, codec::toCp1251(LevelName(1)), codec::toCp1251(LevelName(2)), codec::toCp1251(LevelName(3)),
        codec::toCp1251(LevelName(4)), codec::toCp1251(LevelName(5)), codec::toCp1251(LevelName(6)),
        codec::toCp1251(LevelName(7))};
    lineBuffer_.resize(0); // keeps the buffer's memory for the next line
    if (!message.isEmpty()) {
        stamp_.appendTo(lineBuffer_, now);
        if (showLevelName_)
            lineBuffer_ += levelWords[level];
        lineBuffer_ += prefixBytes_;
        lineBuffer_ += ' ';
        lineBuffer_ += message;
    }
    lineBuffer_ += "\r\n";
}

QString TLDSLogger::LineText(const QString& message, int level, TDateTime now) const
{
    if (message.isEmpty())
        return {};
    QString line = stamp_.text(now);
    if (showLevelName_)
        line += LevelName(level);
    if (!linePrefix_.isEmpty()) {
        line += QLatin1Char(' ');
        line += linePrefix_;
    }
    line += QLatin1Char(' ');
    line += message;
    return line;
}

QString TLDSLogger::NativeFileName(bool refresh)
{
    // Mapping a Windows-style name looks at the folders on disk, so it is done
    // once per name and root, and again only when the file has to be created.
    // A native name does not depend on the root.
    const bool rootMoved = nativeFollowsRoot_ && rootSourceChanged(rootSource_);
    if (refresh || nativeFileName_.isEmpty() || rootMoved) {
        nativeFileName_ = Paths::toNative(logFileName_);
        QByteArray bytes = QFile::encodeName(nativeFileName_);
        if (bytes != nativeFileBytes_) {
            CloseLogFile();
            nativeFileBytes_ = std::move(bytes);
        }
    }
    return nativeFileName_;
}

int TLDSLogger::OpenLogHandle(const QByteArray& nativePath, bool create)
{
    const int flags = O_RDWR | O_APPEND | O_CLOEXEC | (create ? O_CREAT : 0);
    const int fd = ::open(nativePath.constData(), flags, 0666);
    if (fd < 0)
        SystemError::setLastFromErrno(errno);
    return fd;
}

void TLDSLogger::BeforeTailReplacesLog(const QString&) {}

int TLDSLogger::OpenWithRetries(const QByteArray& path, bool create)
{
    Clock& clock = Clock::current();
    const std::int64_t deadline = clock.tickCount() + kOpenTimeoutMs;
    for (;;) {
        const int fd = OpenLogHandle(path, create);
        if (fd >= 0)
            return fd;
        const int code = SystemError::last();
        if (!isBusy(code))
            return -1;
        if (clock.tickCount() > deadline) {
            throw Exception(QStringLiteral("Log file open timeout: %1 ms (%2)")
                                .arg(kOpenTimeoutMs)
                                .arg(SystemError::message(code)));
        }
        clock.sleep(kOpenRetrySleepMs);
    }
}

void TLDSLogger::WriteLine(const QByteArray& bytes, WriteStage& stage)
{
    NativeFileName(false);
    try {
        std::int64_t size = HeldFileSizeIfCurrent();
        if (size < 0)
            size = OpenLogFile(stage);
        stage.opened = true;

        if (!FileIO::writeAll(logFd_, bytes))
            throw EWriteError(QStringLiteral("Stream write error"));
        stage.written = true;

        // The size seen before the write plus the line is the file's size while
        // every writer holds the locks; it only decides whether to look closer.
        if (maxSize_ > 0 && size + bytes.size() > maxSize_ + maxSize_ / 3)
            TrimBySize();
    } catch (...) {
        // Nothing is assumed about a descriptor a write failed on: the next
        // line opens the path again.
        CloseLogFile();
        throw;
    }
}

// How often the held log is checked against its whole path (milliseconds).
constexpr std::int64_t kPathRecheckMs = 1000;

std::int64_t TLDSLogger::HeldFileSizeIfCurrent()
{
    if (logFd_ < 0)
        return -1;
    struct stat st {};
    const std::int64_t now = Clock::current().tickCount();
    const bool wholePath = logDirFd_ < 0 || now - lastPathCheckTick_ >= kPathRecheckMs || now < lastPathCheckTick_;
    if (wholePath)
        lastPathCheckTick_ = now;
    const int found = wholePath ? ::stat(nativeFileBytes_.constData(), &st)
                                : ::fstatat(logDirFd_, logBaseName_.constData(), &st, 0);
    if (found == 0 && static_cast<std::uint64_t>(st.st_dev) == logDevice_
        && static_cast<std::uint64_t>(st.st_ino) == logInode_)
        return st.st_size;
    // Gone, or another file at the path: the held one is no longer the log.
    RetireLogFile();
    return -1;
}

std::int64_t TLDSLogger::OpenLogFile(WriteStage& stage)
{
    int fd = OpenWithRetries(nativeFileBytes_, false);
    if (fd < 0) {
        const int code = SystemError::last();
        if (code != SystemError::FileNotFound && code != SystemError::PathNotFound) {
            throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(logFileName_, SystemError::message(code)));
        }
        stage.created = true;
        NativeFileName(true);
        Paths::forceDirectories(Paths::extractFilePath(nativeFileName_));
        fd = OpenWithRetries(nativeFileBytes_, true);
        if (fd < 0) {
            throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2")
                                    .arg(logFileName_, SystemError::message(SystemError::last())));
        }
    }
    return AdoptLogFile(fd);
}

std::int64_t TLDSLogger::AdoptLogFile(int fd)
{
    FileHandle file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw EReadError(QStringLiteral("Stream read error"));
    RetireLogFile();
    logFd_ = file.release();
    logDevice_ = static_cast<std::uint64_t>(st.st_dev);
    logInode_ = static_cast<std::uint64_t>(st.st_ino);
    const qsizetype slash = nativeFileBytes_.lastIndexOf('/');
    if (slash >= 0) {
        const QByteArray folder = slash == 0 ? QByteArray("/") : nativeFileBytes_.left(slash);
        logDirFd_ = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        logBaseName_ = nativeFileBytes_.mid(slash + 1);
    }
    return st.st_size;
}

void TLDSLogger::CloseLogFile()
{
    if (logFd_ >= 0)
        ::close(logFd_);
    logFd_ = -1;
    if (logDirFd_ >= 0)
        ::close(logDirFd_);
    logDirFd_ = -1;
}

void TLDSLogger::RetireLogFile()
{
    if (logFd_ >= 0)
        retiredFds_.push_back(logFd_);
    logFd_ = -1;
    CloseLogFile();
}

void TLDSLogger::CloseRetiredFiles()
{
    // A trim leaves the new log to be flushed here, after the file lock.
    if (trimmedUnflushed_ && logFd_ >= 0)
        ::fdatasync(logFd_);
    trimmedUnflushed_ = false;
    for (const int fd : retiredFds_)
        ::close(fd);
    retiredFds_.clear();
}

void TLDSLogger::TrimBySize()
{
    // The file's own size, in case a program outside the locks changed it.
    struct stat st {};
    if (::fstat(logFd_, &st) != 0)
        throw EReadError(QStringLiteral("Stream read error"));
    const std::int64_t size = st.st_size;
    if (size <= maxSize_ + maxSize_ / 3 || size <= maxSize_ + 255)
        return;
    const std::int64_t start = LogFileTrimmer::findTailStart(logFd_, size, maxSize_);
    // The tail goes to a file of its own beside the log and replaces the log in
    // one rename, so a process dying here leaves either the old or the new log.
    const QString tempPath = nativeFileName_ + QStringLiteral("_%1_%2").arg(::getpid()).arg(::gettid());
    FileIO::Replacement tail = LogFileTrimmer::writeTail(logFd_, start, size, nativeFileName_, tempPath);
    BeforeTailReplacesLog(tempPath); // should it throw, the dropped tail removes its file
    // The tail's file is the log now: the next lines go on through it.
    AdoptLogFile(LogFileTrimmer::replaceLog(tail));
    trimmedUnflushed_ = true;
}

void TLDSLogger::ReportFailure(const QString& stage, const QString& line, const Exception& error) const
{
    try {
        const QString message = Format(
            QStringLiteral("Ошибка при попытке записи (%0:s) в лог \"%1:s\" строки [%2:s]: %3:s <%4:s>"),
            {Variant(stage), Variant(logFileName_), Variant(Trim(line)), Variant(error.message()),
             Variant(error.className())});
        LoggerErrorsWriter().Log(message, 0);
    } catch (...) {
        // The report of a failure must not become a failure of its own.
    }
}

TLDSLogger& LoggerErrorsWriter()
{
    static const std::unique_ptr<TLDSLogger> writer = [] {
        auto logger = std::make_unique<TLDSLogger>(Paths::tempFolder() + QStringLiteral("LDSLoggerErrorsWriter.log"));
        logger->SetIsErrorWriter(true);
        return logger;
    }();
    return *writer;
}

} // namespace velta
