#include "plugin/data/ValueCompare.h"

namespace velta {

namespace {

bool sameChar(QChar a, QChar b, bool caseInsensitive)
{
    return a == b || (caseInsensitive && a.toCaseFolded() == b.toCaseFolded());
}

int sign(double d)
{
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
}

} // namespace

int compareTexts(QStringView a, QStringView b, bool caseInsensitive)
{
    const int c = a.compare(b, caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int compareValues(const Variant& a, const Variant& b, bool caseInsensitive)
{
    const bool aNull = a.isEmptyOrNull();
    const bool bNull = b.isEmptyOrNull();
    if (aNull || bNull)
        return aNull == bNull ? 0 : (aNull ? -1 : 1);
    const auto numeric = [](const Variant& v) {
        return v.isNumeric() || v.type() == VarType::Date || v.type() == VarType::Boolean;
    };
    if (numeric(a) && numeric(b)) {
        if (a.type() == VarType::Currency && b.type() == VarType::Currency) {
            const auto x = a.toCurrency().scaled;
            const auto y = b.toCurrency().scaled;
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const bool aInt = a.isNumeric() && a.type() != VarType::Single && a.type() != VarType::Double
            && a.type() != VarType::Currency;
        const bool bInt = b.isNumeric() && b.type() != VarType::Single && b.type() != VarType::Double
            && b.type() != VarType::Currency;
        if (aInt && bInt) {
            const auto x = a.toInt64();
            const auto y = b.toInt64();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const double x = a.type() == VarType::Boolean ? (a.toBool() ? 1.0 : 0.0) : a.toDouble();
        const double y = b.type() == VarType::Boolean ? (b.toBool() ? 1.0 : 0.0) : b.toDouble();
        return sign(x - y);
    }
    if (a.isByteArray() || b.isByteArray()) {
        const QByteArray x = a.isByteArray() ? a.toByteArray() : QByteArray();
        const QByteArray y = b.isByteArray() ? b.toByteArray() : QByteArray();
        const int c = x.compare(y);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return compareTexts(a.toString(), b.toString(), caseInsensitive);
}

bool likeMatch(QStringView text, QStringView pattern, bool caseInsensitive)
{
    // Greedy matching with one backtrack point: the last % seen.
    qsizetype t = 0;
    qsizetype p = 0;
    qsizetype starP = -1;
    qsizetype starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('%')) {
            starP = p++;
            starT = t;
        } else if (p < pattern.size()
                   && (pattern[p] == QLatin1Char('_') || sameChar(pattern[p], text[t], caseInsensitive))) {
            ++p;
            ++t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('%'))
        ++p;
    return p == pattern.size();
}

} // namespace velta
