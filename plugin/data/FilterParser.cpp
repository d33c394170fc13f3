#include "plugin/data/FilterParser.h"

#include "common/Exception.h"

#include <vector>

namespace velta {

namespace {

struct Token {
    enum class Type { End, Name, String, Number, Operator, LParen, RParen, Keyword };
    Type type = Type::End;
    QString text;   // names and strings unquoted; keywords upper case
    int position = 0;
};

[[noreturn]] void syntaxError(int position, const QString& what)
{
    throw EDatabaseError(QStringLiteral("Invalid filter expression at position %1: %2").arg(position).arg(what));
}

bool isKeyword(const QString& upper)
{
    static const char* const keywords[] = {"AND", "OR", "NOT", "LIKE", "IS", "NULL", "TRUE", "FALSE"};
    for (const char* k : keywords) {
        if (upper == QLatin1String(k))
            return true;
    }
    return false;
}

std::vector<Token> tokenize(const QString& text)
{
    std::vector<Token> tokens;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        const int position = static_cast<int>(i) + 1;
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.position = position;
        if (c == QLatin1Char('\'')) {
            QString value;
            ++i;
            for (;;) {
                if (i >= n)
                    syntaxError(position, QStringLiteral("missing closing quote"));
                if (text[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('\'')) {
                        value += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            t.type = Token::Type::String;
            t.text = value;
        } else if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('"');
            const qsizetype end = text.indexOf(close, i + 1);
            if (end < 0)
                syntaxError(position, QStringLiteral("missing '%1'").arg(close));
            t.type = Token::Type::Name;
            t.text = text.mid(i + 1, end - i - 1).trimmed();
            if (t.text.isEmpty())
                syntaxError(position, QStringLiteral("empty field name"));
            i = end + 1;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && text[i + 1].isDigit())) {
            qsizetype j = i;
            while (j < n && text[j].isDigit())
                ++j;
            if (j < n && text[j] == QLatin1Char('.')) {
                ++j;
                while (j < n && text[j].isDigit())
                    ++j;
            }
            if (j < n && (text[j].isLetter() || text[j] == QLatin1Char('_')))
                syntaxError(static_cast<int>(j) + 1, QStringLiteral("unexpected '%1'").arg(text[j]));
            t.type = Token::Type::Number;
            t.text = text.mid(i, j - i);
            i = j;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            qsizetype j = i;
            while (j < n && (text[j].isLetterOrNumber() || text[j] == QLatin1Char('_')))
                ++j;
            t.text = text.mid(i, j - i);
            const QString upper = t.text.toUpper();
            if (isKeyword(upper)) {
                t.type = Token::Type::Keyword;
                t.text = upper;
            } else {
                t.type = Token::Type::Name;
            }
            i = j;
        } else if (c == QLatin1Char('(')) {
            t.type = Token::Type::LParen;
            ++i;
        } else if (c == QLatin1Char(')')) {
            t.type = Token::Type::RParen;
            ++i;
        } else if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('!')
                   || c == QLatin1Char('-')) {
            t.type = Token::Type::Operator;
            t.text = c;
            if (i + 1 < n) {
                const QString two = text.mid(i, 2);
                if (two == QLatin1String("<>") || two == QLatin1String("<=") || two == QLatin1String(">=")
                    || two == QLatin1String("!="))
                    t.text = two;
            }
            if (t.text == QLatin1String("!"))
                syntaxError(position, QStringLiteral("unexpected '!'"));
            i += t.text.size();
        } else {
            syntaxError(position, QStringLiteral("unexpected '%1'").arg(c));
        }
        tokens.push_back(t);
    }
    Token end;
    end.position = static_cast<int>(n) + 1;
    tokens.push_back(end);
    return tokens;
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    std::unique_ptr<FilterExpr> parseAll()
    {
        auto expr = parseOr();
        if (peek().type != Token::Type::End)
            syntaxError(peek().position, QStringLiteral("unexpected '%1'").arg(describe(peek())));
        return expr;
    }

private:
    const Token& peek() const { return tokens_[pos_]; }
    const Token& take() { return tokens_[pos_++]; }
    bool atKeyword(const char* word) const
    {
        return peek().type == Token::Type::Keyword && peek().text == QLatin1String(word);
    }

    static QString describe(const Token& t)
    {
        switch (t.type) {
        case Token::Type::End: return QStringLiteral("end of text");
        case Token::Type::LParen: return QStringLiteral("(");
        case Token::Type::RParen: return QStringLiteral(")");
        case Token::Type::String: return QLatin1Char('\'') + t.text + QLatin1Char('\'');
        default: return t.text;
        }
    }

    static std::unique_ptr<FilterExpr> binary(FilterExpr::Kind kind, int position, std::unique_ptr<FilterExpr> l,
                                              std::unique_ptr<FilterExpr> r)
    {
        auto node = std::make_unique<FilterExpr>();
        node->kind = kind;
        node->position = position;
        node->left = std::move(l);
        node->right = std::move(r);
        return node;
    }

    std::unique_ptr<FilterExpr> parseOr()
    {
        auto left = parseAnd();
        while (atKeyword("OR")) {
            const int position = take().position;
            left = binary(FilterExpr::Kind::Or, position, std::move(left), parseAnd());
        }
        return left;
    }

    std::unique_ptr<FilterExpr> parseAnd()
    {
        auto left = parseNot();
        while (atKeyword("AND")) {
            const int position = take().position;
            left = binary(FilterExpr::Kind::And, position, std::move(left), parseNot());
        }
        return left;
    }

    std::unique_ptr<FilterExpr> parseNot()
    {
        if (atKeyword("NOT")) {
            const int position = take().position;
            return binary(FilterExpr::Kind::Not, position, parseNot(), nullptr);
        }
        return parsePredicate();
    }

    std::unique_ptr<FilterExpr> parsePredicate()
    {
        if (peek().type == Token::Type::LParen) {
            take();
            auto inner = parseOr();
            if (peek().type != Token::Type::RParen)
                syntaxError(peek().position, QStringLiteral("')' expected instead of %1").arg(describe(peek())));
            take();
            return inner;
        }
        auto left = parseOperand();
        const Token& t = peek();
        if (t.type == Token::Type::Operator) {
            const int position = t.position;
            const QString op = take().text;
            auto node = binary(FilterExpr::Kind::Compare, position, std::move(left), parseOperand());
            if (op == QLatin1String("="))
                node->op = CompareOp::Equal;
            else if (op == QLatin1String("<>") || op == QLatin1String("!="))
                node->op = CompareOp::NotEqual;
            else if (op == QLatin1String("<"))
                node->op = CompareOp::Less;
            else if (op == QLatin1String(">"))
                node->op = CompareOp::Greater;
            else if (op == QLatin1String("<="))
                node->op = CompareOp::LessEqual;
            else if (op == QLatin1String(">="))
                node->op = CompareOp::GreaterEqual;
            else
                syntaxError(position, QStringLiteral("unexpected '%1'").arg(op));
            return node;
        }
        if (atKeyword("NOT") || atKeyword("LIKE")) {
            const int position = peek().position;
            bool negated = false;
            if (atKeyword("NOT")) {
                take();
                negated = true;
                if (!atKeyword("LIKE"))
                    syntaxError(peek().position, QStringLiteral("LIKE expected"));
            }
            take();
            auto node = binary(FilterExpr::Kind::Like, position, std::move(left), parseOperand());
            node->negated = negated;
            return node;
        }
        if (atKeyword("IS")) {
            const int position = take().position;
            bool negated = false;
            if (atKeyword("NOT")) {
                take();
                negated = true;
            }
            if (!atKeyword("NULL"))
                syntaxError(peek().position, QStringLiteral("NULL expected"));
            take();
            auto node = binary(FilterExpr::Kind::IsNull, position, std::move(left), nullptr);
            node->negated = negated;
            return node;
        }
        if (left->kind == FilterExpr::Kind::Field)
            return left; // a Boolean field on its own
        syntaxError(t.position, QStringLiteral("comparison expected instead of %1").arg(describe(t)));
    }

    std::unique_ptr<FilterExpr> parseOperand()
    {
        const Token& t = peek();
        auto node = std::make_unique<FilterExpr>();
        node->position = t.position;
        switch (t.type) {
        case Token::Type::Name:
            node->kind = FilterExpr::Kind::Field;
            node->name = take().text;
            return node;
        case Token::Type::String:
            node->kind = FilterExpr::Kind::Literal;
            node->literal = FilterExpr::LiteralType::String;
            node->text = take().text;
            return node;
        case Token::Type::Number:
            node->kind = FilterExpr::Kind::Literal;
            node->literal = FilterExpr::LiteralType::Number;
            node->text = take().text;
            return node;
        case Token::Type::Operator:
            if (t.text == QLatin1String("-")) {
                take();
                if (peek().type != Token::Type::Number)
                    syntaxError(peek().position, QStringLiteral("number expected after '-'"));
                node->kind = FilterExpr::Kind::Literal;
                node->literal = FilterExpr::LiteralType::Number;
                node->text = QLatin1Char('-') + take().text;
                return node;
            }
            break;
        case Token::Type::Keyword:
            if (t.text == QLatin1String("NULL") || t.text == QLatin1String("TRUE") || t.text == QLatin1String("FALSE")) {
                node->kind = FilterExpr::Kind::Literal;
                node->literal = t.text == QLatin1String("NULL") ? FilterExpr::LiteralType::Null
                                                                : FilterExpr::LiteralType::Boolean;
                node->boolean = t.text == QLatin1String("TRUE");
                take();
                return node;
            }
            break;
        default:
            break;
        }
        syntaxError(t.position, QStringLiteral("field name or value expected instead of %1").arg(describe(t)));
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
};

} // namespace

std::unique_ptr<FilterExpr> parseFilter(const QString& text)
{
    std::vector<Token> tokens = tokenize(text);
    if (tokens.size() == 1)
        return nullptr;
    return Parser(std::move(tokens)).parseAll();
}

} // namespace velta
