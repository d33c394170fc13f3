#pragma once
// The hive files of the registry stand-in: where they are, reading them through
// a process-wide cache checked against the file's identity, and changing them
// whole and atomically under a named lock named after the file.
#include "plugin/platform/RegistryHive.h"

#include <QString>
#include <functional>
#include <memory>

namespace velta::RegistryStore {

// The native path of a root key's hive file (environment read at call time).
QString hivePath(RootKey root);

// The hive as the file is now; an empty hive when the file is missing or unreadable.
std::shared_ptr<const RegistryHive> load(const QString& path);

enum class ChangeResult { Applied, Refused, WriteFailed };

// Under the hive's lock: reads the file afresh, applies the change and, when it
// returns true, writes the hive back atomically (temporary file in the same
// folder, flushed, renamed over the old one). A file that exists but cannot be
// read is never overwritten. WriteFailed sets the system's last error.
ChangeResult change(const QString& path, const std::function<bool(RegistryHive&)>& apply);

// Frees the cache of hives read (the plug-in's unload); a later read fills a new one.
void releaseCache();

} // namespace velta::RegistryStore
