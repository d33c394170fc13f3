#include "plugin/consignment/selection/SaleSelectionResult.h"

#include "common/Exception.h"

namespace velta::consignment {

namespace {

// Positions in a cargo element.
enum CargoIndex { kSale, kName, kVolume, kMass, kSum, kDensity, kMain, kMeterMass, kMeterDensity };

Variant cargoElement(const TTideRecord& r)
{
    Variant::Array e(kSaleCargoElements);
    e[kSale] = Variant(r.saleNumber);
    e[kName] = Variant(r.name);
    e[kVolume] = Variant(r.volume);
    e[kMass] = Variant(r.mass);
    e[kSum] = Variant(r.sum);
    e[kDensity] = Variant(r.density);
    e[kMain] = Variant(r.main);
    e[kMeterMass] = Variant(r.meterMass);
    e[kMeterDensity] = Variant(r.meterDensity);
    return Variant(std::move(e));
}

TTideRecord recordOf(const Variant& e)
{
    if (!e.isArray() || e.arrayCount() < kSaleCargoElements)
        throw EVariantError(QStringLiteral("Invalid cargo element of the sale selection"));
    TTideRecord r;
    r.saleNumber = e.at(kSale).toInt();
    r.name = e.at(kName).toString();
    r.volume = e.at(kVolume).toCurrency();
    r.mass = e.at(kMass).toCurrency();
    r.sum = e.at(kSum).toCurrency();
    r.density = e.at(kDensity).toCurrency();
    r.main = e.at(kMain).toBool();
    r.meterMass = e.at(kMeterMass).toCurrency();
    r.meterDensity = e.at(kMeterDensity).toCurrency();
    return r;
}

} // namespace

Variant SaleSelectionResult::toVariant() const
{
    const SaleSelectionHeader& h = header;
    Variant::Array head{Variant::fromDate(h.saleTime), Variant(h.carrierId), Variant(h.carrierName),
                        Variant(h.driverName),         Variant(h.driverLicence), Variant(h.carMake),
                        Variant(h.carNumber),          Variant(h.trailerMake),   Variant(h.trailerNumber),
                        Variant(h.trailerGarageNumber), Variant(h.tripSheet),    Variant(h.consigneeId)};
    Variant::Array cargo;
    cargo.reserve(records.size());
    for (const TTideRecord& r : records)
        cargo.append(cargoElement(r));
    return Variant(Variant::Array{Variant(std::move(head)), Variant(std::move(cargo))});
}

std::optional<SaleSelectionResult> SaleSelectionResult::fromVariant(const Variant& value)
{
    if (!value.isArray())
        throw EVariantError(QStringLiteral("The sale selection is not an array"));
    if (value.arrayCount() == 0)
        return std::nullopt;
    const Variant& head = value.at(0);
    const Variant& cargo = value.at(1);
    if (!head.isArray() || head.arrayCount() < kSaleHeaderElements || !cargo.isArray())
        throw EVariantError(QStringLiteral("Invalid sale selection"));
    SaleSelectionResult result;
    SaleSelectionHeader& h = result.header;
    h.saleTime = head.at(0).toDateTime();
    h.carrierId = head.at(1).toInt();
    h.carrierName = head.at(2).toString();
    h.driverName = head.at(3).toString();
    h.driverLicence = head.at(4).toString();
    h.carMake = head.at(5).toString();
    h.carNumber = head.at(6).toString();
    h.trailerMake = head.at(7).toString();
    h.trailerNumber = head.at(8).toString();
    h.trailerGarageNumber = head.at(9).toString();
    h.tripSheet = head.at(10).toString();
    h.consigneeId = head.at(11).toInt();
    for (const Variant& e : cargo.elements())
        result.records.append(recordOf(e));
    return result;
}

} // namespace velta::consignment
