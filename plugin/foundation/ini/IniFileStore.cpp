#include "plugin/foundation/ini/IniFileStore.h"

#include "common/Codecs.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velta::IniFileStore {

namespace {

constexpr int kInvalidParameter = 87;
constexpr int kMaxCachedFiles = 64;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
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

QString trimmedName(const QString& name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && (name[begin] == u' ' || name[begin] == u'\t'))
        ++begin;
    while (end > begin && (name[end - 1] == u' ' || name[end - 1] == u'\t'))
        --end;
    return name.sliced(begin, end - begin);
}

QString folded(const QString& name)
{
    return trimmedName(name).toCaseFolded();
}

// One line of the file, kept as its bytes so untouched lines are written back as they were.
struct Line {
    enum class Kind { Other, Key };
    QByteArray raw; // without the line feed; a carriage return before it is kept
    Kind kind = Kind::Other;
    QString name;  // key name, trimmed
    QString value; // value, trimmed, quotes kept
};

struct Section {
    QByteArray header; // the "[name]" line; empty for the lines before the first section
    QString name;
    std::vector<Line> lines;
    QHash<QString, int> keyIndex; // folded key name -> first line holding it

    void reindex()
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
};

// A parsed INI file. Immutable once cached; changes are made on a copy.
class Document {
public:
    static Document parse(const QByteArray& bytes)
    {
        Document doc;
        doc.sections_.emplace_back(); // the lines before the first section
        if (bytes.indexOf("\r\n") < 0 && bytes.contains('\n'))
            doc.crlf_ = false;
        qsizetype start = 0;
        while (start < bytes.size()) {
            qsizetype end = bytes.indexOf('\n', start);
            if (end < 0)
                end = bytes.size();
            doc.addParsedLine(bytes.sliced(start, end - start));
            start = end + 1;
        }
        for (auto& section : doc.sections_)
            section.reindex();
        doc.reindexSections();
        return doc;
    }

    QByteArray serialize() const
    {
        QByteArray out;
        for (const auto& section : sections_) {
            if (!section.header.isNull())
                out += section.header + '\n';
            for (const auto& line : section.lines)
                out += line.raw + '\n';
        }
        return out;
    }

    const QString* find(const QString& section, const QString& key) const
    {
        const Section* s = findSection(section);
        if (!s)
            return nullptr;
        const auto it = s->keyIndex.constFind(folded(key));
        return it == s->keyIndex.constEnd() ? nullptr : &s->lines[*it].value;
    }

    QStringList sectionNames() const
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

    QStringList keyNames(const QString& section) const
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

    // Each change returns whether the document changed.
    bool setValue(const QString& sectionName, const QString& keyName, const QString& value)
    {
        const QString key = trimmedName(keyName);
        const QByteArray valueBytes = codec::toCp1251(value);
        Section* s = findSection(sectionName);
        if (!s) {
            Section fresh;
            fresh.name = trimmedName(sectionName);
            fresh.header = '[' + codec::toCp1251(fresh.name) + ']' + eolTail();
            fresh.lines.push_back(makeKeyLine(key, valueBytes));
            fresh.reindex();
            sections_.push_back(std::move(fresh));
            reindexSections();
            return true;
        }
        const auto it = s->keyIndex.constFind(key.toCaseFolded());
        if (it != s->keyIndex.constEnd()) {
            Line& line = s->lines[*it];
            if (line.raw == rawKeyLine(line.name, valueBytes))
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

    bool removeKey(const QString& sectionName, const QString& keyName)
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

    bool removeSection(const QString& sectionName)
    {
        const QString name = folded(sectionName);
        const auto before = sections_.size();
        std::erase_if(sections_, [&](const Section& s) { return !s.header.isNull() && s.name.toCaseFolded() == name; });
        if (sections_.size() == before)
            return false;
        reindexSections();
        return true;
    }

private:
    std::vector<Section> sections_;
    QHash<QString, int> sectionIndex_;
    bool crlf_ = true;

    QByteArray eolTail() const { return crlf_ ? QByteArray("\r") : QByteArray(); }

    static QString trimmedValue(QByteArrayView bytes) { return codec::fromCp1251(trimmedBytes(bytes)); }

    QByteArray rawKeyLine(const QString& name, const QByteArray& valueBytes) const
    {
        return codec::toCp1251(name) + '=' + valueBytes + eolTail();
    }

    Line makeKeyLine(const QString& name, const QByteArray& valueBytes) const
    {
        Line line;
        line.kind = Line::Kind::Key;
        line.name = name;
        line.value = trimmedValue(valueBytes);
        line.raw = rawKeyLine(name, valueBytes);
        return line;
    }

    void addParsedLine(QByteArrayView raw)
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

    void reindexSections()
    {
        sectionIndex_.clear();
        for (int i = static_cast<int>(sections_.size()) - 1; i >= 1; --i)
            sectionIndex_.insert(sections_[i].name.toCaseFolded(), i);
    }

    const Section* findSection(const QString& name) const
    {
        const auto it = sectionIndex_.constFind(folded(name));
        return it == sectionIndex_.constEnd() ? nullptr : &sections_[*it];
    }
    Section* findSection(const QString& name)
    {
        return const_cast<Section*>(std::as_const(*this).findSection(name));
    }
};

// What identifies one version of a file on disk.
struct FileStamp {
    qint64 size = -1;
    qint64 mtimeNs = 0;
    quint64 inode = 0;
    quint64 device = 0;
    bool operator==(const FileStamp&) const = default;

    static FileStamp of(const struct stat& st)
    {
        return {static_cast<qint64>(st.st_size),
                static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                static_cast<quint64>(st.st_ino), static_cast<quint64>(st.st_dev)};
    }
};

struct CacheEntry {
    FileStamp stamp;
    std::shared_ptr<const Document> doc;
};

// The process-wide cache: parsed files by native path, and the native path of
// each file name as it was last mapped (mapping a Windows-style name scans folders).
class Cache {
public:
    static Cache& instance()
    {
        static Cache cache;
        return cache;
    }

    std::shared_ptr<const Document> lookup(const QString& path, const FileStamp& stamp)
    {
        std::lock_guard guard(mutex_);
        const auto it = files_.constFind(path);
        if (it == files_.constEnd() || !(it->stamp == stamp))
            return nullptr;
        return it->doc;
    }

    void store(const QString& path, const FileStamp& stamp, std::shared_ptr<const Document> doc)
    {
        std::lock_guard guard(mutex_);
        if (files_.size() >= kMaxCachedFiles && !files_.contains(path))
            files_.clear();
        files_.insert(path, CacheEntry{stamp, std::move(doc)});
    }

    void forget(const QString& path)
    {
        std::lock_guard guard(mutex_);
        files_.remove(path);
    }

    QString mappedPath(const QString& key)
    {
        std::lock_guard guard(mutex_);
        return paths_.value(key);
    }

    void storeMappedPath(const QString& key, const QString& path)
    {
        std::lock_guard guard(mutex_);
        if (paths_.size() >= kMaxCachedFiles * 4)
            paths_.clear();
        paths_.insert(key, path);
    }

    void clear()
    {
        std::lock_guard guard(mutex_);
        files_.clear();
        paths_.clear();
    }

private:
    std::mutex mutex_;
    QHash<QString, CacheEntry> files_;
    QHash<QString, QString> paths_;
};

const std::shared_ptr<const Document>& emptyDocument()
{
    static const std::shared_ptr<const Document> empty = std::make_shared<Document>(Document::parse({}));
    return empty;
}

bool isBareName(const QString& fileName)
{
    return !fileName.contains(u'/') && !fileName.contains(u'\\');
}

QString mapPath(const QString& fileName)
{
    if (isBareName(fileName))
        return Paths::toNative(Paths::windowsFolder() + fileName);
    return Paths::toNative(fileName);
}

int setLastError(int code)
{
    SystemError::setLast(code);
    return code;
}

// The native path of a file name, from the cache when the cached path still exists.
QString resolvePath(const QString& fileName, struct stat& st, int& statErrno)
{
    if (!Paths::isWindowsPath(fileName) && !isBareName(fileName)) {
        const QByteArray encoded = QFile::encodeName(fileName);
        statErrno = ::stat(encoded.constData(), &st) == 0 ? 0 : errno;
        return fileName;
    }
    Cache& cache = Cache::instance();
    const QString key = Paths::root() + u'\n' + fileName;
    QString path = cache.mappedPath(key);
    if (!path.isEmpty()) {
        statErrno = ::stat(QFile::encodeName(path).constData(), &st) == 0 ? 0 : errno;
        if (statErrno == 0)
            return path;
    }
    // Not mapped yet, or the file went away: map again (a folder of another spelling may exist now).
    path = mapPath(fileName);
    statErrno = ::stat(QFile::encodeName(path).constData(), &st) == 0 ? 0 : errno;
    if (statErrno == 0)
        cache.storeMappedPath(key, path);
    return path;
}

bool readAll(int fd, QByteArray& bytes, qint64 sizeHint)
{
    bytes.clear();
    bytes.reserve(sizeHint + 1);
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        bytes.append(buffer, n);
    }
}

// The changes of this thread's open DeferredWrites: held in memory until committed.
struct Pending {
    QString path;
    int depth = 0;
    bool loaded = false;
    bool dirty = false;
    bool exists = false;
    struct stat st {};
    std::shared_ptr<const Document> doc;
};

thread_local Pending* t_pending = nullptr;

// Loads the current document of a file: from the cache when the file is unchanged.
// A missing file is an empty document. Inside DeferredWrites for the same file,
// the document with the changes not yet written is the current one.
bool load(const QString& fileName, QString& path, std::shared_ptr<const Document>& doc, struct stat& st, bool& exists)
{
    int statErrno = 0;
    path = resolvePath(fileName, st, statErrno);
    if (t_pending && t_pending->loaded && t_pending->path == path) {
        doc = t_pending->doc;
        st = t_pending->st;
        exists = t_pending->exists;
        return true;
    }
    exists = statErrno == 0;
    Cache& cache = Cache::instance();
    if (!exists) {
        cache.forget(path);
        doc = emptyDocument();
        if (statErrno == ENOENT || statErrno == ENOTDIR) {
            setLastError(SystemError::FileNotFound);
            return true;
        }
        SystemError::setLastFromErrno(statErrno);
        return false;
    }
    if (auto cached = cache.lookup(path, FileStamp::of(st))) {
        doc = std::move(cached);
        return true;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SystemError::setLastFromErrno(errno);
        doc = emptyDocument();
        return false;
    }
    // The stamp of the opened file is the one that matches what is read from it.
    QByteArray bytes;
    int failure = 0;
    if (::fstat(fd, &st) != 0)
        failure = errno;
    else if (!S_ISREG(st.st_mode))
        failure = EISDIR;
    else if (!readAll(fd, bytes, st.st_size))
        failure = errno;
    ::close(fd);
    if (failure != 0) {
        SystemError::setLastFromErrno(failure);
        doc = emptyDocument();
        return false;
    }
    auto parsed = std::make_shared<const Document>(Document::parse(bytes));
    cache.store(path, FileStamp::of(st), parsed);
    doc = std::move(parsed);
    return true;
}

bool writeFully(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}

// Replaces the file with new content: a temporary file in the same folder is
// written and flushed to disk, then renamed over the file, so the file is at
// every moment either the old or the new content, whole.
bool replaceFile(const QString& path, const QByteArray& content, const struct stat* old)
{
    static std::atomic<unsigned> counter{0};
    const QFileInfo info(path);
    const QString folder = info.path();
    int fd = -1;
    QByteArray tempName;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempName = QFile::encodeName(folder + QStringLiteral("/.") + info.fileName()
                                     + QStringLiteral(".%1.%2.tmp").arg(::getpid()).arg(counter++));
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            setLastError(SystemError::PathNotFound);
        else
            SystemError::setLastFromErrno(errno);
        return false;
    }
    if (old) {
        // The new file keeps the permissions (and, where allowed, the owner) of the old one.
        ::fchmod(fd, old->st_mode & 07777);
        if (::fchown(fd, old->st_uid, old->st_gid) != 0) {
            // Only the owner or root may give a file away; the permissions above still hold.
        }
    }
    bool ok = writeFully(fd, content) && ::fsync(fd) == 0;
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(tempName.constData());
        SystemError::setLastFromErrno(savedErrno);
        return false;
    }
    // Make the rename itself durable.
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool hasLineBreakOrZero(const QString& text)
{
    for (const QChar c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\0')
            return true;
    }
    return false;
}

// Writes a document over a file atomically and caches it.
bool store(const QString& path, std::shared_ptr<const Document> next, const struct stat& st, bool exists);

// Applies one change to a file and writes it when the content changed (or, in
// DeferredWrites for that file, keeps it for the commit).
bool modify(const QString& fileName, const std::function<bool(Document&)>& change)
{
    QString path;
    std::shared_ptr<const Document> current;
    struct stat st {};
    bool exists = false;
    if (!load(fileName, path, current, st, exists))
        return false;
    Document next = *current;
    if (!change(next)) {
        setLastError(SystemError::Success);
        return true;
    }
    if (t_pending && t_pending->path == path) {
        t_pending->loaded = true;
        t_pending->dirty = true;
        t_pending->st = st;
        t_pending->exists = exists;
        t_pending->doc = std::make_shared<const Document>(std::move(next));
        setLastError(SystemError::Success);
        return true;
    }
    return store(path, std::make_shared<const Document>(std::move(next)), st, exists);
}

bool store(const QString& path, std::shared_ptr<const Document> next, const struct stat& st, bool exists)
{
    // A link is followed: the file it points to is replaced, the link stays.
    QString target = path;
    if (exists) {
        const QFileInfo info(path);
        if (info.isSymLink())
            target = info.canonicalFilePath();
    }
    const QByteArray content = next->serialize();
    if (!replaceFile(target, content, exists ? &st : nullptr)) {
        Cache::instance().forget(path);
        return false;
    }
    struct stat after {};
    if (::stat(QFile::encodeName(path).constData(), &after) == 0)
        Cache::instance().store(path, FileStamp::of(after), std::move(next));
    else
        Cache::instance().forget(path);
    setLastError(SystemError::Success);
    return true;
}

} // namespace

bool readString(const QString& fileName, const QString& section, const QString& key,
                const QString& defaultValue, int bufferSize, QString& result)
{
    QString path;
    std::shared_ptr<const Document> doc;
    struct stat st {};
    bool exists = false;
    const bool ok = load(fileName, path, doc, st, exists);
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
    std::shared_ptr<const Document> doc;
    struct stat st {};
    bool exists = false;
    const bool ok = load(fileName, path, doc, st, exists);
    keys = doc->keyNames(section);
    return ok;
}

bool readSections(const QString& fileName, QStringList& sections)
{
    QString path;
    std::shared_ptr<const Document> doc;
    struct stat st {};
    bool exists = false;
    const bool ok = load(fileName, path, doc, st, exists);
    sections = doc->sectionNames();
    return ok;
}

bool writeString(const QString& fileName, const std::optional<QString>& section,
                 const std::optional<QString>& key, const std::optional<QString>& value)
{
    if (!section) {
        struct stat st {};
        int statErrno = 0;
        Cache::instance().forget(resolvePath(fileName, st, statErrno));
        setLastError(SystemError::Success);
        return true;
    }
    if (hasLineBreakOrZero(*section) || section->contains(u']')) {
        setLastError(SystemError::InvalidName);
        return false;
    }
    if (!key)
        return modify(fileName, [&](Document& doc) { return doc.removeSection(*section); });
    const QString keyName = trimmedName(*key);
    if (keyName.isEmpty() || hasLineBreakOrZero(keyName) || keyName.contains(u'=') || keyName.startsWith(u'[')
        || keyName.startsWith(u';')) {
        setLastError(SystemError::InvalidName);
        return false;
    }
    if (!value)
        return modify(fileName, [&](Document& doc) { return doc.removeKey(*section, keyName); });
    if (hasLineBreakOrZero(*value)) {
        setLastError(kInvalidParameter);
        return false;
    }
    return modify(fileName, [&](Document& doc) { return doc.setValue(*section, keyName, *value); });
}

bool probeReadable(const QString& fileName)
{
    struct stat st {};
    int statErrno = 0;
    const QString path = resolvePath(fileName, st, statErrno);
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
    return resolvePath(fileName, st, statErrno);
}

void clearCache()
{
    Cache::instance().clear();
}

struct DeferredWrites::State : Pending {
    Pending* outer = nullptr;
};

DeferredWrites::DeferredWrites(const QString& fileName)
{
    struct stat st {};
    int statErrno = 0;
    const QString path = resolvePath(fileName, st, statErrno);
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
    const bool ok = store(state_->path, state_->doc, state_->st, state_->exists);
    t_pending = self;
    if (ok) {
        state_->dirty = false;
        state_->loaded = false;
        setLastError(SystemError::Success);
    }
    return ok;
}

} // namespace velta::IniFileStore
