#include "plugin/data/FilterProgram.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/data/ValueCompare.h"

#include <QDateTime>
#include <cmath>
#include <functional>

namespace velta {

void FilterNode::select(const RecordStore& store, std::vector<int>& ids) const
{
    std::vector<std::uint8_t> mask(ids.size());
    eval(store, ids.data(), ids.size(), mask.data());
    size_t kept = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
        ids[kept] = ids[i];
        kept += mask[i];
    }
    ids.resize(kept);
}

namespace {

using Storage = RecordStore::Storage;

template <class T>
bool applyOp(CompareOp op, const T& a, const T& b)
{
    switch (op) {
    case CompareOp::Equal: return a == b;
    case CompareOp::NotEqual: return a != b;
    case CompareOp::Less: return a < b;
    case CompareOp::Greater: return a > b;
    case CompareOp::LessEqual: return a <= b;
    case CompareOp::GreaterEqual: return a >= b;
    }
    return false;
}

bool opHolds(CompareOp op, int order)
{
    return applyOp(op, order, 0);
}

CompareOp mirrored(CompareOp op)
{
    switch (op) {
    case CompareOp::Less: return CompareOp::Greater;
    case CompareOp::Greater: return CompareOp::Less;
    case CompareOp::LessEqual: return CompareOp::GreaterEqual;
    case CompareOp::GreaterEqual: return CompareOp::LessEqual;
    default: return op;
    }
}

// A column of numbers against a constant. `Stored` is how the column keeps
// its values, `Value` the type both sides are compared in.
template <class Stored, class Value>
class NumberCompare final : public FilterNode {
public:
    NumberCompare(int column, CompareOp op, Value constant) : column_(column), op_(op), constant_(constant) {}

    void eval(const RecordStore& store, const int* ids, size_t count, std::uint8_t* out) const override
    {
        const auto& col = store.column(column_);
        const Stored* values;
        if constexpr (std::is_same_v<Stored, double>)
            values = col.doubles.data();
        else
            values = col.ints.data();
        const std::uint8_t* nulls = col.nulls.data();
        switch (op_) {
        case CompareOp::Equal: run(ids, count, out, values, nulls, std::equal_to<Value>()); break;
        case CompareOp::NotEqual: run(ids, count, out, values, nulls, std::not_equal_to<Value>()); break;
        case CompareOp::Less: run(ids, count, out, values, nulls, std::less<Value>()); break;
        case CompareOp::Greater: run(ids, count, out, values, nulls, std::greater<Value>()); break;
        case CompareOp::LessEqual: run(ids, count, out, values, nulls, std::less_equal<Value>()); break;
        case CompareOp::GreaterEqual: run(ids, count, out, values, nulls, std::greater_equal<Value>()); break;
        }
    }

private:
    template <class Cmp>
    void run(const int* ids, size_t count, std::uint8_t* out, const Stored* values, const std::uint8_t* nulls,
             Cmp cmp) const
    {
        const Value c = constant_;
        for (size_t i = 0; i < count; ++i) {
            const int r = ids[i];
            out[i] = static_cast<std::uint8_t>((nulls[r] == 0) & cmp(static_cast<Value>(values[r]), c));
        }
    }

    int column_;
    CompareOp op_;
    Value constant_;
};

class TextCompare final : public FilterNode {
public:
    TextCompare(int column, CompareOp op, QString constant, bool caseInsensitive, bool prefix)
        : column_(column), op_(op), constant_(std::move(constant)), caseInsensitive_(caseInsensitive), prefix_(prefix)
    {
    }

    void eval(const RecordStore& store, const int* ids, size_t count, std::uint8_t* out) const override
    {
        const auto& col = store.column(column_);
        const Qt::CaseSensitivity cs = caseInsensitive_ ? Qt::CaseInsensitive : Qt::CaseSensitive;
        for (size_t i = 0; i < count; ++i) {
            const auto r = static_cast<size_t>(ids[i]);
            if (col.nulls[r]) {
                out[i] = 0;
                continue;
            }
            const QString& text = col.texts[r];
            if (prefix_) {
                const bool starts = text.startsWith(constant_, cs);
                out[i] = static_cast<std::uint8_t>(op_ == CompareOp::Equal ? starts : !starts);
            } else {
                out[i] = static_cast<std::uint8_t>(opHolds(op_, compareTexts(text, constant_, caseInsensitive_)));
            }
        }
    }

private:
    int column_;
    CompareOp op_;
    QString constant_;
    bool caseInsensitive_;
    bool prefix_; // "= 'abc*'": the text starts with "abc"
};

class LikeNode final : public FilterNode {
public:
    LikeNode(int column, QString pattern, bool caseInsensitive, bool negated)
        : column_(column), pattern_(std::move(pattern)), caseInsensitive_(caseInsensitive), negated_(negated)
    {
    }

    void eval(const RecordStore& store, const int* ids, size_t count, std::uint8_t* out) const override
    {
        const auto& col = store.column(column_);
        for (size_t i = 0; i < count; ++i) {
            const auto r = static_cast<size_t>(ids[i]);
            if (col.nulls[r]) {
                out[i] = 0;
                continue;
            }
            QString converted;
            QStringView text;
            if (col.type == FieldType::String || col.type == FieldType::Memo) {
                text = col.texts[r];
            } else {
                converted = store.value(ids[i], column_).toString();
                text = converted;
            }
            out[i] = static_cast<std::uint8_t>(likeMatch(text, pattern_, caseInsensitive_) != negated_);
        }
    }

private:
    int column_;
    QString pattern_;
    bool caseInsensitive_;
    bool negated_;
};

class NullTest final : public FilterNode {
public:
    NullTest(int column, bool negated) : column_(column), negated_(negated) {}

    void eval(const RecordStore& store, const int* ids, size_t count, std::uint8_t* out) const override
    {
        const std::uint8_t* nulls = store.column(column_).nulls.data();
        for (size_t i = 0; i < count; ++i)
            out[i] = static_cast<std::uint8_t>((nulls[ids[i]] != 0) != negated_);
    }

private:
    int column_;
    bool negated_;
};

// Two fields of the same record, compared through their values.
class FieldsCompare final : public FilterNode {
public:
    FieldsCompare(int left, CompareOp op, int right, bool caseInsensitive)
        : left_(left), op_(op), right_(right), caseInsensitive_(caseInsensitive)
    {
    }

    void eval(const RecordStore& store, const int* ids, size_t count, std::uint8_t* out) const override
    {
        for (size_t i = 0; i < count; ++i) {
            const int r = ids[i];
            if (store.isNull(r, left_) || store.isNull(r, right_)) {
                out[i] = 0;
                continue;
            }
            const int order = compareValues(store.value(r, left_), store.value(r, right_), caseInsensitive_);
            out[i] = static_cast<std::uint8_t>(opHolds(op_, order));
        }
    }

private:
    int left_;
    CompareOp op_;
    int right_;
    bool caseInsensitive_;
};

class Constant final : public FilterNode {
public:
    explicit Constant(bool value) : value_(value) {}
    void eval(const RecordStore&, const int*, size_t count, std::uint8_t* out) const override
    {
        std::fill(out, out + count, static_cast<std::uint8_t>(value_));
    }

private:
    bool value_;
};

class AndNode final : public FilterNode {
public:
    AndNode(std::unique_ptr<FilterNode> l, std::unique_ptr<FilterNode> r) : l_(std::move(l)), r_(std::move(r)) {}

    void eval(const RecordStore& store, const int* ids, size_t count, std::uint8_t* out) const override
    {
        std::vector<std::uint8_t> other(count);
        l_->eval(store, ids, count, out);
        r_->eval(store, ids, count, other.data());
        for (size_t i = 0; i < count; ++i)
            out[i] &= other[i];
    }
    // The right side only looks at what passed the left.
    void select(const RecordStore& store, std::vector<int>& ids) const override
    {
        l_->select(store, ids);
        r_->select(store, ids);
    }

private:
    std::unique_ptr<FilterNode> l_, r_;
};

class OrNode final : public FilterNode {
public:
    OrNode(std::unique_ptr<FilterNode> l, std::unique_ptr<FilterNode> r) : l_(std::move(l)), r_(std::move(r)) {}

    void eval(const RecordStore& store, const int* ids, size_t count, std::uint8_t* out) const override
    {
        std::vector<std::uint8_t> other(count);
        l_->eval(store, ids, count, out);
        r_->eval(store, ids, count, other.data());
        for (size_t i = 0; i < count; ++i)
            out[i] |= other[i];
    }

private:
    std::unique_ptr<FilterNode> l_, r_;
};

class NotNode final : public FilterNode {
public:
    explicit NotNode(std::unique_ptr<FilterNode> inner) : inner_(std::move(inner)) {}

    void eval(const RecordStore& store, const int* ids, size_t count, std::uint8_t* out) const override
    {
        inner_->eval(store, ids, count, out);
        for (size_t i = 0; i < count; ++i)
            out[i] ^= 1;
    }

private:
    std::unique_ptr<FilterNode> inner_;
};

// Reads a date or date-time literal: the process-wide short date format
// ("dd.mm.yyyy") with an optional time, or ISO "yyyy-mm-dd[ hh:nn[:ss]]".
bool parseDateLiteral(const QString& text, FieldType type, double& value)
{
    const TFormatSettings& settings = globalFormatSettings();
    const QString trimmed = text.trimmed();
    TDateTime stamp = 0;
    if (type == FieldType::Time ? TryStrToTime(trimmed, stamp, settings)
                                : TryStrToDateTime(trimmed, stamp, settings)) {
        value = stamp;
        return true;
    }
    for (const char* format : {"yyyy-MM-dd", "yyyy-MM-dd HH:mm", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss"}) {
        const QDateTime parsed = QDateTime::fromString(trimmed, QLatin1String(format));
        if (parsed.isValid()) {
            value = fromQDateTime(parsed);
            return true;
        }
    }
    return false;
}

class Compiler {
public:
    Compiler(const RecordStore& store, TFilterOptions options) : store_(store), options_(options) {}

    std::unique_ptr<FilterNode> build(const FilterExpr& e)
    {
        switch (e.kind) {
        case FilterExpr::Kind::And: return std::make_unique<AndNode>(build(*e.left), build(*e.right));
        case FilterExpr::Kind::Or: return std::make_unique<OrNode>(build(*e.left), build(*e.right));
        case FilterExpr::Kind::Not: return std::make_unique<NotNode>(build(*e.left));
        case FilterExpr::Kind::IsNull: {
            if (e.left->kind == FilterExpr::Kind::Literal)
                return std::make_unique<Constant>(
                    (e.left->literal == FilterExpr::LiteralType::Null) != e.negated);
            return std::make_unique<NullTest>(column(*e.left), e.negated);
        }
        case FilterExpr::Kind::Like: return like(e);
        case FilterExpr::Kind::Compare: return compare(e);
        case FilterExpr::Kind::Field: {
            const int c = column(e);
            if (store_.fields()[c].type != FieldType::Boolean)
                mismatch(e, QStringLiteral("field '%1' is not a Boolean field").arg(e.name));
            return std::make_unique<NumberCompare<std::int64_t, std::int64_t>>(c, CompareOp::Equal, 1);
        }
        case FilterExpr::Kind::Literal:
            break;
        }
        mismatch(e, QStringLiteral("a condition is expected"));
    }

private:
    bool caseInsensitive() const { return options_ & foCaseInsensitive; }

    [[noreturn]] static void mismatch(const FilterExpr& e, const QString& what)
    {
        throw EDatabaseError(QStringLiteral("Invalid filter expression at position %1: %2").arg(e.position).arg(what));
    }

    int column(const FilterExpr& e) const
    {
        const int c = store_.fieldIndex(e.name);
        if (c < 0)
            throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(e.name));
        return c;
    }

    std::unique_ptr<FilterNode> like(const FilterExpr& e)
    {
        if (e.left->kind != FilterExpr::Kind::Field)
            mismatch(*e.left, QStringLiteral("LIKE needs a field on its left"));
        if (e.right->kind != FilterExpr::Kind::Literal || e.right->literal == FilterExpr::LiteralType::Null
            || e.right->literal == FilterExpr::LiteralType::Boolean)
            mismatch(*e.right, QStringLiteral("LIKE needs a pattern text"));
        return std::make_unique<LikeNode>(column(*e.left), e.right->text, caseInsensitive(), e.negated);
    }

    std::unique_ptr<FilterNode> compare(const FilterExpr& e)
    {
        const FilterExpr* l = e.left.get();
        const FilterExpr* r = e.right.get();
        CompareOp op = e.op;
        if (l->kind == FilterExpr::Kind::Literal && r->kind == FilterExpr::Kind::Field) {
            std::swap(l, r);
            op = mirrored(op);
        }
        if (l->kind == FilterExpr::Kind::Field && r->kind == FilterExpr::Kind::Field)
            return std::make_unique<FieldsCompare>(column(*l), op, column(*r), caseInsensitive());
        if (l->kind == FilterExpr::Kind::Literal)
            return std::make_unique<Constant>(constantCompare(*l, op, *r));
        const int c = column(*l);
        if (r->literal == FilterExpr::LiteralType::Null) {
            if (op != CompareOp::Equal && op != CompareOp::NotEqual)
                mismatch(*r, QStringLiteral("NULL can only be tested for equality"));
            return std::make_unique<NullTest>(c, op == CompareOp::NotEqual);
        }
        return fieldConstant(c, op, *r);
    }

    bool constantCompare(const FilterExpr& a, CompareOp op, const FilterExpr& b) const
    {
        const auto value = [](const FilterExpr& x) -> Variant {
            switch (x.literal) {
            case FilterExpr::LiteralType::String: return Variant(x.text);
            case FilterExpr::LiteralType::Number: return Variant(x.text.toDouble());
            case FilterExpr::LiteralType::Boolean: return Variant(x.boolean);
            case FilterExpr::LiteralType::Null: return Variant::null();
            }
            return {};
        };
        const Variant va = value(a);
        const Variant vb = value(b);
        if (va.isNull() || vb.isNull())
            return false;
        return opHolds(op, compareValues(va, vb, caseInsensitive()));
    }

    std::unique_ptr<FilterNode> fieldConstant(int c, CompareOp op, const FilterExpr& lit)
    {
        const FieldDef& field = store_.fields()[c];
        const auto bad = [&]() {
            mismatch(lit, QStringLiteral("'%1' does not suit field '%2'").arg(lit.text, field.name));
        };
        switch (field.type) {
        case FieldType::String:
        case FieldType::Memo: {
            QString text = lit.literal == FilterExpr::LiteralType::Boolean
                ? (lit.boolean ? QStringLiteral("True") : QStringLiteral("False"))
                : lit.text;
            const bool prefix = !(options_ & foNoPartialCompare) && text.endsWith(QLatin1Char('*'))
                && (op == CompareOp::Equal || op == CompareOp::NotEqual);
            if (prefix)
                text.chop(1);
            return std::make_unique<TextCompare>(c, op, text, caseInsensitive(), prefix);
        }
        case FieldType::Boolean: {
            bool value = false;
            if (lit.literal == FilterExpr::LiteralType::Boolean) {
                value = lit.boolean;
            } else if (lit.literal == FilterExpr::LiteralType::Number) {
                value = lit.text.toDouble() != 0;
            } else if (lit.text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
                value = true;
            } else if (lit.text.compare(QLatin1String("False"), Qt::CaseInsensitive) != 0) {
                bad();
            }
            return std::make_unique<NumberCompare<std::int64_t, std::int64_t>>(c, op, value ? 1 : 0);
        }
        case FieldType::Date:
        case FieldType::Time:
        case FieldType::DateTime: {
            double value = 0;
            if (lit.literal == FilterExpr::LiteralType::Number)
                value = lit.text.toDouble();
            else if (lit.literal != FilterExpr::LiteralType::String || !parseDateLiteral(lit.text, field.type, value))
                bad();
            return std::make_unique<NumberCompare<double, double>>(c, op, value);
        }
        case FieldType::Blob:
            bad();
            break;
        default:
            break;
        }
        // Numbers.
        double number = 0;
        if (lit.literal == FilterExpr::LiteralType::Number) {
            number = lit.text.toDouble();
        } else if (lit.literal == FilterExpr::LiteralType::String) {
            QString text = lit.text.trimmed();
            bool ok = false;
            number = text.toDouble(&ok);
            if (!ok && !TryStrToFloat(text, number))
                bad();
        } else {
            bad();
        }
        if (field.type == FieldType::Float)
            return std::make_unique<NumberCompare<double, double>>(c, op, number);
        if (field.type == FieldType::Currency || field.type == FieldType::FmtBcd) {
            // Amounts are compared exactly when the literal has at most four decimals.
            const QString digits = lit.literal == FilterExpr::LiteralType::Number ? lit.text : QString();
            const qsizetype dot = digits.indexOf(QLatin1Char('.'));
            if (!digits.isEmpty() && (dot < 0 || digits.size() - dot - 1 <= kBcdScale) && std::fabs(number) < 9.0e14)
                return std::make_unique<NumberCompare<std::int64_t, std::int64_t>>(
                    c, op, Variant::fromCurrencyText(digits).toCurrency().scaled);
            return std::make_unique<NumberCompare<std::int64_t, double>>(c, op, number * 10000.0);
        }
        if (std::fabs(number) < 9.0e15 && number == std::round(number))
            return std::make_unique<NumberCompare<std::int64_t, std::int64_t>>(c, op,
                                                                               static_cast<std::int64_t>(number));
        return std::make_unique<NumberCompare<std::int64_t, double>>(c, op, number);
    }

    const RecordStore& store_;
    TFilterOptions options_;
};

} // namespace

FilterProgram FilterProgram::compile(const QString& text, const RecordStore& store, TFilterOptions options)
{
    FilterProgram program;
    const auto expr = parseFilter(text);
    if (expr)
        program.root_ = Compiler(store, options).build(*expr);
    return program;
}

void FilterProgram::select(const RecordStore& store, std::vector<int>& ids) const
{
    if (root_)
        root_->select(store, ids);
}

bool FilterProgram::accepts(const RecordStore& store, int record) const
{
    if (!root_)
        return true;
    std::uint8_t out = 0;
    root_->eval(store, &record, 1, &out);
    return out != 0;
}

} // namespace velta
