#pragma once
// A system-wide named lock, the stand-in for a named kernel mutex: a lock file
// in $VELTA_LOCK_DIR (default /tmp/velta-locks, mode 1777) held with flock.
// Re-entrant for the owning thread; other threads of the process and other
// processes wait. A holder that dies releases it (an abandoned mutex).
#include <QString>
#include <memory>

namespace velta {

class NamedLock {
public:
    // The name is any text (it may contain path characters and Cyrillic); it is
    // turned into a safe file name. Throws nothing: when the lock file cannot
    // be made, isValid() is false and lock/unlock do nothing.
    explicit NamedLock(const QString& name);
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    bool isValid() const;
    const QString& name() const { return name_; }

    void lock();     // waits without limit
    bool tryLock();  // no wait
    void unlock();

    // The lock folder in force.
    static QString lockFolder();
    // Frees the process's table of lock files (the plug-in's unload; no lock
    // may be in use then). A later lock makes a new one.
    static void releaseTable();
    // The file name (without folder) the lock of a name is kept in: readable,
    // distinct for distinct names, at most about 200 bytes long.
    static QString fileNameFor(const QString& name);

    // The process-wide state of one lock file, shared by every NamedLock of
    // that name (defined in the source).
    struct Shared;

private:
    QString name_;
    std::shared_ptr<Shared> shared_;
    // Holds taken through this object; released when it is destroyed by the
    // owning thread, so a forgotten unlock cannot block the suite for good.
    int ownHolds_ = 0;
};

// Holds a NamedLock for a scope (lock on construction, unlock on destruction).
class NamedLockGuard {
public:
    explicit NamedLockGuard(NamedLock* lock) : lock_(lock) { if (lock_) lock_->lock(); }
    ~NamedLockGuard() { if (lock_) lock_->unlock(); }
    NamedLockGuard(const NamedLockGuard&) = delete;
    NamedLockGuard& operator=(const NamedLockGuard&) = delete;

private:
    NamedLock* lock_;
};

} // namespace velta
