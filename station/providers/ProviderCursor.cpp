#include "station/providers/ProviderCursor.h"

#include "common/Exception.h"
#include "station/providers/ProviderRegistry.h"
#include "station/providers/ProviderValues.h"
#include "station/db/StationDatabase.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

namespace velta::station {
namespace {

const QRegularExpression& placeholderPattern();

// Placeholder names of the statement (":Name"), skipping quoted texts.
QStringList placeholders(const QString& sql)
{
    QStringList names;
    for (auto it = placeholderPattern().globalMatch(sql); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.hasCaptured(1) && !names.contains(m.captured(1)))
            names << m.captured(1);
    }
    return names;
}

QString statementContext(const QString& sql)
{
    return sql.simplified().left(200);
}

const QRegularExpression& placeholderPattern()
{
    // Quoted texts and names are matched so that a colon inside them is skipped.
    static const QRegularExpression pattern(QStringLiteral(R"('(?:[^']|'')*'|"(?:[^"]|"")*"|:([A-Za-z_][A-Za-z0-9_$]*))"));
    return pattern;
}

} // namespace

QString withNullParams(const QString& sql, const Variant::Array& params)
{
    QSet<QString> nulls;
    for (const Variant& pair : params) {
        if (pair.isArray() && pair.arrayCount() == 2 && pair.at(0).isString() && pair.at(1).isEmptyOrNull())
            nulls.insert(pair.at(0).toString().toUpper());
    }
    if (nulls.isEmpty())
        return sql;
    QString out;
    qsizetype last = 0;
    for (auto it = placeholderPattern().globalMatch(sql); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.hasCaptured(1) || !nulls.contains(m.captured(1).toUpper()))
            continue;
        out += QStringView(sql).sliced(last, m.capturedStart(0) - last);
        out += QStringLiteral("NULL");
        last = m.capturedEnd(0);
    }
    out += QStringView(sql).sliced(last);
    return out;
}

void bindParams(QSqlQuery& query, const QString& sql, const Variant::Array& params, const ProviderDef* provider)
{
    const QStringList names = placeholders(sql);
    if (names.isEmpty())
        return;
    QSet<QString> bound;
    for (const Variant& pair : params) {
        if (!pair.isArray() || pair.arrayCount() != 2 || !pair.at(0).isString())
            throw EDatabaseError(QStringLiteral("A parameter must be a [name, value] pair"));
        const QString name = pair.at(0).toString();
        for (const QString& placeholder : names) {
            if (placeholder.compare(name, Qt::CaseInsensitive) == 0) {
                query.bindValue(QLatin1Char(':') + placeholder, sqlValue(pair.at(1)));
                bound.insert(placeholder.toUpper());
            }
        }
    }
    for (const QString& placeholder : names) {
        if (bound.contains(placeholder.toUpper()))
            continue;
        QVariant value;
        if (provider) {
            for (const ProviderParam& p : provider->params) {
                if (p.name.compare(placeholder, Qt::CaseInsensitive) == 0)
                    value = p.defaultValue;
            }
        }
        if (!value.isValid())
            throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(placeholder));
        query.bindValue(QLatin1Char(':') + placeholder, value);
    }
}

ProviderCursor::ProviderCursor(StationDatabase& db, const QString& sql, const Variant::Array& params,
                               const ProviderDef* provider, const QSet<QString>& tableColumns)
    : query_(db.query())
{
    const QString text = withNullParams(sql, params);
    if (!query_.prepare(text))
        raiseQueryError(query_, statementContext(sql));
    bindParams(query_, text, params, provider);
    if (!query_.exec())
        raiseQueryError(query_, statementContext(sql));
    if (!query_.isSelect())
        throw EDatabaseError(QStringLiteral("CommandText does not return a result set"));
    writer_ = std::make_unique<ProviderPacketWriter>(fieldsOfRecord(query_.record(), provider, tableColumns));
}

QByteArray ProviderCursor::fetch(int count)
{
    writer_->begin();
    while (!exhausted_ && (count < 0 || writer_->rowCount() < count)) {
        if (!positioned_ && !query_.next()) {
            exhausted_ = true;
            break;
        }
        writer_->appendCurrentRow(query_);
        positioned_ = false;
    }
    if (!exhausted_ && !positioned_) {
        positioned_ = query_.next();
        exhausted_ = !positioned_;
    }
    if (exhausted_ && query_.lastError().isValid())
        raiseQueryError(query_, QStringLiteral("Fetch"));
    if (exhausted_)
        query_.finish();
    return writer_->finish(!exhausted_);
}

} // namespace velta::station
