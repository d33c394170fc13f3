#pragma once
// The process-wide cache of the INI store: parsed files by native path, each
// with the stamp of the file version it was read from, and the native path of
// each file name as it was last mapped (mapping a Windows-style name scans
// folders). Safe to use from any thread.
#include "plugin/foundation/ini/IniDocument.h"

#include <QHash>
#include <QString>
#include <memory>
#include <mutex>

struct stat;

namespace velta {

// What identifies one version of a file on disk.
struct IniFileStamp {
    qint64 size = -1;
    qint64 mtimeNs = 0;
    quint64 inode = 0;
    quint64 device = 0;
    bool operator==(const IniFileStamp&) const = default;

    static IniFileStamp of(const struct stat& st);
};

class IniFileCache {
public:
    static IniFileCache& instance();

    // The document cached for the path when it was read from this version of the file.
    std::shared_ptr<const IniDocument> lookup(const QString& path, const IniFileStamp& stamp);
    void store(const QString& path, const IniFileStamp& stamp, std::shared_ptr<const IniDocument> doc);
    void forget(const QString& path);

    // Keyed by the suite's root and the file name as given.
    QString mappedPath(const QString& key);
    void storeMappedPath(const QString& key, const QString& path);

    void clear();

private:
    struct Entry {
        IniFileStamp stamp;
        std::shared_ptr<const IniDocument> doc;
    };

    std::mutex mutex_;
    QHash<QString, Entry> files_;
    QHash<QString, QString> paths_;
};

} // namespace velta
