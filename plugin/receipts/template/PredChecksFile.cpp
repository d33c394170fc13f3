#include "plugin/receipts/template/PredChecksFile.h"

#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/platform/Paths.h"
#include "plugin/receipts/template/ReceiptTagTable.h"

namespace velta::receipts {

namespace {

const QString kFlagSection = QStringLiteral("TovCheckOnVidOpl");
const QString kTemplateKey = QStringLiteral("TOVARNCHECK");

QString flagKey(int payTypeCode)
{
    return QStringLiteral("VO") + QString::number(payTypeCode);
}

// "VO-1" for the common template, "VO4" for payment type 4.
QString templateSection(int payTypeCode)
{
    return flagKey(payTypeCode);
}

// The first write on a fresh machine makes the folder the file lives in.
void makeFolderOf(const QString& path)
{
    Paths::forceDirectories(Paths::extractFilePath(path));
}

} // namespace

QString PredChecksFile::nameForWorkplace(int workplaceKind)
{
    return workplaceKind != 0 && workplaceKind != 3 ? QStringLiteral("S:\\DEXE\\PredChecks.txt")
                                                    : stationName();
}

QString PredChecksFile::stationName()
{
    return QStringLiteral("C:\\DEXE\\PredChecks.txt");
}

PredChecksFile::PredChecksFile(const QString& name)
    : path_(Paths::isWindowsPath(name) ? Paths::toNative(name) : name)
{
}

int PredChecksFile::ownTemplateFlag(int payTypeCode) const
{
    TSafeIniFile ini(path_);
    return ini.ReadInteger(kFlagSection, flagKey(payTypeCode), 0);
}

void PredChecksFile::writeOwnTemplateFlag(int payTypeCode, int flag) const
{
    makeFolderOf(path_);
    TSafeIniFile ini(path_);
    ini.WriteInteger(kFlagSection, flagKey(payTypeCode), flag);
}

void PredChecksFile::writeOwnTemplateFlags(const QList<QPair<int, int>>& flags) const
{
    makeFolderOf(path_);
    TSafeIniFile ini(path_);
    ini.Atomically([&] {
        for (const auto& [code, flag] : flags)
            ini.WriteInteger(kFlagSection, flagKey(code), flag);
    });
}

QString PredChecksFile::readTemplate(int payTypeCode) const
{
    TSafeIniFile ini(path_);
    return fromStored(ini.ReadString(templateSection(payTypeCode), kTemplateKey, QString()));
}

void PredChecksFile::writeTemplate(int payTypeCode, const QString& text) const
{
    makeFolderOf(path_);
    TSafeIniFile ini(path_);
    ini.WriteString(templateSection(payTypeCode), kTemplateKey, toStored(text));
}

QString PredChecksFile::templateFor(int payTypeCode) const
{
    return readTemplate(ownTemplateFlag(payTypeCode) == 1 ? payTypeCode : kCommonTemplate);
}

QString PredChecksFile::toStored(const QString& text)
{
    QString stored = text;
    stored.replace(QStringLiteral("\r\n"), QStringLiteral("\t"));
    stored.replace(QLatin1Char('\n'), QLatin1Char('\t'));
    return stored;
}

QString PredChecksFile::fromStored(const QString& stored)
{
    QString text = stored;
    text.replace(QLatin1Char('\t'), QStringLiteral("\r\n"));
    return text;
}

} // namespace velta::receipts
