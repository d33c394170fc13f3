#include "plugin/platform/RawPrinter.h"

#include "common/Exception.h"
#include "plugin/platform/FileIO.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace velta {
namespace {

const char kDeviceVariable[] = "VELTA_RAW_PRINTER";
const QString kDefaultDevice = QStringLiteral("|lp -o raw");
// Bytes held back before they go to the device.
constexpr qsizetype kBufferSize = 64 * 1024;
// How long an abandoned command may take to finish after its input closes.
constexpr int kAbandonWaitMs = 30000;

[[noreturn]] void raiseSystemError(const QString& context, const QString& device, int errnoValue,
                                   const QString& nativePath)
{
    const int code = SystemError::setLastFromErrnoForPath(errnoValue, nativePath);
    throw EInOutError(context.arg(device, SystemError::message(code)));
}

} // namespace

// One kind of device: writes all bytes or raises; close raises on failure;
// abandon closes without raising (the object is going after a failure).
class RawPrinter::Device {
public:
    virtual ~Device() = default;
    virtual void writeAll(const QByteArray& bytes) = 0;
    virtual void close() = 0;
    virtual void abandon() noexcept = 0;
};

class RawPrinter::FileDevice : public RawPrinter::Device {
public:
    explicit FileDevice(const QString& path)
        : path_(path)
        , native_(Paths::isWindowsPath(path) ? Paths::toNative(path) : path)
    {
        fd_ = ::open(QFile::encodeName(native_).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0)
            raiseSystemError(QStringLiteral("Не удается открыть принтер \"%1\": %2"), path_, errno, native_);
    }
    ~FileDevice() override { abandon(); }

    void writeAll(const QByteArray& bytes) override
    {
        if (!FileIO::writeAll(fd_, bytes))
            raiseSystemError(QStringLiteral("Ошибка записи на принтер \"%1\": %2"), path_, errno, native_);
    }

    void close() override
    {
        const int fd = fd_;
        fd_ = -1;
        if (fd >= 0 && ::close(fd) != 0)
            raiseSystemError(QStringLiteral("Ошибка закрытия принтера \"%1\": %2"), path_, errno, native_);
    }

    void abandon() noexcept override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    QString path_;
    QString native_;
    int fd_ = -1;
};

class RawPrinter::CommandDevice : public RawPrinter::Device {
public:
    explicit CommandDevice(const QString& command)
        : command_(command)
    {
        if (command_.trimmed().isEmpty())
            throw EInOutError(QStringLiteral("Не задана команда принтера \"|%1\"").arg(command_));
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command_});
        if (!process_.waitForStarted(-1))
            throw EInOutError(QStringLiteral("Не удается запустить команду печати \"%1\": %2")
                                  .arg(command_, process_.errorString()));
    }
    ~CommandDevice() override { abandon(); }

    void writeAll(const QByteArray& bytes) override
    {
        if (process_.write(bytes) != bytes.size())
            failWrite();
        while (process_.bytesToWrite() > 0) {
            if (!process_.waitForBytesWritten(-1))
                failWrite();
        }
    }

    void close() override
    {
        if (process_.state() == QProcess::NotRunning && finished_)
            return;
        process_.closeWriteChannel();
        if (process_.state() != QProcess::NotRunning)
            process_.waitForFinished(-1);
        finished_ = true;
        checkExit();
    }

    void abandon() noexcept override
    {
        if (finished_)
            return;
        finished_ = true;
        process_.closeWriteChannel();
        if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(kAbandonWaitMs)) {
            process_.kill();
            process_.waitForFinished(-1);
        }
    }

private:
    // A write that fails because the command ended reports how it ended.
    [[noreturn]] void failWrite()
    {
        const QString reason = process_.errorString();
        if (process_.state() == QProcess::NotRunning) {
            finished_ = true;
            checkExit();
        }
        throw EInOutError(QStringLiteral("Ошибка записи в команду печати \"%1\": %2").arg(command_, reason));
    }

    void checkExit()
    {
        if (process_.exitStatus() != QProcess::NormalExit)
            throw EInOutError(QStringLiteral("Команда печати \"%1\" завершилась аварийно").arg(command_));
        if (process_.exitCode() != 0) {
            QString message =
                QStringLiteral("Команда печати \"%1\" завершилась с кодом %2").arg(command_).arg(process_.exitCode());
            const QString errors = QString::fromLocal8Bit(process_.readAllStandardError()).trimmed();
            if (!errors.isEmpty())
                message += QStringLiteral(": ") + errors.section(QLatin1Char('\n'), 0, 0);
            throw EInOutError(message);
        }
    }

    QString command_;
    QProcess process_;
    bool finished_ = false;
};

QString RawPrinter::configuredDevice()
{
    const QString value = qEnvironmentVariable(kDeviceVariable);
    return value.isEmpty() ? kDefaultDevice : value;
}

RawPrinter::RawPrinter()
    : RawPrinter(configuredDevice())
{
}

RawPrinter::RawPrinter(const QString& device)
{
    if (device.startsWith(QLatin1Char('|')))
        device_ = std::make_unique<CommandDevice>(device.mid(1));
    else
        device_ = std::make_unique<FileDevice>(device);
}

RawPrinter::~RawPrinter()
{
    if (!device_)
        return;
    // What was written still reaches the device; a failure can no longer be reported.
    try {
        if (!pending_.isEmpty())
            device_->writeAll(pending_);
    } catch (const Exception&) {
    }
    device_->abandon();
}

bool RawPrinter::isOpen() const
{
    return device_ != nullptr;
}

void RawPrinter::write(const QByteArray& bytes)
{
    if (!device_)
        throw EInOutError(QStringLiteral("Принтер не открыт"));
    pending_ += bytes;
    if (pending_.size() >= kBufferSize)
        flush();
}

void RawPrinter::flush()
{
    if (pending_.isEmpty())
        return;
    const QByteArray bytes = std::exchange(pending_, QByteArray());
    device_->writeAll(bytes);
}

void RawPrinter::close()
{
    if (!device_)
        return;
    // The device is gone after close, whether it succeeds or not.
    const std::unique_ptr<Device> device = std::move(device_);
    const QByteArray bytes = std::exchange(pending_, QByteArray());
    if (!bytes.isEmpty())
        device->writeAll(bytes);
    device->close();
}

} // namespace velta
