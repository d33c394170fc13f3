#include "plugin/foundation/ini/IniFileCache.h"

#include <sys/stat.h>

namespace velta {

namespace {

constexpr int kMaxCachedFiles = 64;

} // namespace

IniFileStamp IniFileStamp::of(const struct stat& st)
{
    return {static_cast<qint64>(st.st_size), static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            static_cast<quint64>(st.st_ino), static_cast<quint64>(st.st_dev)};
}

IniFileCache& IniFileCache::instance()
{
    static IniFileCache cache;
    return cache;
}

std::shared_ptr<const IniDocument> IniFileCache::lookup(const QString& path, const IniFileStamp& stamp)
{
    std::lock_guard guard(mutex_);
    const auto it = files_.constFind(path);
    if (it == files_.constEnd() || !(it->stamp == stamp))
        return nullptr;
    return it->doc;
}

void IniFileCache::store(const QString& path, const IniFileStamp& stamp, std::shared_ptr<const IniDocument> doc)
{
    std::lock_guard guard(mutex_);
    if (files_.size() >= kMaxCachedFiles && !files_.contains(path))
        files_.clear();
    files_.insert(path, Entry{stamp, std::move(doc)});
}

void IniFileCache::forget(const QString& path)
{
    std::lock_guard guard(mutex_);
    files_.remove(path);
}

QString IniFileCache::mappedPath(const QString& key)
{
    std::lock_guard guard(mutex_);
    return paths_.value(key);
}

void IniFileCache::storeMappedPath(const QString& key, const QString& path)
{
    std::lock_guard guard(mutex_);
    if (paths_.size() >= kMaxCachedFiles * 4)
        paths_.clear();
    paths_.insert(key, path);
}

void IniFileCache::clear()
{
    std::lock_guard guard(mutex_);
    files_.clear();
    paths_.clear();
}

} // namespace velta
