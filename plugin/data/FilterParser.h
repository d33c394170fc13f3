#pragma once
// The filter language of client datasets, read into an expression tree:
// comparisons (= <> != < > <= >=), LIKE with % and _, IS [NOT] NULL, AND, OR,
// NOT, parentheses, quoted strings with doubled quotes, numbers with a full
// stop, TRUE, FALSE, NULL, and field names (plain, [bracketed] or "quoted").
// Bad text raises EDatabaseError naming the position (1-based).
#include <QString>
#include <memory>

namespace velta {

enum class CompareOp { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

struct FilterExpr {
    enum class Kind { And, Or, Not, Compare, Like, IsNull, Field, Literal };
    enum class LiteralType { String, Number, Boolean, Null };

    Kind kind = Kind::Literal;
    int position = 0;            // where the node starts in the text, 1-based
    CompareOp op = CompareOp::Equal;
    bool negated = false;        // NOT LIKE, IS NOT NULL
    std::unique_ptr<FilterExpr> left;
    std::unique_ptr<FilterExpr> right;
    QString name;                // Field: its name
    LiteralType literal = LiteralType::Null;
    QString text;                // Literal: the string, or the number's digits ("-12.5")
    bool boolean = false;        // Literal TRUE / FALSE
};

// Parses a filter text; a text of blanks only gives nullptr (no condition).
std::unique_ptr<FilterExpr> parseFilter(const QString& text);

} // namespace velta
