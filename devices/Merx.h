#pragma once
// libmerx9.so: the suite's department library. GetCurrentDepartmentPath gives
// the current department's folder: the one the host set with
// VeltaSetDepartmentPath (from its configuration) when not empty, else
// $VELTA_DEPARTMENT_PATH, else empty. Host and plug-in share the Qt runtime,
// so the text crosses as a QString, as the plug-in's other texts do.
#include <QString>

extern "C" {
__attribute__((visibility("default"))) void GetCurrentDepartmentPath(QString& path);
__attribute__((visibility("default"))) void VeltaSetDepartmentPath(const QString& path);
}
