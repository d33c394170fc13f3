#pragma once
// Helpers shared by the logger tests: a fixed moment, reading a log back, and
// the private error log's text.
#include "common/Codecs.h"
#include "common/DateTime.h"
#include "plugin/platform/Paths.h"
#include "tests/support/TestEnv.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

namespace velta::test {

// 06.12.2026 14:30:15.123
inline TDateTime fixedMoment()
{
    return EncodeDateTime(2026, 12, 6, 14, 30, 15, 123);
}

// The lines of a log file without their CR LF ends; a file that does not end
// in CR LF yields a last element with the unterminated rest.
inline QStringList logLines(const QString& path)
{
    QStringList lines = codec::fromCp1251(readFileBytes(path)).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

inline QString errorLogPath()
{
    return Paths::toNative(Paths::tempFolder() + QStringLiteral("LDSLoggerErrorsWriter.log"));
}

inline QString errorLogText()
{
    return codec::fromCp1251(readFileBytes(errorLogPath()));
}

// Bytes of whole CR LF lines of the given length (the first line absorbs the
// remainder) adding up to exactly total bytes.
inline QByteArray filledLines(qsizetype total, qsizetype lineLength)
{
    QByteArray out;
    out.reserve(total);
    const qsizetype first = lineLength + total % lineLength;
    out.append(first - 2, 'f');
    out.append("\r\n");
    while (out.size() < total) {
        out.append(lineLength - 2, 'x');
        out.append("\r\n");
    }
    return out;
}

inline QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace velta::test
