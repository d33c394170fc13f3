#pragma once
// The viewer's temporary HTML file, "veltahtmlreport.html" in the temporary
// folder: the browser loads the report from it, and the viewer deletes it as
// soon as the browser holds its copy. Its name is fixed when the plug-in loads.
#include <QString>

namespace velta::viewer {

inline constexpr char kHtmlTempFileName[] = "veltahtmlreport.html";

// Fixes the name (Windows-style) at load; an empty name clears it at unload.
void SetHtmlTempFile(const QString& windowsPath);
// The fixed name, or, before the plug-in fixed one, the name in the current
// temporary folder.
QString HtmlTempFile();
QString NativeHtmlTempFile();

} // namespace velta::viewer
