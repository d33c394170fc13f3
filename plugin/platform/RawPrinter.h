#pragma once
// RawPrinter: the raw printer device "prn". The device is named by the
// environment variable VELTA_RAW_PRINTER: a value starting with "|" is a shell
// command the bytes are piped to (unset: "|lp -o raw"); any other value is a
// file or device path, opened for writing and truncated. Failures to open,
// write or close raise EInOutError; the device is closed when the object goes.
#include <QByteArray>
#include <QString>
#include <memory>

namespace velta {

class RawPrinter {
public:
    // The device of VELTA_RAW_PRINTER (or the default command).
    RawPrinter();
    // The device given as VELTA_RAW_PRINTER would give it: "|command" or a path.
    explicit RawPrinter(const QString& device);
    ~RawPrinter();
    RawPrinter(const RawPrinter&) = delete;
    RawPrinter& operator=(const RawPrinter&) = delete;

    // The device named by the environment, or "|lp -o raw".
    static QString configuredDevice();

    // Bytes reach the device in order; they may be held back until close().
    void write(const QByteArray& bytes);
    // Flushes and closes; for a command, waits for it and fails unless it
    // exits with code 0. A second call does nothing.
    void close();
    bool isOpen() const;

private:
    class Device;
    class FileDevice;
    class CommandDevice;
    void flush();

    std::unique_ptr<Device> device_;
    QByteArray pending_;
};

} // namespace velta
