#include "plugin/foundation/ini/IniDocument.h"

#include "common/Codecs.h"

#include <utility>

namespace velta {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A line without its line end.
QByteArrayView lineText(QByteArrayView raw)
{
    while (raw.endsWith('\n') || raw.endsWith('\r'))
        raw.chop(1);
    return raw;
}

QByteArrayView trimmedBytes(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QString folded(const QString& name)
{
    return IniDocument::trimmedName(name).toCaseFolded();
}

QString trimmedValue(QByteArrayView bytes)
{
    return codec::fromCp1251(trimmedBytes(bytes));
}

} // namespace

void IniDocument::Section::reindex()
{
    keyIndex.clear();
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        // The first occurrence of a key wins, as with the platform functions.
        if (lines[i].kind == Line::Kind::Key) {
            const QString key = lines[i].name.toCaseFolded();
            if (!keyIndex.contains(key))
                keyIndex.insert(key, i);
        }
    }
}

IniDocument IniDocument::parse(const QByteArray& bytes)
{
    IniDocument doc;
    doc.sections_.emplace_back(); // the lines before the first section
    if (bytes.indexOf("\r\n") < 0 && bytes.contains('\n'))
        doc.crlf_ = false;
    // A line ends at CR LF, LF or a lone CR, as the Windows reader takes it;
    // a last line without an end is given a line feed.
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        if (end == bytes.size()) {
            doc.addParsedLine(bytes.sliced(start) + '\n');
            break;
        }
        end += bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
        doc.addParsedLine(bytes.sliced(start, end - start));
        start = end;
    }
    for (auto& section : doc.sections_)
        section.reindex();
    doc.reindexSections();
    return doc;
}

const std::shared_ptr<const IniDocument>& IniDocument::empty()
{
    static const std::shared_ptr<const IniDocument> empty = std::make_shared<IniDocument>(parse({}));
    return empty;
}

QString IniDocument::trimmedName(const QString& name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && (name[begin] == u' ' || name[begin] == u'\t'))
        ++begin;
    while (end > begin && (name[end - 1] == u' ' || name[end - 1] == u'\t'))
        --end;
    return name.sliced(begin, end - begin);
}

QByteArray IniDocument::serialize() const
{
    QByteArray out;
    for (const auto& section : sections_) {
        out += section.header;
        for (const auto& line : section.lines)
            out += line.raw;
    }
    return out;
}

const QString* IniDocument::find(const QString& section, const QString& key) const
{
    const Section* s = findSection(section);
    if (!s)
        return nullptr;
    const auto it = s->keyIndex.constFind(folded(key));
    return it == s->keyIndex.constEnd() ? nullptr : &s->lines[*it].value;
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    QHash<QString, bool> seen;
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        const QString key = sections_[i].name.toCaseFolded();
        if (!seen.contains(key)) {
            seen.insert(key, true);
            names << sections_[i].name;
        }
    }
    return names;
}

QStringList IniDocument::keyNames(const QString& section) const
{
    QStringList names;
    const Section* s = findSection(section);
    if (!s)
        return names;
    for (int i = 0; i < static_cast<int>(s->lines.size()); ++i) {
        const Line& line = s->lines[i];
        if (line.kind == Line::Kind::Key && s->keyIndex.value(line.name.toCaseFolded(), -1) == i)
            names << line.name;
    }
    return names;
}

bool IniDocument::setValue(const QString& sectionName, const QString& keyName, const QString& value)
{
    const QString key = trimmedName(keyName);
    const QByteArray valueBytes = codec::toCp1251(value);
    Section* s = findSection(sectionName);
    if (!s) {
        Section fresh;
        fresh.name = trimmedName(sectionName);
        fresh.header = '[' + codec::toCp1251(fresh.name) + ']' + lineEnd();
        fresh.lines.push_back(makeKeyLine(key, valueBytes));
        fresh.reindex();
        sections_.push_back(std::move(fresh));
        reindexSections();
        return true;
    }
    const auto it = s->keyIndex.constFind(key.toCaseFolded());
    if (it != s->keyIndex.constEnd()) {
        Line& line = s->lines[*it];
        if (lineText(line.raw) == lineText(rawKeyLine(line.name, valueBytes)))
            return false;
        line = makeKeyLine(line.name, valueBytes); // the stored spelling of the key stays
        return true;
    }
    // A new key goes after the last non-blank line of its section, so the
    // blank lines that separate sections stay where they are.
    std::size_t at = s->lines.size();
    while (at > 0 && trimmedBytes(s->lines[at - 1].raw).isEmpty())
        --at;
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), makeKeyLine(key, valueBytes));
    s->reindex();
    return true;
}

bool IniDocument::removeKey(const QString& sectionName, const QString& keyName)
{
    Section* s = findSection(sectionName);
    if (!s)
        return false;
    const QString key = folded(keyName);
    bool changed = false;
    for (auto it = s->lines.begin(); it != s->lines.end();) {
        if (it->kind == Line::Kind::Key && it->name.toCaseFolded() == key) {
            it = s->lines.erase(it);
            changed = true;
        } else {
            ++it;
        }
    }
    if (changed)
        s->reindex();
    return changed;
}

bool IniDocument::removeSection(const QString& sectionName)
{
    const QString name = folded(sectionName);
    const auto before = sections_.size();
    std::erase_if(sections_, [&](const Section& s) { return !s.header.isNull() && s.name.toCaseFolded() == name; });
    if (sections_.size() == before)
        return false;
    reindexSections();
    return true;
}

QByteArray IniDocument::rawKeyLine(const QString& name, const QByteArray& valueBytes) const
{
    return codec::toCp1251(name) + '=' + valueBytes + lineEnd();
}

IniDocument::Line IniDocument::makeKeyLine(const QString& name, const QByteArray& valueBytes) const
{
    Line line;
    line.kind = Line::Kind::Key;
    line.name = name;
    line.value = trimmedValue(valueBytes);
    line.raw = rawKeyLine(name, valueBytes);
    return line;
}

void IniDocument::addParsedLine(QByteArrayView raw)
{
    const QByteArrayView text = trimmedBytes(raw);
    if (text.startsWith('[')) {
        Section section;
        section.header = raw.toByteArray();
        qsizetype close = text.indexOf(']');
        if (close < 0)
            close = text.size();
        section.name = codec::fromCp1251(trimmedBytes(text.sliced(1, close - 1)));
        sections_.push_back(std::move(section));
        return;
    }
    Line line;
    line.raw = raw.toByteArray();
    const qsizetype eq = text.indexOf('=');
    if (sections_.size() > 1 && eq > 0 && !text.startsWith(';')) {
        const QByteArrayView name = trimmedBytes(text.first(eq));
        if (!name.isEmpty()) {
            line.kind = Line::Kind::Key;
            line.name = codec::fromCp1251(name);
            line.value = trimmedValue(text.sliced(eq + 1));
        }
    }
    sections_.back().lines.push_back(std::move(line));
}

void IniDocument::reindexSections()
{
    sectionIndex_.clear();
    for (int i = static_cast<int>(sections_.size()) - 1; i >= 1; --i)
        sectionIndex_.insert(sections_[i].name.toCaseFolded(), i);
}

const IniDocument::Section* IniDocument::findSection(const QString& name) const
{
    const auto it = sectionIndex_.constFind(folded(name));
    return it == sectionIndex_.constEnd() ? nullptr : &sections_[*it];
}

IniDocument::Section* IniDocument::findSection(const QString& name)
{
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

} // namespace velta
