#pragma once
// The host's side of SetMenuItemState: the plug-in registers a menu item with
// two one-byte sets of host modes (bit n = mode n); the host then shows the item
// and lets it be picked only in the modes of those sets: enabled in the modes of
// set A, visible in the modes of set B. The registrations are kept so that a
// change of mode is applied to every registered item.
#include "plugin/api/velta_plugin.h"

#include <cstdint>
#include <map>

namespace velta::host {

class MenuStateRegistry {
public:
    struct Sets {
        std::uint8_t enabledIn = 0;
        std::uint8_t visibleIn = 0;
    };

    explicit MenuStateRegistry(int mode = 1) : mode_(mode) {}

    // Records (or replaces) the item's sets and applies them at once.
    void registerItem(plugin::MenuItem* item, std::uint8_t setA, std::uint8_t setB);
    // The current mode (0 to 7); every registered item follows it.
    int mode() const { return mode_; }
    void setMode(int mode);
    // Forgets every item (when the menu goes away).
    void clear() { items_.clear(); }

    bool isRegistered(const plugin::MenuItem* item) const;
    Sets setsOf(const plugin::MenuItem* item) const;
    int count() const { return static_cast<int>(items_.size()); }

    static bool contains(std::uint8_t set, int mode);

private:
    void applyTo(plugin::MenuItem* item, const Sets& sets) const;

    int mode_;
    std::map<plugin::MenuItem*, Sets> items_;
};

} // namespace velta::host
