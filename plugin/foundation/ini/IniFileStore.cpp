#include "plugin/foundation/ini/IniFileStore.h"

#include "plugin/foundation/ini/IniDocument.h"
#include "plugin/foundation/ini/IniFileCache.h"
#include "plugin/foundation/ini/IniFileIO.h"
#include "plugin/platform/SystemError.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace velta::IniFileStore {

namespace {

constexpr int kInvalidParameter = 87;

int setLastError(int code)
{
    SystemError::setLast(code);
    return code;
}

bool hasLineBreakOrZero(const QString& text)
{
    for (const QChar c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\0')
            return true;
    }
    return false;
}

// The changes of this thread's open DeferredWrites: held in memory until committed.
struct Pending {
    QString path;
    int depth = 0;
    bool loaded = false;
    bool dirty = false;
    std::shared_ptr<const IniDocument> doc;
};

thread_local Pending* t_pending = nullptr;

// Loads the current document of a file: from the cache when the file is unchanged.
// A missing file is an empty document. Inside DeferredWrites for the same file,
// the document with the changes not yet written is the current one.
bool load(const QString& fileName, QString& path, std::shared_ptr<const IniDocument>& doc)
{
    struct stat st {};
    int statErrno = 0;
    path = IniFileIO::resolvePath(fileName, st, statErrno);
    if (t_pending && t_pending->loaded && t_pending->path == path) {
        doc = t_pending->doc;
        return true;
    }
    IniFileCache& cache = IniFileCache::instance();
    if (statErrno != 0) {
        cache.forget(path);
        doc = IniDocument::empty();
        if (statErrno == ENOENT || statErrno == ENOTDIR) {
            setLastError(SystemError::FileNotFound);
            return true;
        }
        SystemError::setLastFromErrno(statErrno);
        return false;
    }
    if (auto cached = cache.lookup(path, IniFileStamp::of(st))) {
        doc = std::move(cached);
        return true;
    }
    QByteArray bytes;
    if (!IniFileIO::readFile(path, bytes, st)) {
        doc = IniDocument::empty();
        return false;
    }
    auto parsed = std::make_shared<const IniDocument>(IniDocument::parse(bytes));
    cache.store(path, IniFileStamp::of(st), parsed);
    doc = std::move(parsed);
    return true;
}

// Writes a document over a file atomically and caches it.
bool store(const QString& path, std::shared_ptr<const IniDocument> next)
{
    IniFileCache& cache = IniFileCache::instance();
    if (!IniFileIO::replaceFile(path, next->serialize())) {
        cache.forget(path);
        return false;
    }
    struct stat after {};
    if (::stat(QFile::encodeName(path).constData(), &after) == 0)
        cache.store(path, IniFileStamp::of(after), std::move(next));
    else
        cache.forget(path);
    setLastError(SystemError::Success);
    return true;
}

// Applies one change to a file and writes it when the content changed (or, in
// DeferredWrites for that file, keeps it for the commit).
bool modify(const QString& fileName, const std::function<bool(IniDocument&)>& change)
{
    QString path;
    std::shared_ptr<const IniDocument> current;
    if (!load(fileName, path, current))
        return false;
    IniDocument next = *current;
    if (!change(next)) {
        setLastError(SystemError::Success);
        return true;
    }
    if (t_pending && t_pending->path == path) {
        t_pending->loaded = true;
        t_pending->dirty = true;
        t_pending->doc = std::make_shared<const IniDocument>(std::move(next));
        setLastError(SystemError::Success);
        return true;
    }
    return store(path, std::make_shared<const IniDocument>(std::move(next)));
}

} // namespace

bool readString(const QString& fileName, const QString& section, const QString& key,
                const QString& defaultValue, int bufferSize, QString& result)
{
    QString path;
    std::shared_ptr<const IniDocument> doc;
    const bool ok = load(fileName, path, doc);
    const QString* value = doc->find(section, key);
    if (value) {
        result = *value;
        if (result.size() >= 2 && result.front() == u'"' && result.back() == u'"')
            result = result.sliced(1, result.size() - 2);
    } else {
        // The platform drops trailing blanks of the default.
        result = defaultValue;
        while (!result.isEmpty() && (result.back() == u' ' || result.back() == u'\t'))
            result.chop(1);
    }
    const int limit = std::max(bufferSize - 1, 0);
    if (result.size() > limit)
        result.truncate(limit);
    return ok;
}

bool readKeys(const QString& fileName, const QString& section, QStringList& keys)
{
    QString path;
    std::shared_ptr<const IniDocument> doc;
    const bool ok = load(fileName, path, doc);
    keys = doc->keyNames(section);
    return ok;
}

bool readSections(const QString& fileName, QStringList& sections)
{
    QString path;
    std::shared_ptr<const IniDocument> doc;
    const bool ok = load(fileName, path, doc);
    sections = doc->sectionNames();
    return ok;
}

bool writeString(const QString& fileName, const std::optional<QString>& section,
                 const std::optional<QString>& key, const std::optional<QString>& value)
{
    if (!section) {
        IniFileCache::instance().forget(nativePathOf(fileName));
        setLastError(SystemError::Success);
        return true;
    }
    if (hasLineBreakOrZero(*section) || section->contains(u']')) {
        setLastError(SystemError::InvalidName);
        return false;
    }
    if (!key)
        return modify(fileName, [&](IniDocument& doc) { return doc.removeSection(*section); });
    const QString keyName = IniDocument::trimmedName(*key);
    if (keyName.isEmpty() || hasLineBreakOrZero(keyName) || keyName.contains(u'=') || keyName.startsWith(u'[')
        || keyName.startsWith(u';')) {
        setLastError(SystemError::InvalidName);
        return false;
    }
    if (!value)
        return modify(fileName, [&](IniDocument& doc) { return doc.removeKey(*section, keyName); });
    if (hasLineBreakOrZero(*value)) {
        setLastError(kInvalidParameter);
        return false;
    }
    return modify(fileName, [&](IniDocument& doc) { return doc.setValue(*section, keyName, *value); });
}

bool probeReadable(const QString& fileName)
{
    struct stat st {};
    int statErrno = 0;
    const QString path = IniFileIO::resolvePath(fileName, st, statErrno);
    if (statErrno != 0) {
        if (statErrno == ENOENT)
            setLastError(SystemError::FileNotFound);
        else
            SystemError::setLastFromErrno(statErrno);
        return false;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SystemError::setLastFromErrno(errno);
        return false;
    }
    ::close(fd);
    if (!S_ISREG(st.st_mode)) {
        setLastError(SystemError::AccessDenied);
        return false;
    }
    return true;
}

QString nativePathOf(const QString& fileName)
{
    struct stat st {};
    int statErrno = 0;
    return IniFileIO::resolvePath(fileName, st, statErrno);
}

void clearCache()
{
    IniFileCache::instance().clear();
}

struct DeferredWrites::State : Pending {
    Pending* outer = nullptr;
};

DeferredWrites::DeferredWrites(const QString& fileName)
{
    const QString path = nativePathOf(fileName);
    if (t_pending && t_pending->path == path) {
        ++t_pending->depth; // nested: the outermost commits
        return;
    }
    state_ = std::make_unique<State>();
    state_->path = path;
    state_->outer = t_pending;
    t_pending = state_.get();
}

DeferredWrites::~DeferredWrites()
{
    if (!state_) {
        --t_pending->depth;
        return;
    }
    t_pending = state_->outer;
}

bool DeferredWrites::commit()
{
    if (!state_ || !state_->dirty) {
        setLastError(SystemError::Success);
        return true;
    }
    // Written outside the deferral, as an ordinary change.
    Pending* const self = t_pending;
    t_pending = state_->outer;
    const bool ok = store(state_->path, state_->doc);
    t_pending = self;
    if (ok) {
        state_->dirty = false;
        state_->loaded = false;
        setLastError(SystemError::Success);
    }
    return ok;
}

} // namespace velta::IniFileStore
