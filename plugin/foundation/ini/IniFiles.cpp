#include "plugin/foundation/ini/IniFiles.h"

#include "common/Exception.h"
#include "common/Hex.h"
#include "common/SysUtils.h"
#include "plugin/foundation/ini/IniFileStore.h"

#include <QIODevice>

namespace velta {

namespace {

// The framework's HexToBin: pairs of digits up to the first pair that is not hexadecimal.
QByteArray hexToBin(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() / 2);
    for (qsizetype i = 0; i + 1 < text.size(); i += 2) {
        const int high = HexDigitValue(text[i].unicode());
        const int low = HexDigitValue(text[i + 1].unicode());
        if (high < 0 || low < 0)
            break;
        bytes.append(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

} // namespace

TCustomIniFile::TCustomIniFile(QString fileName)
    : fileName_(std::move(fileName))
{
}

TCustomIniFile::~TCustomIniFile() = default;

int TCustomIniFile::ReadInteger(const QString& Section, const QString& Ident, int Default)
{
    QString text = ReadString(Section, Ident, QString());
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        text = u'$' + text.mid(2);
    return StrToIntDef(text, Default);
}

void TCustomIniFile::WriteInteger(const QString& Section, const QString& Ident, int Value)
{
    WriteString(Section, Ident, QString::number(Value));
}

bool TCustomIniFile::ReadBool(const QString& Section, const QString& Ident, bool Default)
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const QString& Section, const QString& Ident, bool Value)
{
    WriteString(Section, Ident, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

int TCustomIniFile::ReadBinaryStream(const QString& Section, const QString& Name, QByteArray& Value)
{
    const QByteArray bytes = hexToBin(ReadString(Section, Name, QString()));
    Value.append(bytes);
    return static_cast<int>(bytes.size());
}

int TCustomIniFile::ReadBinaryStream(const QString& Section, const QString& Name, QIODevice& Value)
{
    const QByteArray bytes = hexToBin(ReadString(Section, Name, QString()));
    if (!bytes.isEmpty() && Value.write(bytes) != bytes.size())
        throw EWriteError(QStringLiteral("Stream write error"));
    return static_cast<int>(bytes.size());
}

namespace {

// The framework's typed read: an empty text or one that does not convert gives the default.
template <class Convert>
TDateTime readConverted(TCustomIniFile& ini, const QString& section, const QString& name, TDateTime def,
                        Convert convert)
{
    const QString text = ini.ReadString(section, name, QString());
    if (text.isEmpty())
        return def;
    try {
        return convert(text);
    } catch (const EConvertError&) {
        return def;
    }
}

} // namespace

TDateTime TCustomIniFile::ReadDate(const QString& Section, const QString& Name, TDateTime Default)
{
    return readConverted(*this, Section, Name, Default,
                         [](const QString& t) { return StrToDate(t, globalFormatSettings()); });
}

TDateTime TCustomIniFile::ReadDateTime(const QString& Section, const QString& Name, TDateTime Default)
{
    return readConverted(*this, Section, Name, Default,
                         [](const QString& t) { return StrToDateTime(t, globalFormatSettings()); });
}

double TCustomIniFile::ReadFloat(const QString& Section, const QString& Name, double Default)
{
    return readConverted(*this, Section, Name, Default,
                         [](const QString& t) { return StrToFloat(t, globalFormatSettings()); });
}

TDateTime TCustomIniFile::ReadTime(const QString& Section, const QString& Name, TDateTime Default)
{
    return readConverted(*this, Section, Name, Default,
                         [](const QString& t) { return StrToTime(t, globalFormatSettings()); });
}

void TCustomIniFile::WriteBinaryStream(const QString& Section, const QString& Name, const QByteArray& Value)
{
    WriteString(Section, Name, QString::fromLatin1(HexEncodeBytes(Value)));
}

void TCustomIniFile::WriteBinaryStream(const QString& Section, const QString& Name, QIODevice& Value)
{
    WriteBinaryStream(Section, Name, Value.readAll());
}

void TCustomIniFile::WriteDate(const QString& Section, const QString& Name, TDateTime Value)
{
    WriteString(Section, Name, DateToStr(Value, globalFormatSettings()));
}

void TCustomIniFile::WriteDateTime(const QString& Section, const QString& Name, TDateTime Value)
{
    WriteString(Section, Name, DateTimeToStr(Value, globalFormatSettings()));
}

void TCustomIniFile::WriteFloat(const QString& Section, const QString& Name, double Value)
{
    WriteString(Section, Name, FloatToStr(Value, globalFormatSettings()));
}

void TCustomIniFile::WriteTime(const QString& Section, const QString& Name, TDateTime Value)
{
    WriteString(Section, Name, TimeToStr(Value, globalFormatSettings()));
}

void TCustomIniFile::ReadSections(const QString& Section, QStringList& Strings)
{
    QStringList all;
    ReadSections(all);
    Strings.clear();
    const QString prefix = Section + u'\\';
    for (const QString& name : all) {
        if (Section.isEmpty() || name.startsWith(prefix, Qt::CaseInsensitive))
            Strings << name;
    }
}

void TCustomIniFile::ReadSectionValues(const QString& Section, QStringList& Strings)
{
    QStringList keys;
    ReadSection(Section, keys);
    Strings.clear();
    for (const QString& key : keys)
        Strings << key + u'=' + ReadString(Section, key, QString());
}

bool TCustomIniFile::ValueExists(const QString& Section, const QString& Ident)
{
    QStringList keys;
    ReadSection(Section, keys);
    return keys.contains(Ident.trimmed(), Qt::CaseInsensitive);
}

bool TCustomIniFile::SectionExists(const QString& Section)
{
    QStringList keys;
    ReadSection(Section, keys);
    return !keys.isEmpty();
}

TIniFile::TIniFile(QString fileName)
    : TCustomIniFile(std::move(fileName))
{
}

TIniFile::~TIniFile() = default;

QString TIniFile::ReadProfileString(const QString& Section, const QString& Ident, const QString& Default,
                                    int bufferSize) const
{
    QString result;
    IniFileStore::readString(FileName(), Section, Ident, Default, bufferSize, result);
    return result;
}

bool TIniFile::FlushProfile() const
{
    return IniFileStore::writeString(FileName(), std::nullopt, std::nullopt, std::nullopt);
}

void TIniFile::RaiseWriteError() const
{
    throw EIniFileException(QStringLiteral("Unable to write to %1").arg(FileName()));
}

QString TIniFile::ReadString(const QString& Section, const QString& Ident, const QString& Default)
{
    return ReadProfileString(Section, Ident, Default);
}

void TIniFile::WriteString(const QString& Section, const QString& Ident, const QString& Value)
{
    if (!IniFileStore::writeString(FileName(), Section, Ident, Value))
        RaiseWriteError();
}

void TIniFile::ReadSection(const QString& Section, QStringList& Strings)
{
    IniFileStore::readKeys(FileName(), Section, Strings);
}

void TIniFile::ReadSections(QStringList& Strings)
{
    IniFileStore::readSections(FileName(), Strings);
}

void TIniFile::EraseSection(const QString& Section)
{
    if (!IniFileStore::writeString(FileName(), Section, std::nullopt, std::nullopt))
        RaiseWriteError();
}

void TIniFile::DeleteKey(const QString& Section, const QString& Ident)
{
    if (!IniFileStore::writeString(FileName(), Section, Ident, std::nullopt))
        RaiseWriteError();
}

void TIniFile::UpdateFile()
{
    if (!FlushProfile())
        RaiseWriteError();
}

} // namespace velta
