#pragma once
// The commands of velta-dbf: info, dump and create. Each takes its arguments
// (after the command word) and returns the program's exit code; output goes
// to standard output, messages to standard error, all in UTF-8.
#include <QStringList>

namespace velta::dbftool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int info(const QStringList& args);
int dump(const QStringList& args);
int create(const QStringList& args);

} // namespace velta::dbftool
