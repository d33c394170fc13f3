#pragma once
// One registry hive in memory: keys by path (names matched without regard to
// letter case, kept with the spelling first used) and their typed values, with
// the hive file's text form (UTF-8, one "[key path]" line per key followed by
// its "name"=value lines). Lines that cannot be read are kept as they are and
// written back, so a damaged file loses nothing more on the next write.
#include "plugin/platform/Registry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace velta {

struct RegValue {
    QString name; // empty: the key's default value
    RegDataType type = RegDataType::None;
    QString text;
    int number = 0; // integers, and booleans as 0 or 1
};

class RegistryHive {
public:
    RegistryHive();

    // Key paths are names joined by single backslashes, without a leading one;
    // the empty path is the hive's root.
    static QString normalizePath(const QString& path);
    // Key names may hold any character but control characters.
    static bool isValidPath(const QString& path);

    static RegistryHive parse(const QByteArray& utf8);
    QByteArray serialize() const;

    bool hasKey(const QString& path) const;
    // Creates the key and its missing parents; false for an invalid name.
    bool createKey(const QString& path);
    // Deletes the key with all its subkeys; the root cannot be deleted.
    bool deleteKey(const QString& path);
    QStringList subkeyNames(const QString& path) const;

    const RegValue* value(const QString& path, const QString& name) const;
    QStringList valueNames(const QString& path) const;
    // False when the key does not exist.
    bool setValue(const QString& path, const RegValue& value);
    bool deleteValue(const QString& path, const QString& name);

    // Lines of the file that could not be read (kept for the next write).
    int unreadableLineCount() const;

private:
    struct Key {
        QString path;
        std::vector<RegValue> values;
        QStringList unreadable;
    };
    static QString fold(const QString& path) { return path.toCaseFolded(); }
    Key* find(const QString& path);
    const Key* find(const QString& path) const;

    std::map<QString, Key> keys_; // by case-folded path
};

} // namespace velta
