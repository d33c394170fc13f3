#pragma once
// The print options each report keeps in the registry (HKLM
// "SOFTWARE\Kastelmark\Velta\Reports\PrintOptions"): orientation, browser text
// size and zoom, as decimal strings under the report's name followed by
// "_Orientation", "_FontSize" and "_Scale". The viewer loads them each time it
// is shown and saves them when it closes.
#include <QString>
#include <optional>

namespace velta::viewer {

inline constexpr char16_t kPrintOptionsKey[] = u"SOFTWARE\\Kastelmark\\Velta\\Reports\\PrintOptions";

struct PrintOptions {
    int orientation = 0; // 0 portrait, 1 landscape (the orientation choice's index)
    int fontSize = 2;    // the browser text size index, 0..4
    int scale = 100;     // zoom, percent

    bool operator==(const PrintOptions&) const = default;
};

// The report's options; a value that is missing, not a string or not a
// number gives that value's default. Nothing when the key can neither be
// opened nor created (the viewer then keeps what it shows).
std::optional<PrintOptions> LoadPrintOptions(const QString& reportName);

// Stores the report's options; does nothing when the key can neither be
// opened nor created. A failed write of a value raises ERegistryException.
void SavePrintOptions(const QString& reportName, const PrintOptions& options);

} // namespace velta::viewer
