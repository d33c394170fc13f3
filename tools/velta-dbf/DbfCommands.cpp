#include "tools/velta-dbf/DbfCommands.h"

#include "common/Exception.h"
#include "plugin/foundation/dbf/DBFValue.h"
#include "plugin/foundation/dbf/MemDBFTable.h"
#include "plugin/platform/Paths.h"
#include "tools/velta-dbf/Csv.h"

#include <QFile>
#include <QMap>
#include <QSet>
#include <cstdio>
#include <optional>

namespace velta::dbftool {

namespace {

void print(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

int fail(const QString& message, int code = kExitFailure)
{
    std::fprintf(stderr, "velta-dbf: %s\n", message.toUtf8().constData());
    return code;
}

// The command line of one command: the file, the flags given and the
// values of options that take one.
struct Options {
    QString file;
    QSet<QString> flags;
    QMap<QString, QString> values;
    QString error;
};

Options parseOptions(const QStringList& args, const QStringList& flags, const QStringList& valued)
{
    Options o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (flags.contains(a)) {
            o.flags.insert(a);
        } else if (valued.contains(a)) {
            if (i + 1 >= args.size()) {
                o.error = a + QStringLiteral(" needs a value");
                return o;
            }
            o.values[a] = args[++i];
        } else if (a.startsWith(u"--")) {
            o.error = QStringLiteral("unknown option ") + a;
            return o;
        } else if (o.file.isEmpty()) {
            o.file = a;
        } else {
            o.error = QStringLiteral("unexpected argument ") + a;
            return o;
        }
    }
    if (o.file.isEmpty())
        o.error = QStringLiteral("no file named");
    return o;
}

QString twoDigits(int v)
{
    return QString::number(v).rightJustified(2, u'0');
}

// A field's value as the dump prints it.
QString dumpValue(DbfField& field)
{
    if (field.IsNull())
        return QString();
    switch (field.DataType()) {
    case ftString: return field.AsString();
    case ftInteger: return QString::number(field.AsLargeInt());
    case ftFloat:
        return field.Decimals() > 0 ? QString::number(field.AsFloat(), 'f', field.Decimals())
                                    : QString::number(field.AsFloat(), 'g', 17);
    case ftBoolean: return field.AsBoolean() ? QStringLiteral("T") : QStringLiteral("F");
    case ftDate: {
        int y = 0;
        int m = 0;
        int d = 0;
        DecodeDate(field.AsDateTime(), y, m, d);
        return QString::number(y).rightJustified(4, u'0') + u'-' + twoDigits(m) + u'-' + twoDigits(d);
    }
    default: return QString();
    }
}

// One NAME:TYPE:LENGTH[:DECIMALS] entry of a field list.
std::optional<TDBFFieldDesc> parseFieldSpec(const QString& entry, QString& error)
{
    const QStringList parts = entry.split(u':');
    if (parts.size() < 3 || parts.size() > 4) {
        error = QStringLiteral("field '%1' is not NAME:TYPE:LENGTH[:DECIMALS]").arg(entry);
        return std::nullopt;
    }
    TDBFFieldDesc d;
    d.Name = parts[0].trimmed().toUpper();
    if (d.Name.isEmpty() || d.Name.size() > 10) {
        error = QStringLiteral("field name '%1' must have 1 to 10 characters").arg(parts[0]);
        return std::nullopt;
    }
    for (const QChar c : d.Name)
        if (c.unicode() > 0x7F || !(c.isLetterOrNumber() || c == u'_')) {
            error = QStringLiteral("field name '%1' may hold only Latin letters, digits and _").arg(d.Name);
            return std::nullopt;
        }
    const QString type = parts[1].trimmed().toUpper();
    bool lengthOk = false;
    bool decimalsOk = true;
    d.Length = parts[2].toInt(&lengthOk);
    d.Decimals = parts.size() == 4 ? parts[3].toInt(&decimalsOk) : 0;
    if (type.size() != 1 || !QStringLiteral("CNFLD").contains(type)) {
        error = QStringLiteral("field %1: type '%2' is not one of C, N, F, L, D").arg(d.Name, parts[1]);
        return std::nullopt;
    }
    if (!lengthOk || !decimalsOk || d.Length < 1 || d.Length > 254 || d.Decimals < 0) {
        error = QStringLiteral("field %1: length or decimals not a valid number").arg(d.Name);
        return std::nullopt;
    }
    d.Letter = type[0].toLatin1();
    d.FieldType = TDBFAccess::TypeOfLetter(d.Letter, d.Decimals);
    try {
        TDBFAccess::CheckDescriptor(d);
    } catch (const Exception&) {
        const char* rule = "";
        switch (d.Letter) {
        case 'C': rule = "a C field has no decimals"; break;
        case 'N': case 'F': rule = "numbers are at most 30 long with at most length - 2 decimals"; break;
        case 'L': rule = "an L field is 1 long"; break;
        case 'D': rule = "a D field is 8 long"; break;
        }
        error = QStringLiteral("field %1: %2").arg(d.Name, QLatin1String(rule));
        return std::nullopt;
    }
    return d;
}

// Stores one CSV text into a field; false with a message when it is not a value of the field.
bool storeValue(DbfField& field, const QString& text, QString& error)
{
    const QString value = text.trimmed();
    if (field.DataType() != ftString && value.isEmpty()) {
        field.Clear();
        return true;
    }
    const QByteArray latin = value.toLatin1();
    switch (field.DataType()) {
    case ftString: field.SetAsString(text); return true;
    case ftInteger: {
        std::int64_t v = 0;
        if (!dbfvalue::parseInteger(latin, v)) {
            error = QStringLiteral("'%1' is not an integer").arg(value);
            return false;
        }
        field.SetAsLargeInt(v);
        return true;
    }
    case ftFloat: {
        double v = 0;
        if (!dbfvalue::parseFloat(latin, v)) {
            error = QStringLiteral("'%1' is not a number").arg(value);
            return false;
        }
        field.SetAsFloat(v);
        return true;
    }
    case ftBoolean: {
        const QString upper = value.toUpper();
        if (upper == u"T" || upper == u"TRUE" || upper == u"Y" || upper == u"1")
            field.SetAsBoolean(true);
        else if (upper == u"F" || upper == u"FALSE" || upper == u"N" || upper == u"0")
            field.SetAsBoolean(false);
        else {
            error = QStringLiteral("'%1' is not T or F").arg(value);
            return false;
        }
        return true;
    }
    case ftDate: {
        QByteArray digits = latin;
        if (digits.size() == 10 && digits[4] == '-' && digits[7] == '-')
            digits = digits.left(4) + digits.mid(5, 2) + digits.mid(8, 2);
        TDateTime date = 0;
        if (!dbfvalue::parseDate(digits, date)) {
            error = QStringLiteral("'%1' is not a date yyyy-mm-dd").arg(value);
            return false;
        }
        field.SetAsDateTime(date);
        return true;
    }
    default: error = QStringLiteral("unsupported field type"); return false;
    }
}

void openTable(TMemDBFTable& table, const Options& o)
{
    table.SetOEM(!o.flags.contains(QStringLiteral("--ansi")));
    table.SetFileName(o.file);
    table.Open();
}

} // namespace

int info(const QStringList& args)
{
    const Options o = parseOptions(args, {}, {});
    if (!o.error.isEmpty())
        return fail(o.error, kExitUsage);
    try {
        TMemDBFTable table;
        openTable(table, o);
        print(QStringLiteral("Version: %1\n").arg(table.VersionText()));
        print(QStringLiteral("Code page: %1\n").arg(table.CodePage()));
        print(QStringLiteral("Records: %1\n").arg(table.RecordCount()));
        print(QStringLiteral("Deleted: %1\n").arg(table.DeletedCount()));
        print(QStringLiteral("Fields: %1\n").arg(table.FieldCount()));
        for (const TDBFFieldDesc& d : table.FieldDescs())
            print(QStringLiteral("%1 %2 %3 %4\n").arg(d.Name, QString(QLatin1Char(d.Letter))).arg(d.Length).arg(d.Decimals));
    } catch (const Exception& e) {
        return fail(o.file + QStringLiteral(": ") + e.message());
    }
    return kExitOk;
}

int dump(const QStringList& args)
{
    const Options o = parseOptions(args, {QStringLiteral("--deleted"), QStringLiteral("--ansi")}, {QStringLiteral("--filter")});
    if (!o.error.isEmpty())
        return fail(o.error, kExitUsage);
    try {
        TMemDBFTable table;
        table.SetShowDeleted(o.flags.contains(QStringLiteral("--deleted")));
        if (o.values.contains(QStringLiteral("--filter"))) {
            table.SetFilter(o.values.value(QStringLiteral("--filter")));
            table.SetFiltered(true);
        }
        openTable(table, o);
        QStringList row;
        for (int i = 0; i < table.FieldCount(); ++i)
            row << table.Fields(i).FieldName();
        QString out = csv::joinRow(row) + u'\n';
        for (table.First(); !table.Eof(); table.Next()) {
            row.clear();
            for (int i = 0; i < table.FieldCount(); ++i)
                row << dumpValue(table.Fields(i));
            out += csv::joinRow(row);
            out += u'\n';
            if (out.size() > (1 << 20)) {
                print(out);
                out.clear();
            }
        }
        print(out);
    } catch (const Exception& e) {
        return fail(o.file + QStringLiteral(": ") + e.message());
    }
    return kExitOk;
}

int create(const QStringList& args)
{
    const Options o = parseOptions(args, {QStringLiteral("--ansi")}, {QStringLiteral("--fields"), QStringLiteral("--from")});
    if (!o.error.isEmpty())
        return fail(o.error, kExitUsage);
    if (!o.values.contains(QStringLiteral("--fields")) || !o.values.contains(QStringLiteral("--from")))
        return fail(QStringLiteral("create needs --fields SPEC and --from CSV"), kExitUsage);

    QVector<TDBFFieldDesc> fields;
    for (const QString& entry : o.values.value(QStringLiteral("--fields")).split(u',')) {
        QString error;
        const std::optional<TDBFFieldDesc> d = parseFieldSpec(entry.trimmed(), error);
        if (!d)
            return fail(error);
        for (const TDBFFieldDesc& other : fields)
            if (other.Name == d->Name)
                return fail(QStringLiteral("field %1 is listed twice").arg(d->Name));
        fields.append(*d);
    }

    const QString csvName = o.values.value(QStringLiteral("--from"));
    QFile csvFile(csvName == u"-" ? QString() : Paths::toNative(csvName));
    const bool opened = csvName == u"-" ? csvFile.open(stdin, QIODevice::ReadOnly) : csvFile.open(QIODevice::ReadOnly);
    if (!opened)
        return fail(QStringLiteral("cannot read %1: %2").arg(csvName, csvFile.errorString()));
    try {
        const QVector<csv::Row> rows = csv::parse(csvFile.readAll());
        if (rows.isEmpty())
            return fail(csvName + QStringLiteral(": no header row"));
        const QStringList& header = rows.front().fields;
        QVector<int> columnOf;
        for (const TDBFFieldDesc& d : fields) {
            qsizetype column = -1;
            for (qsizetype c = 0; c < header.size(); ++c)
                if (header[c].trimmed().compare(d.Name, Qt::CaseInsensitive) == 0)
                    column = c;
            if (column < 0)
                return fail(QStringLiteral("%1: no column for field %2").arg(csvName, d.Name));
            columnOf.append(static_cast<int>(column));
        }
        for (const QString& name : header) {
            bool known = false;
            for (const TDBFFieldDesc& d : fields)
                known = known || name.trimmed().compare(d.Name, Qt::CaseInsensitive) == 0;
            if (!known)
                return fail(QStringLiteral("%1: column '%2' is not in the field list").arg(csvName, name));
        }

        TMemDBFTable table;
        table.SetOEM(!o.flags.contains(QStringLiteral("--ansi")));
        table.CreateTable(QString(), &fields);
        table.Open();
        for (qsizetype r = 1; r < rows.size(); ++r) {
            const csv::Row& row = rows[r];
            if (row.fields.size() != header.size())
                return fail(QStringLiteral("%1 line %2: %3 values where the header has %4")
                                .arg(csvName).arg(row.line).arg(row.fields.size()).arg(header.size()));
            table.Append();
            for (int f = 0; f < fields.size(); ++f) {
                QString error;
                try {
                    if (!storeValue(table.Fields(f), row.fields[columnOf[f]], error))
                        return fail(QStringLiteral("%1 line %2, field %3: %4").arg(csvName).arg(row.line).arg(fields[f].Name, error));
                } catch (const Exception& e) {
                    return fail(QStringLiteral("%1 line %2, field %3: %4").arg(csvName).arg(row.line).arg(fields[f].Name, e.message()));
                }
            }
            table.Post();
        }
        table.SaveToFile(o.file);
    } catch (const Exception& e) {
        return fail(o.file + QStringLiteral(": ") + e.message());
    }
    return kExitOk;
}

} // namespace velta::dbftool
