#pragma once
// TSafeIniFile: the INI file through which the plug-in reads and writes shared
// files such as cnf.ini. On top of TIniFile it adds a system-wide lock per file
// path held around every access, values of any length and with line breaks
// stored across several keys, bounded retries of failed writes, and error
// messages that name the operation. Objects are short-lived and used by one
// thread at a time.
// Also the unit's helpers: fixed format settings for the file's texts, the hash
// of multi-line values and WrapException. Hex strings use common/Hex.h.
#include "common/Exception.h"
#include "common/FormatSettings.h"
#include "plugin/foundation/ini/IniFileStore.h"
#include "plugin/foundation/ini/IniFiles.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <functional>
#include <memory>

namespace velta {

class NamedLock;

// Dates "dd.mm.yyyy", times "hh:nn:ss.zzzz" (three-digit milliseconds), the
// decimal point "." whatever the machine's regional settings.
const TFormatSettings& IniFormatSettings();

// The hash stored with a multi-line value, on the cp1251 bytes of the text.
qint32 MultiLineHash(const QString& text);
qint32 MultiLineHashBytes(QByteArrayView bytes);

// A new exception of e's class whose message is context + " -> " + e's message.
std::unique_ptr<Exception> WrapException(const Exception& e, const QString& context);

class TSafeIniFile : public TIniFile {
public:
    static constexpr int WriteRetryTimeoutMs = 1000;
    static constexpr bool VerifyMultiLineHash = true;
    static constexpr bool DefaultSingleLineMode = false;
    // The longest piece of a value stored under one key.
    static constexpr int MaxPieceLength = 65532;

    explicit TSafeIniFile(const QString& fileName);
    ~TSafeIniFile() override;

    using TIniFile::ReadSections;

    QString ReadString(const QString& Section, const QString& Ident, const QString& Default) override;
    void WriteString(const QString& Section, const QString& Ident, const QString& Value) override;
    TDateTime ReadDate(const QString& Section, const QString& Name, TDateTime Default) override;
    TDateTime ReadDateTime(const QString& Section, const QString& Name, TDateTime Default) override;
    double ReadFloat(const QString& Section, const QString& Name, double Default) override;
    TDateTime ReadTime(const QString& Section, const QString& Name, TDateTime Default) override;
    void WriteDate(const QString& Section, const QString& Name, TDateTime Value) override;
    void WriteDateTime(const QString& Section, const QString& Name, TDateTime Value) override;
    void WriteFloat(const QString& Section, const QString& Name, double Value) override;
    void WriteTime(const QString& Section, const QString& Name, TDateTime Value) override;
    void ReadSection(const QString& Section, QStringList& Strings) override;
    void ReadSections(QStringList& Strings) override;
    void ReadSectionValues(const QString& Section, QStringList& Strings) override;
    void EraseSection(const QString& Section) override;
    void DeleteKey(const QString& Section, const QString& Ident) override;
    void UpdateFile() override;

    // ReadString; when the result starts and ends with Quote (QChar(0): the
    // double quote), those two characters are removed.
    QString ReadQuotedString(const QString& Section, const QString& Ident, const QString& Default,
                             QChar Quote = QChar(0));
    QString ReadHexString(const QString& Section, const QString& Ident, const QString& Default);
    void WriteHexString(const QString& Section, const QString& Ident, const QString& Value);

    // Runs Body under one hold of the file's lock. The changes Body makes to
    // this file (through any TSafeIniFile of this thread) are kept in memory,
    // where its reads see them, and reach the disk together in one atomic
    // replacement when Body returns, retried as a write is; when Body raises,
    // none is written. So other programs see all of them or none, and Body
    // sees no other program's change midway.
    void Atomically(const std::function<void()>& Body);

    // The lock name for a file name: the prefix and the lower-cased name, with
    // doubled backslashes collapsed and characters a kernel object name cannot
    // hold replaced by "_".
    static QString LockName(const QString& fileName);
    // The cut of a value into stored pieces (line feeds as the marker, carriage
    // returns dropped), before quoting.
    static QStringList SplitIntoPieces(const QString& value);
    // Whether the lock could be made (without it the object works unlocked).
    bool HasLock() const { return LockMutex != nullptr; }

    bool FlushAfterWrite = false;
    bool SingleLineMode = DefaultSingleLineMode;

private:
    std::unique_ptr<NamedLock> LockMutex;

    void CheckNames(const QString& Section, const QString* Ident) const;
    QString RawRead(const QString& Section, const QString& Ident, const QString& Default, qint32* hash) const;
    void DeleteContinuationKeys(const QString& Section, const QString& Ident);
    void RetriedWrite(const QString& Section, const QString& Ident, const QString& Value);
    void RetriedCommit(IniFileStore::DeferredWrites& writes);
    void RetriedFlush();
    void FlushIfWanted();
};

} // namespace velta
