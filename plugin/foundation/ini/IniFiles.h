#pragma once
// The framework's INI file classes: TCustomIniFile gives the typed reads and
// writes on top of the string operations (so a derived class that overrides
// ReadString and WriteString changes them all), TIniFile stores them through
// the private-profile functions (IniFileStore).
#include "common/DateTime.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

namespace velta {

class TCustomIniFile {
public:
    explicit TCustomIniFile(QString fileName);
    virtual ~TCustomIniFile();
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const QString& FileName() const { return fileName_; }

    virtual QString ReadString(const QString& Section, const QString& Ident, const QString& Default) = 0;
    virtual void WriteString(const QString& Section, const QString& Ident, const QString& Value) = 0;

    // Integers: decimal, or hexadecimal with "$" or "0x"; anything else gives Default.
    virtual int ReadInteger(const QString& Section, const QString& Ident, int Default);
    virtual void WriteInteger(const QString& Section, const QString& Ident, int Value);
    // Booleans are stored as "1" and "0"; any non-zero integer reads as true.
    virtual bool ReadBool(const QString& Section, const QString& Ident, bool Default);
    virtual void WriteBool(const QString& Section, const QString& Ident, bool Value);

    // Binary data is stored as upper-case hexadecimal text. The reads append
    // the decoded bytes and return their count (0 when the key is missing).
    virtual int ReadBinaryStream(const QString& Section, const QString& Name, QByteArray& Value);
    virtual int ReadBinaryStream(const QString& Section, const QString& Name, QIODevice& Value);

    // Typed reads with the process-wide format settings; a missing value or
    // one that does not convert gives Default.
    virtual TDateTime ReadDate(const QString& Section, const QString& Name, TDateTime Default);
    virtual TDateTime ReadDateTime(const QString& Section, const QString& Name, TDateTime Default);
    virtual double ReadFloat(const QString& Section, const QString& Name, double Default);
    virtual TDateTime ReadTime(const QString& Section, const QString& Name, TDateTime Default);

    // Writes the bytes (for a device: from its position to its end).
    virtual void WriteBinaryStream(const QString& Section, const QString& Name, const QByteArray& Value);
    virtual void WriteBinaryStream(const QString& Section, const QString& Name, QIODevice& Value);
    virtual void WriteDate(const QString& Section, const QString& Name, TDateTime Value);
    virtual void WriteDateTime(const QString& Section, const QString& Name, TDateTime Value);
    virtual void WriteFloat(const QString& Section, const QString& Name, double Value);
    virtual void WriteTime(const QString& Section, const QString& Name, TDateTime Value);

    virtual void ReadSection(const QString& Section, QStringList& Strings) = 0;
    virtual void ReadSections(QStringList& Strings) = 0;
    // The sections below Section: those named Section + "\" + something.
    virtual void ReadSections(const QString& Section, QStringList& Strings);
    // "key=value" lines of a section, each value through ReadString.
    virtual void ReadSectionValues(const QString& Section, QStringList& Strings);
    virtual void EraseSection(const QString& Section) = 0;
    virtual void DeleteKey(const QString& Section, const QString& Ident) = 0;
    virtual void UpdateFile() = 0;
    virtual bool ValueExists(const QString& Section, const QString& Ident);

    // True when the section has at least one key.
    bool SectionExists(const QString& Section);

private:
    QString fileName_;
};

class TIniFile : public TCustomIniFile {
public:
    // The platform's buffer for one value: values are cut at 65534 characters.
    static constexpr int kProfileBufferSize = 65535;

    explicit TIniFile(QString fileName);
    ~TIniFile() override;

    using TCustomIniFile::ReadSections;

    QString ReadString(const QString& Section, const QString& Ident, const QString& Default) override;
    // Raises EIniFileException "Unable to write to %s" when the file cannot be written.
    void WriteString(const QString& Section, const QString& Ident, const QString& Value) override;
    void ReadSection(const QString& Section, QStringList& Strings) override;
    void ReadSections(QStringList& Strings) override;
    void EraseSection(const QString& Section) override;
    void DeleteKey(const QString& Section, const QString& Ident) override;
    void UpdateFile() override;

protected:
    // The platform read of one key with a buffer of the given size.
    QString ReadProfileString(const QString& Section, const QString& Ident, const QString& Default,
                              int bufferSize = kProfileBufferSize) const;
    // The platform flush (write with section, key and value absent); false on failure.
    bool FlushProfile() const;
    [[noreturn]] void RaiseWriteError() const;
};

} // namespace velta
