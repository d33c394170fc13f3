// libFuzzer target for the receipt template language: the input is a template
// and a list of value operations; every operation and the final text must
// finish without a crash and without a huge allocation, whatever the tags,
// formats, names and values hold.
//
// Input: one mode byte (bit 0 set: texts are raw UTF-16 code units, else
// UTF-8), then records separated by 0x1E: the template, then operations. An
// operation is a kind byte (modulo 3: date-time, number, text) followed by
// name, format and value separated by 0x1F; a number or date-time value of
// exactly eight bytes is the raw double, otherwise its text is read.
#include "common/SysUtils.h"
#include "plugin/receipts/template/CustomCheckBuilder.h"
#include "plugin/receipts/template/ReceiptTagTable.h"

#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace velta;
using namespace velta::receipts;

namespace {

QString decode(QByteArrayView bytes, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(bytes);
    QString text(bytes.size() / 2, Qt::Uninitialized);
    if (!text.isEmpty())
        std::memcpy(text.data(), bytes.data(), static_cast<std::size_t>(text.size()) * 2);
    return text;
}

double number(QByteArrayView bytes, bool utf16)
{
    double value = 0;
    if (bytes.size() == sizeof value) {
        std::memcpy(&value, bytes.data(), sizeof value);
        return value;
    }
    TFormatSettings settings;
    settings.DecimalSeparator = QLatin1Char('.');
    TryStrToFloat(decode(bytes, utf16), value, settings);
    return value;
}

// The values a sale gives every row of the table, each with its default format.
void fillTable(TCustomCheckBuilder& builder)
{
    for (const ReceiptTag& tag : ReceiptTagTable()) {
        switch (tag.kind) {
        case TagKind::DateTime:
            builder.SetDateTime(tag.name, tag.defaultFormat, 46000.5);
            break;
        case TagKind::Number:
            builder.SetFloat(tag.name, tag.defaultFormat, -1234.567);
            break;
        case TagKind::Text:
            builder.SetString(tag.name, QStringLiteral("ООО <#1 \"Ромашка\">"), tag.defaultFormat);
            break;
        case TagKind::Placeholder:
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool utf16 = data[0] & 1;
    const QByteArray input(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    const QList<QByteArray> records = input.split('\x1e');
    const QString templateText = decode(records.front(), utf16);

    TCustomCheckBuilder builder(templateText);
    for (qsizetype r = 1; r < records.size(); ++r) {
        const QByteArray& record = records[r];
        if (record.isEmpty())
            continue;
        const QList<QByteArray> fields = record.sliced(1).split('\x1f');
        const QString name = decode(fields.value(0), utf16);
        const QString format = decode(fields.value(1), utf16);
        const QByteArray value = fields.value(2);
        switch (static_cast<unsigned char>(record.front()) % 3) {
        case 0:
            builder.SetDateTime(name, format, number(value, utf16));
            break;
        case 1:
            builder.SetFloat(name, format, number(value, utf16));
            break;
        default:
            builder.SetString(name, decode(value, utf16), format);
            break;
        }
    }
    fillTable(builder);
    const QString text = builder.GetCheckText();
    // Text without tags passes through untouched.
    if (!templateText.contains(QStringLiteral("<#")) && text != templateText)
        std::abort();
    return 0;
}
