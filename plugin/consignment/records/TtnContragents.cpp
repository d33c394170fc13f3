#include "plugin/consignment/records/TtnContragents.h"

#include <array>

namespace velta::consignment {
namespace {

using C = TtnContragents;

// The goods waybill parties keep whatever number they hold, 0 included.
const std::array kSlots{
    TtnContragentSlot{&C::Go, "GO_ID", "GOID", true},
    TtnContragentSlot{&C::Gp, "GP_ID", "GPID", true},
    TtnContragentSlot{&C::Plat, "PLAT_ID", "PlatID", true},
    TtnContragentSlot{&C::Per, "PER_ID", "PerID", true},
    TtnContragentSlot{&C::TNPost, "TNPOST_ID", "TNPostID", false},
    TtnContragentSlot{&C::TNPlat, "TNPLAT_ID", "TNPlatID", false},
};

} // namespace

std::span<const TtnContragentSlot> ttnContragentSlots()
{
    return kSlots;
}

} // namespace velta::consignment
