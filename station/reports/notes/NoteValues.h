#pragma once
// NoteValues: one stored row of a consignment note (the TTN header or a
// TTNDETAIL line) by column name, with the typed reads the printed forms
// need. Missing columns read empty, so older stations print blanks.
#include <QHash>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <cstdint>

namespace velta::station {

class NoteValues {
public:
    NoteValues() = default;
    explicit NoteValues(const QSqlRecord& record);

    bool has(const QString& column) const { return values_.contains(column); }
    QVariant value(const QString& column) const { return values_.value(column); }
    void set(const QString& column, const QVariant& value) { values_.insert(column, value); }

    // Trimmed text; null and missing read empty.
    QString text(const QString& column) const;
    // A NUMERIC column scaled by 10000; null reads 0.
    std::int64_t amount(const QString& column) const;
    // An integer column; null reads 0.
    int integer(const QString& column) const;
    // A DATE column as "dd.MM.yyyy"; null, missing or day 0 read empty.
    QString date(const QString& column) const;

private:
    QHash<QString, QVariant> values_;
};

} // namespace velta::station
