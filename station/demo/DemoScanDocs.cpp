#include "station/demo/DemoScanDocs.h"

#include "station/db/BatchInserter.h"
#include "station/demo/DemoCatalog.h"
#include "station/demo/DemoContragents.h"

namespace velta::station {

DemoScanDocs writeScanDocs(StationDatabase& db, const DemoContragents& contragents)
{
    using namespace demo;
    DemoScanDocs result;
    struct Type {
        const char* name;
        const char* prefix;
    };
    static const Type kTypes[] = {{"Товарно-транспортная накладная", "TTN"},
                                  {"Счет-фактура", "SF"},
                                  {"Доверенность", "DOV"},
                                  {"Паспорт качества", "PK"},
                                  {"Акт приема-передачи", ""}};
    BatchInserter types(db, QStringLiteral("SCANDOCTYPE"),
                        {{"ID", ColumnKind::Integer}, {"NAME", ColumnKind::Text}, {"FILEPREFIX", ColumnKind::Text}});
    int typeId = 0;
    for (const Type& t : kTypes)
        types.add({++typeId, QString::fromUtf8(t.name), QString::fromUtf8(t.prefix)});
    types.finish();
    result.types = types.rowsWritten();

    BatchInserter docs(db, QStringLiteral("SCANDOC"),
                       {{"ID", ColumnKind::Integer}, {"DATA", ColumnKind::Timestamp}, {"DOCTYPE", ColumnKind::Integer},
                        {"DOCNUMBER", ColumnKind::Text}, {"DOCDATA", ColumnKind::Date}, {"CNTSENDER_ID", ColumnKind::Integer},
                        {"CNTTARGET_ID", ColumnKind::Integer}, {"CNTPER_ID", ColumnKind::Integer},
                        {"OPERATOR", ColumnKind::Text}, {"DRIVER", ColumnKind::Text}, {"OTHER", ColumnKind::Text, 500},
                        {"ISDELETE", ColumnKind::Integer}, {"FILENAMES", ColumnKind::Text, 500}});
    const auto pick = [](const QVector<int>& ids, int i) { return ids.isEmpty() ? QVariant() : QVariant(ids.at(i % ids.size())); };
    for (int id = 1; id <= 8; ++id) {
        const int type = 1 + (id - 1) % 4;
        const QString prefix = QString::fromUtf8(kTypes[type - 1].prefix);
        QStringList files;
        for (int page = 1; page <= 1 + id % 3; ++page)
            files << QStringLiteral("%1\\%2%3_%4.jpg").arg(stationName(), prefix).arg(id, 3, 10, QLatin1Char('0')).arg(page);
        const QDateTime registered = shiftStart(id * 20).addSecs(3600);
        docs.add({id, registered, type, QStringLiteral("%1-%2").arg(prefix.isEmpty() ? QStringLiteral("Д") : prefix).arg(700 + id),
                  registered.date().addDays(-1), pick(contragents.suppliers, id), pick(contragents.consignees, id),
                  pick(contragents.carriers, id), operators().at(id % operators().size()),
                  id % 2 ? QStringLiteral("Смирнов А.В.") : QString(), id == 3 ? QStringLiteral("Копия плохого качества") : QString(),
                  id == 8 ? 1 : 0, files.join(QStringLiteral("\r\n"))});
    }
    docs.finish();
    result.documents = docs.rowsWritten();
    return result;
}

} // namespace velta::station
