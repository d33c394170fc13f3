#pragma once
// TCustomCheckBuilder fills one receipt template for one sale. Tags are
// "<#Name>" or "<#Name(format)>", names matched without regard to case; every
// value operation substitutes each occurrence of its tag at once, each with
// its own format (or the default given with the value), in text order;
// GetCheckText removes the tags no value reached. An inserted value is text of
// the receipt, never a template: a tag-shaped text inside it stays. A value
// that cannot be written prints "Err!"; widths are bounded at 1000. Lines
// starting with "@" (bold on the tape) pass through unchanged.
#include "common/DateTime.h"

#include <QList>
#include <QString>
#include <functional>

namespace velta::receipts {

class TCustomCheckBuilder {
public:
    explicit TCustomCheckBuilder(QString templateText);

    void SetDateTime(const QString& name, const QString& defaultFormat, TDateTime value);
    void SetFloat(const QString& name, const QString& defaultFormat, double value);
    void SetString(const QString& name, const QString& value, const QString& defaultFormat = QString());

    // The filled text with every remaining tag removed.
    QString GetCheckText();

private:
    // Where an inserted value lies in text_, [begin, end). Values are never
    // searched for tags again, neither by later values nor by GetCheckText.
    struct ValueSpan {
        qsizetype begin = 0;
        qsizetype end = 0;
    };
    using ValueWriter = std::function<QString(const QString& format)>;

    // Replaces every tag of the name, in text order, by write(its format).
    void fill(const QString& name, const QString& defaultFormat, const ValueWriter& write);

    QString text_;
    QList<ValueSpan> values_; // in text order, not overlapping
};

} // namespace velta::receipts
