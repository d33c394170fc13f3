#include "plugin/receipts/window/TovarCheckSettings.h"

#include "common/Hex.h"
#include "plugin/ui/FormPlacement.h"

namespace velta::receipts {

namespace {

bool readFlag(const FormPlacement& store, const char* name, bool defaultValue)
{
    return store.readInteger(QString::fromLatin1(name), defaultValue ? 1 : 0) == 1;
}

void writeFlag(const FormPlacement& store, const char* name, bool value)
{
    store.writeInteger(QString::fromLatin1(name), value ? 1 : 0);
}

} // namespace

TovarCheckSettings LoadTovarCheckSettings(const FormPlacement& store, TDateTime now)
{
    const QString defaultDir = QString::fromLatin1(kDefaultCommentDir);
    TovarCheckSettings s;
    s.begin = store.readFloat(QStringLiteral("PlatezBegPeriod"), now - 1);
    s.end = store.readFloat(QStringLiteral("PlatezEndPeriod"), now);
    s.post = store.readString(QStringLiteral("edPost"), QString());
    s.endPeriod = readFlag(store, "cbEndPeriod", true);
    s.comment = HexDecode(store.readString(QStringLiteral("memComment"), QString()));
    s.openDir = store.readString(QStringLiteral("OpenDialog"), defaultDir);
    s.saveDir = store.readString(QStringLiteral("SaveDialog"), defaultDir);
    s.copies = store.readInteger(QStringLiteral("seCopyCount"), 1);
    s.dayCount = store.readInteger(QStringLiteral("seDayCount"), 10);
    s.preview = readFlag(store, "cbPreview", true);
    s.forDayCount = readFlag(store, "rbForDayCount", true);
    s.onPrinter = readFlag(store, "rbPrintOnPrinter", true);
    return s;
}

void SaveTovarCheckSettings(const FormPlacement& store, const TovarCheckSettings& s, bool openDirChosen,
                            bool saveDirChosen)
{
    store.writeFloat(QStringLiteral("PlatezBegPeriod"), s.begin);
    store.writeFloat(QStringLiteral("PlatezEndPeriod"), s.end);
    store.writeString(QStringLiteral("edPost"), s.post);
    writeFlag(store, "cbEndPeriod", s.endPeriod);
    store.writeString(QStringLiteral("memComment"), HexEncode(s.comment));
    if (openDirChosen)
        store.writeString(QStringLiteral("OpenDialog"), s.openDir);
    if (saveDirChosen)
        store.writeString(QStringLiteral("SaveDialog"), s.saveDir);
    store.writeInteger(QStringLiteral("seCopyCount"), s.copies);
    store.writeInteger(QStringLiteral("seDayCount"), s.dayCount);
    writeFlag(store, "cbPreview", s.preview);
    writeFlag(store, "rbForDayCount", s.forDayCount);
    writeFlag(store, "rbPrintOnPrinter", s.onPrinter);
}

} // namespace velta::receipts
