#pragma once
// One INI file parsed into sections and keys, kept line by line as its cp1251
// bytes so that the lines a change does not touch are written back as they
// were. Names match without regard to letter case and the first occurrence of
// a section or key wins, as with the platform functions. A document in the
// cache is never changed; changes are made on a copy.
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace velta {

class IniDocument {
public:
    static IniDocument parse(const QByteArray& bytes);
    // The document with no lines, shared.
    static const std::shared_ptr<const IniDocument>& empty();
    // A section or key name without the blanks and tabs around it.
    static QString trimmedName(const QString& name);

    QByteArray serialize() const;

    // The value of a key, trimmed, quotes kept; null when the key is missing.
    const QString* find(const QString& section, const QString& key) const;
    // The names in file order, each name once, as first spelled.
    QStringList sectionNames() const;
    QStringList keyNames(const QString& section) const;

    // Each change returns whether the document changed. A new section goes at
    // the end; a new key after the last non-blank line of its section.
    bool setValue(const QString& sectionName, const QString& keyName, const QString& value);
    bool removeKey(const QString& sectionName, const QString& keyName);
    bool removeSection(const QString& sectionName);

private:
    struct Line {
        enum class Kind { Other, Key };
        QByteArray raw; // with its line end, as read
        Kind kind = Kind::Other;
        QString name;  // key name, trimmed
        QString value; // value, trimmed, quotes kept
    };

    struct Section {
        QByteArray header; // the "[name]" line with its end; null for the lines before the first section
        QString name;
        std::vector<Line> lines;
        QHash<QString, int> keyIndex; // folded key name -> first line holding it

        void reindex();
    };

    std::vector<Section> sections_;
    QHash<QString, int> sectionIndex_;
    bool crlf_ = true;

    // The end of a line this document writes: LF in a file of LF lines, else CR LF.
    QByteArray lineEnd() const { return crlf_ ? QByteArray("\r\n") : QByteArray("\n"); }
    QByteArray rawKeyLine(const QString& name, const QByteArray& valueBytes) const;
    Line makeKeyLine(const QString& name, const QByteArray& valueBytes) const;
    void addParsedLine(QByteArrayView raw);
    void reindexSections();
    const Section* findSection(const QString& name) const;
    Section* findSection(const QString& name);
};

} // namespace velta
