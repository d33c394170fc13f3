#include "plugin/platform/RegistryHive.h"

#include "common/Hex.h"

#include <climits>
#include <optional>

namespace velta {

namespace {

constexpr char kHeader[] = "; Velta registry hive, UTF-8";

QString quote(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '"': out += QStringLiteral("\\\""); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
                out += QStringLiteral("\\x");
                out += QLatin1Char(HexDigitChar(c.unicode() >> 4));
                out += QLatin1Char(HexDigitChar(c.unicode()));
            } else {
                out += c;
            }
        }
    }
    out += u'"';
    return out;
}

// Reads a quoted text starting at pos (on the opening quote); moves pos past
// the closing quote. Nothing when the text is not well formed.
std::optional<QString> unquote(QStringView line, qsizetype& pos)
{
    if (pos >= line.size() || line[pos] != u'"')
        return std::nullopt;
    QString out;
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'"') {
            pos = i + 1;
            return out;
        }
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i >= line.size())
            return std::nullopt;
        switch (line[i].unicode()) {
        case '\\': out += u'\\'; break;
        case '"': out += u'"'; break;
        case 'n': out += u'\n'; break;
        case 'r': out += u'\r'; break;
        case 't': out += u'\t'; break;
        case 'x': {
            if (i + 2 >= line.size())
                return std::nullopt;
            const int high = HexDigitValue(line[i + 1].unicode());
            const int low = HexDigitValue(line[i + 2].unicode());
            if (high < 0 || low < 0)
                return std::nullopt;
            out += QChar(char16_t(high * 16 + low));
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

void skipBlanks(QStringView line, qsizetype& pos)
{
    while (pos < line.size() && (line[pos] == u' ' || line[pos] == u'\t'))
        ++pos;
}

// A value line: @=... or "name"=... with a quoted text, int:N, dword:XXXXXXXX or bool:true/false.
std::optional<RegValue> parseValueLine(QStringView line)
{
    RegValue value;
    qsizetype pos = 0;
    if (line.startsWith(u'@')) {
        pos = 1;
    } else {
        auto name = unquote(line, pos);
        if (!name)
            return std::nullopt;
        value.name = *name;
    }
    skipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != u'=')
        return std::nullopt;
    ++pos;
    skipBlanks(line, pos);
    const QStringView rest = line.mid(pos);
    if (rest.startsWith(u'"')) {
        auto text = unquote(line, pos);
        if (!text)
            return std::nullopt;
        skipBlanks(line, pos);
        if (pos != line.size())
            return std::nullopt;
        value.type = RegDataType::String;
        value.text = *text;
        return value;
    }
    bool ok = false;
    if (rest.startsWith(u"int:")) {
        const qlonglong number = rest.mid(4).trimmed().toLongLong(&ok);
        if (!ok || number < INT_MIN || number > INT_MAX)
            return std::nullopt;
        value.type = RegDataType::Integer;
        value.number = int(number);
        return value;
    }
    if (rest.startsWith(u"dword:")) {
        const QStringView digits = rest.mid(6).trimmed();
        const qulonglong number = digits.toULongLong(&ok, 16);
        if (!ok || digits.size() > 8)
            return std::nullopt;
        value.type = RegDataType::Integer;
        value.number = int(static_cast<quint32>(number));
        return value;
    }
    if (rest.startsWith(u"bool:")) {
        const QStringView word = rest.mid(5).trimmed();
        if (word != u"true" && word != u"false")
            return std::nullopt;
        value.type = RegDataType::Boolean;
        value.number = word == u"true" ? 1 : 0;
        return value;
    }
    return std::nullopt;
}

QString valueLine(const RegValue& value)
{
    QString line = value.name.isEmpty() ? QStringLiteral("@") : quote(value.name);
    line += u'=';
    switch (value.type) {
    case RegDataType::String: line += quote(value.text); break;
    case RegDataType::Integer: line += QStringLiteral("int:%1").arg(value.number); break;
    case RegDataType::Boolean: line += value.number ? QStringLiteral("bool:true") : QStringLiteral("bool:false"); break;
    case RegDataType::None: break;
    }
    return line;
}

} // namespace

RegistryHive::RegistryHive()
{
    keys_.emplace(QString(), Key{});
}

QString RegistryHive::normalizePath(const QString& path)
{
    return path.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
}

bool RegistryHive::isValidPath(const QString& path)
{
    for (const QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

RegistryHive::Key* RegistryHive::find(const QString& path)
{
    const auto it = keys_.find(fold(normalizePath(path)));
    return it == keys_.end() ? nullptr : &it->second;
}

const RegistryHive::Key* RegistryHive::find(const QString& path) const
{
    const auto it = keys_.find(fold(normalizePath(path)));
    return it == keys_.end() ? nullptr : &it->second;
}

bool RegistryHive::hasKey(const QString& path) const
{
    return find(path) != nullptr;
}

bool RegistryHive::createKey(const QString& path)
{
    if (!isValidPath(path))
        return false;
    const QStringList names = path.split(u'\\', Qt::SkipEmptyParts);
    QString spelt;
    for (const QString& name : names) {
        const QString candidate = spelt.isEmpty() ? name : spelt + u'\\' + name;
        auto it = keys_.find(fold(candidate));
        if (it == keys_.end())
            it = keys_.emplace(fold(candidate), Key{candidate, {}, {}}).first;
        spelt = it->second.path; // keeps the spelling of keys that exist
    }
    return true;
}

bool RegistryHive::deleteKey(const QString& path)
{
    const QString folded = fold(normalizePath(path));
    if (folded.isEmpty())
        return false;
    const auto it = keys_.find(folded);
    if (it == keys_.end())
        return false;
    const QString prefix = folded + u'\\';
    auto sub = keys_.lower_bound(prefix);
    while (sub != keys_.end() && sub->first.startsWith(prefix))
        sub = keys_.erase(sub);
    keys_.erase(folded);
    return true;
}

QStringList RegistryHive::subkeyNames(const QString& path) const
{
    QStringList names;
    const QString folded = fold(normalizePath(path));
    if (!keys_.count(folded))
        return names;
    const QString prefix = folded.isEmpty() ? QString() : folded + u'\\';
    for (auto it = keys_.lower_bound(prefix); it != keys_.end() && it->first.startsWith(prefix); ++it) {
        if (it->first.size() == prefix.size() || it->first.indexOf(u'\\', prefix.size()) >= 0)
            continue;
        names << it->second.path.mid(it->second.path.lastIndexOf(u'\\') + 1);
    }
    return names;
}

const RegValue* RegistryHive::value(const QString& path, const QString& name) const
{
    const Key* key = find(path);
    if (!key)
        return nullptr;
    for (const RegValue& v : key->values) {
        if (QString::compare(v.name, name, Qt::CaseInsensitive) == 0)
            return &v;
    }
    return nullptr;
}

QStringList RegistryHive::valueNames(const QString& path) const
{
    QStringList names;
    if (const Key* key = find(path)) {
        for (const RegValue& v : key->values)
            names << v.name;
    }
    return names;
}

bool RegistryHive::setValue(const QString& path, const RegValue& value)
{
    Key* key = find(path);
    if (!key)
        return false;
    for (RegValue& v : key->values) {
        if (QString::compare(v.name, value.name, Qt::CaseInsensitive) == 0) {
            const QString spelt = v.name;
            v = value;
            v.name = spelt;
            return true;
        }
    }
    key->values.push_back(value);
    return true;
}

bool RegistryHive::deleteValue(const QString& path, const QString& name)
{
    Key* key = find(path);
    if (!key)
        return false;
    for (auto it = key->values.begin(); it != key->values.end(); ++it) {
        if (QString::compare(it->name, name, Qt::CaseInsensitive) == 0) {
            key->values.erase(it);
            return true;
        }
    }
    return false;
}

int RegistryHive::unreadableLineCount() const
{
    int count = 0;
    for (const auto& [folded, key] : keys_)
        count += int(key.unreadable.size());
    return count;
}

RegistryHive RegistryHive::parse(const QByteArray& utf8)
{
    RegistryHive hive;
    QString current;
    const QString text = QString::fromUtf8(utf8);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString path = normalizePath(line.mid(1, line.size() - 2).toString());
            if (hive.createKey(path)) {
                current = path;
                continue;
            }
        } else if (auto value = parseValueLine(line)) {
            hive.setValue(current, *value);
            continue;
        }
        hive.find(current)->unreadable << line.toString();
    }
    return hive;
}

QByteArray RegistryHive::serialize() const
{
    QString out = QString::fromLatin1(kHeader) + u'\n';
    for (const auto& [folded, key] : keys_) {
        if (folded.isEmpty() && key.values.empty() && key.unreadable.isEmpty())
            continue;
        out += u'\n';
        out += u'[' + key.path + QStringLiteral("]\n");
        for (const RegValue& v : key.values)
            out += valueLine(v) + u'\n';
        for (const QString& line : key.unreadable)
            out += line + u'\n';
    }
    return out.toUtf8();
}

} // namespace velta
