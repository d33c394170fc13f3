#include "host/MenuStateRegistry.h"

namespace velta::host {

bool MenuStateRegistry::contains(std::uint8_t set, int mode)
{
    return mode >= 0 && mode < 8 && (set & (1u << mode)) != 0;
}

void MenuStateRegistry::registerItem(plugin::MenuItem* item, std::uint8_t setA, std::uint8_t setB)
{
    if (!item)
        return;
    const Sets sets{setA, setB};
    items_[item] = sets;
    applyTo(item, sets);
}

void MenuStateRegistry::setMode(int mode)
{
    mode_ = mode;
    for (const auto& [item, sets] : items_)
        applyTo(item, sets);
}

bool MenuStateRegistry::isRegistered(const plugin::MenuItem* item) const
{
    return items_.count(const_cast<plugin::MenuItem*>(item)) != 0;
}

MenuStateRegistry::Sets MenuStateRegistry::setsOf(const plugin::MenuItem* item) const
{
    const auto it = items_.find(const_cast<plugin::MenuItem*>(item));
    return it == items_.end() ? Sets{} : it->second;
}

void MenuStateRegistry::applyTo(plugin::MenuItem* item, const Sets& sets) const
{
    item->setEnabled(contains(sets.enabledIn, mode_));
    item->setVisible(contains(sets.visibleIn, mode_));
}

} // namespace velta::host
