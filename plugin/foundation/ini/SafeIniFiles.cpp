#include "plugin/foundation/ini/SafeIniFiles.h"

#include "common/Codecs.h"
#include "common/Hex.h"
#include "common/SysUtils.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/NamedLock.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <bit>
#include <exception>
#include <vector>

namespace velta {

namespace {

const QString kLockPrefix = QStringLiteral("ini file lock mutex");
const QString kLineBreakMarker = QStringLiteral("<@\\n@>");
const QString kCountSuffix = QStringLiteral("__$Count");
const QString kHashSuffix = QStringLiteral("__$Hash");
const QString kLineSuffix = QStringLiteral("__$Line");
constexpr int kNoCount = -65535;
// Above this many continuation lines the stored count is taken as damaged:
// only the continuation keys really present are visited.
constexpr int kPlausibleCount = 4096;

QString sectionMissingMessage(const QString& fileName)
{
    return QStringLiteral("Не указано название секции. Имя файла: %1").arg(fileName);
}

QString identMissingMessage(const QString& fileName)
{
    return QStringLiteral("Не указано название переменной. Имя файла: %1").arg(fileName);
}

QString flushFailedMessage(const QString& fileName)
{
    return QStringLiteral("Не удалось записать изменения в файл %1").arg(fileName);
}

bool needsQuotes(const QString& piece)
{
    if (piece.isEmpty())
        return false;
    const auto special = [](QChar c) { return c.unicode() < 33 || c == u'"'; };
    return special(piece.front()) || special(piece.back());
}

// The path the lock is named after. The same file is often named in two ways
// on this platform: "C:\WINDOWS\cnf.ini" and its native path under
// $VELTA_ROOT; both must take one lock, so native paths under the root are
// named in the Windows way. A bare file name lies in the Windows folder.
QString lockPathOf(const QString& fileName)
{
    if (Paths::isWindowsPath(fileName))
        return fileName;
    if (!fileName.contains(u'/') && !fileName.contains(u'\\'))
        return Paths::windowsFolder() + fileName;
    const QString absolute = QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
    const QString root = QDir::cleanPath(Paths::root());
    for (const QChar drive : {QChar(u'C'), QChar(u'S')}) {
        const QString prefix = root + u'/' + drive + u'/';
        if (absolute.startsWith(prefix))
            return drive + QStringLiteral(":\\") + absolute.mid(prefix.size()).replace(u'/', u'\\');
    }
    return absolute;
}

[[noreturn]] void raiseWithContext(const Exception& e, const QString& context)
{
    WrapException(e, context)->raise();
    std::terminate(); // raise() always throws
}

// Runs one operation of the class and wraps any failure with its context.
template <class Body>
auto withContext(const char* context, Body&& body) -> decltype(body())
{
    try {
        return body();
    } catch (const Exception& e) {
        raiseWithContext(e, QString::fromLatin1(context));
    }
}

// A typed read: an empty text or one that does not convert gives the default.
template <class T, class Convert>
T convertOrDefault(const QString& text, T def, Convert convert)
{
    if (text.isEmpty())
        return def;
    try {
        return convert(text, IniFormatSettings());
    } catch (const EConvertError&) {
        return def;
    }
}

} // namespace

const TFormatSettings& IniFormatSettings()
{
    static const TFormatSettings settings = [] {
        TFormatSettings s = TFormatSettings::systemDefaults();
        s.ShortDateFormat = QStringLiteral("dd.mm.yyyy");
        s.LongDateFormat = QStringLiteral("dd.mm.yyyy");
        s.ShortTimeFormat = QStringLiteral("hh:nn:ss.zzzz");
        s.LongTimeFormat = QStringLiteral("hh:nn:ss.zzzz");
        s.DateSeparator = u'.';
        s.TimeSeparator = u':';
        s.DecimalSeparator = u'.';
        return s;
    }();
    return settings;
}

qint32 MultiLineHashBytes(QByteArrayView bytes)
{
    quint32 h = 0;
    for (const char c : bytes) {
        h += static_cast<unsigned char>(c);
        h -= std::rotl(h, 13);
    }
    return static_cast<qint32>(h);
}

qint32 MultiLineHash(const QString& text)
{
    return MultiLineHashBytes(codec::toCp1251(text));
}

std::unique_ptr<Exception> WrapException(const Exception& e, const QString& context)
{
    return e.withMessage(context + QStringLiteral(" -> ") + e.message());
}

TSafeIniFile::TSafeIniFile(const QString& fileName)
    : TIniFile(fileName)
{
    const QString name = LockName(fileName);
    auto lock = std::make_unique<NamedLock>(QStringLiteral("Global\\") + name);
    if (!lock->isValid())
        lock = std::make_unique<NamedLock>(name);
    if (lock->isValid())
        LockMutex = std::move(lock);
}

TSafeIniFile::~TSafeIniFile() = default;

QString TSafeIniFile::LockName(const QString& fileName)
{
    QString name = kLockPrefix + lockPathOf(fileName).toLower();
    while (name.contains(QStringLiteral("\\\\")))
        name.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    static const QString forbidden = QStringLiteral("\"*/:<>?\\|");
    for (QChar& c : name) {
        if (forbidden.contains(c))
            c = u'_';
    }
    return name;
}

QStringList TSafeIniFile::SplitIntoPieces(const QString& value)
{
    QStringList pieces;
    QString current;
    current.reserve(std::min<qsizetype>(value.size() + 16, MaxPieceLength));
    const auto append = [&](QStringView text) {
        if (current.size() + text.size() > MaxPieceLength) {
            pieces << current;
            current.clear();
        }
        current += text;
    };
    for (const QChar c : value) {
        if (c == u'\r')
            continue;
        if (c == u'\n')
            append(kLineBreakMarker);
        else
            append(QStringView(&c, 1));
    }
    if (!current.isEmpty())
        pieces << current;
    return pieces;
}

void TSafeIniFile::CheckNames(const QString& Section, const QString* Ident) const
{
    if (Section.isEmpty())
        throw EIniFileException(sectionMissingMessage(FileName()));
    if (Ident && Ident->isEmpty())
        throw EIniFileException(identMissingMessage(FileName()));
}

QString TSafeIniFile::RawRead(const QString& Section, const QString& Ident, const QString& Default,
                              qint32* hash) const
{
    QString raw = ReadProfileString(Section, Ident, Default, kProfileBufferSize);
    if (hash)
        *hash = MultiLineHash(raw);
    if (raw.contains(kLineBreakMarker))
        raw.replace(kLineBreakMarker, QStringLiteral("\r\n"));
    return raw;
}

namespace {

// The continuation line numbers 2..count worth visiting, ascending: all of them
// for a plausible count; for a damaged, huge count only those present in the
// section (reading or deleting absent keys changes nothing).
std::vector<int> continuationNumbers(const QStringList& sectionKeys, const QString& ident, int count)
{
    std::vector<int> numbers;
    if (count <= kPlausibleCount) {
        for (int n = 2; n <= count; ++n)
            numbers.push_back(n);
        return numbers;
    }
    const QString prefix = ident + kLineSuffix;
    for (const QString& key : sectionKeys) {
        if (!key.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        const QString digits = key.mid(prefix.size());
        bool ok = false;
        const int n = digits.toInt(&ok);
        if (ok && n >= 2 && n <= count && QString::number(n) == digits)
            numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

} // namespace

QString TSafeIniFile::ReadString(const QString& Section, const QString& Ident, const QString& Default)
{
    return withContext("TSafeIniFile.ReadString", [&] {
        CheckNames(Section, &Ident);
        NamedLockGuard guard(LockMutex.get());
        if (SingleLineMode)
            return RawRead(Section, Ident, Default, nullptr);
        const int count = StrToIntDef(RawRead(Section, Ident + kCountSuffix, QString(), nullptr), kNoCount);
        qint32 hash = 0;
        QString result = RawRead(Section, Ident, Default, count > 1 ? &hash : nullptr);
        if (count > 1) {
            int stored = 0;
            const bool hashMatches =
                TryStrToInt(RawRead(Section, Ident + kHashSuffix, QString(), nullptr), stored) && stored == hash;
            if (hashMatches || !VerifyMultiLineHash) {
                QStringList keys;
                if (count > kPlausibleCount)
                    TIniFile::ReadSection(Section, keys);
                for (const int n : continuationNumbers(keys, Ident, count))
                    result += RawRead(Section, Ident + kLineSuffix + QString::number(n), QString(), nullptr);
            }
        }
        return result;
    });
}

void TSafeIniFile::DeleteContinuationKeys(const QString& Section, const QString& Ident)
{
    // The old count is read through ReadString (under the lock, which is re-entrant).
    const int count = ReadInteger(Section, Ident + kCountSuffix, kNoCount);
    if (count == kNoCount)
        return;
    TIniFile::DeleteKey(Section, Ident + kCountSuffix);
    TIniFile::DeleteKey(Section, Ident + kHashSuffix);
    QStringList keys;
    if (count > kPlausibleCount)
        TIniFile::ReadSection(Section, keys);
    const std::vector<int> numbers = continuationNumbers(keys, Ident, count);
    for (auto it = numbers.rbegin(); it != numbers.rend(); ++it)
        TIniFile::DeleteKey(Section, Ident + kLineSuffix + QString::number(*it));
}

namespace {

// Failures a retry cannot mend: a missing folder, a value too long, a full disk, a bad name.
bool retryCannotHelp(int code)
{
    return code == SystemError::PathNotFound || code == SystemError::BufferOverflow
        || code == SystemError::DiskFull || code == SystemError::InvalidName;
}

// Runs a write (which raises on failure) until it succeeds, sleeping 20 ms
// between tries for WriteRetryTimeoutMs; the final failure is raised with the
// system's message for the last error as its context.
template <class Attempt>
void retried(Attempt&& attempt)
{
    Clock& clock = Clock::current();
    const std::int64_t deadline = clock.tickCount() + TSafeIniFile::WriteRetryTimeoutMs;
    for (;;) {
        try {
            attempt();
            return;
        } catch (const Exception& e) {
            const int code = SystemError::last();
            if (retryCannotHelp(code) || clock.tickCount() > deadline)
                WrapException(e, SystemError::message(code))->raise();
            clock.sleep(20);
        }
    }
}

} // namespace

void TSafeIniFile::RetriedWrite(const QString& Section, const QString& Ident, const QString& Value)
{
    retried([&] { TIniFile::WriteString(Section, Ident, Value); });
}

void TSafeIniFile::RetriedCommit(IniFileStore::DeferredWrites& writes)
{
    retried([&] {
        if (!writes.commit())
            RaiseWriteError();
    });
}

void TSafeIniFile::RetriedFlush()
{
    retried([&] {
        if (!FlushProfile())
            throw EIniFileException(flushFailedMessage(FileName()));
    });
}

void TSafeIniFile::FlushIfWanted()
{
    if (FlushAfterWrite)
        RetriedFlush();
}

void TSafeIniFile::WriteString(const QString& Section, const QString& Ident, const QString& Value)
{
    withContext("TSafeIniFile.WriteString", [&] {
        CheckNames(Section, &Ident);
        QStringList pieces = SplitIntoPieces(Value);
        if (SingleLineMode && pieces.size() > 1)
            pieces.resize(1);
        const qint32 hash = pieces.isEmpty() ? 0 : MultiLineHash(pieces.front());
        for (QString& piece : pieces) {
            if (needsQuotes(piece))
                piece = u'"' + piece + u'"';
        }
        NamedLockGuard guard(LockMutex.get());
        // All keys of the value reach the disk in one atomic replacement.
        IniFileStore::DeferredWrites writes(FileName());
        if (!SingleLineMode)
            DeleteContinuationKeys(Section, Ident);
        RetriedWrite(Section, Ident, pieces.isEmpty() ? QString() : pieces.front());
        if (pieces.size() >= 2) {
            RetriedWrite(Section, Ident + kCountSuffix, QString::number(pieces.size()));
            RetriedWrite(Section, Ident + kHashSuffix, QString::number(hash));
            for (qsizetype i = 1; i < pieces.size(); ++i)
                RetriedWrite(Section, Ident + kLineSuffix + QString::number(i + 1), pieces[i]);
        }
        RetriedCommit(writes);
        FlushIfWanted();
    });
}

TDateTime TSafeIniFile::ReadDate(const QString& Section, const QString& Name, TDateTime Default)
{
    return withContext("TSafeIniFile.ReadDate", [&] {
        return convertOrDefault(ReadString(Section, Name, QString()), Default,
                                [](const QString& t, const TFormatSettings& s) { return StrToDate(t, s); });
    });
}

TDateTime TSafeIniFile::ReadDateTime(const QString& Section, const QString& Name, TDateTime Default)
{
    return withContext("TSafeIniFile.ReadDateTime", [&] {
        return convertOrDefault(ReadString(Section, Name, QString()), Default,
                                [](const QString& t, const TFormatSettings& s) { return StrToDateTime(t, s); });
    });
}

double TSafeIniFile::ReadFloat(const QString& Section, const QString& Name, double Default)
{
    return withContext("TSafeIniFile.ReadFloat", [&] {
        return convertOrDefault(ReadString(Section, Name, QString()), Default,
                                [](const QString& t, const TFormatSettings& s) { return StrToFloat(t, s); });
    });
}

TDateTime TSafeIniFile::ReadTime(const QString& Section, const QString& Name, TDateTime Default)
{
    return withContext("TSafeIniFile.ReadTime", [&] {
        return convertOrDefault(ReadString(Section, Name, QString()), Default,
                                [](const QString& t, const TFormatSettings& s) { return StrToTime(t, s); });
    });
}

void TSafeIniFile::WriteDate(const QString& Section, const QString& Name, TDateTime Value)
{
    withContext("TSafeIniFile.WriteDate",
                [&] { WriteString(Section, Name, DateToStr(Value, IniFormatSettings())); });
}

void TSafeIniFile::WriteDateTime(const QString& Section, const QString& Name, TDateTime Value)
{
    withContext("TSafeIniFile.WriteDateTime",
                [&] { WriteString(Section, Name, DateTimeToStr(Value, IniFormatSettings())); });
}

void TSafeIniFile::WriteFloat(const QString& Section, const QString& Name, double Value)
{
    withContext("TSafeIniFile.WriteFloat",
                [&] { WriteString(Section, Name, FloatToStr(Value, IniFormatSettings())); });
}

void TSafeIniFile::WriteTime(const QString& Section, const QString& Name, TDateTime Value)
{
    withContext("TSafeIniFile.WriteTime",
                [&] { WriteString(Section, Name, TimeToStr(Value, IniFormatSettings())); });
}

void TSafeIniFile::ReadSection(const QString& Section, QStringList& Strings)
{
    withContext("TSafeIniFile.ReadSection", [&] {
        CheckNames(Section, nullptr);
        NamedLockGuard guard(LockMutex.get());
        TIniFile::ReadSection(Section, Strings);
    });
}

void TSafeIniFile::ReadSections(QStringList& Strings)
{
    NamedLockGuard guard(LockMutex.get());
    TIniFile::ReadSections(Strings);
}

void TSafeIniFile::ReadSectionValues(const QString& Section, QStringList& Strings)
{
    withContext("TSafeIniFile.ReadSectionValues", [&] {
        CheckNames(Section, nullptr);
        NamedLockGuard guard(LockMutex.get());
        TIniFile::ReadSectionValues(Section, Strings);
    });
}

void TSafeIniFile::EraseSection(const QString& Section)
{
    withContext("TSafeIniFile.EraseSection", [&] {
        CheckNames(Section, nullptr);
        NamedLockGuard guard(LockMutex.get());
        TIniFile::EraseSection(Section);
        FlushIfWanted();
    });
}

void TSafeIniFile::DeleteKey(const QString& Section, const QString& Ident)
{
    withContext("TSafeIniFile.DeleteKey", [&] {
        CheckNames(Section, &Ident);
        NamedLockGuard guard(LockMutex.get());
        IniFileStore::DeferredWrites writes(FileName());
        if (!SingleLineMode)
            DeleteContinuationKeys(Section, Ident);
        TIniFile::DeleteKey(Section, Ident);
        RetriedCommit(writes);
        FlushIfWanted();
    });
}

void TSafeIniFile::Atomically(const std::function<void()>& Body)
{
    NamedLockGuard guard(LockMutex.get());
    IniFileStore::DeferredWrites writes(FileName());
    Body();
    // A failure of the one write that carries Body's changes is a failed WriteString.
    withContext("TSafeIniFile.WriteString", [&] {
        RetriedCommit(writes);
        FlushIfWanted();
    });
}

void TSafeIniFile::UpdateFile()
{
    NamedLockGuard guard(LockMutex.get());
    TIniFile::UpdateFile();
}

QString TSafeIniFile::ReadQuotedString(const QString& Section, const QString& Ident, const QString& Default,
                                       QChar Quote)
{
    return withContext("TSafeIniFile.ReadQuotedString", [&] {
        const QChar quote = Quote.isNull() ? QChar(u'"') : Quote;
        QString result = ReadString(Section, Ident, Default);
        if (!result.isEmpty() && result.front() == quote && result.back() == quote)
            result = result.size() < 2 ? QString() : result.mid(1, result.size() - 2);
        return result;
    });
}

QString TSafeIniFile::ReadHexString(const QString& Section, const QString& Ident, const QString& Default)
{
    return withContext("TSafeIniFile.ReadHexString",
                       [&] { return HexDecode(ReadString(Section, Ident, HexEncode(Default))); });
}

void TSafeIniFile::WriteHexString(const QString& Section, const QString& Ident, const QString& Value)
{
    withContext("TSafeIniFile.WriteHexString", [&] { WriteString(Section, Ident, HexEncode(Value)); });
}

} // namespace velta
