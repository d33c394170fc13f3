#include "plugin/consignment/selection/TideRecord.h"

namespace velta::consignment {

namespace {

// Fixed-point addition without passing through double.
Currency plus(Currency a, Currency b)
{
    return Currency{a.scaled + b.scaled};
}

} // namespace

void TTideRecord::add(Currency saleVolume, Currency saleMass, Currency saleMeterMass, Currency saleSum)
{
    volume = plus(volume, saleVolume);
    mass = plus(mass, saleMass);
    meterMass = plus(meterMass, saleMeterMass);
    sum = plus(sum, saleSum);
}

void TTideRecord::computeDensities()
{
    if (volume.scaled == 0)
        return;
    density = Currency::fromDouble(mass.toDouble() / volume.toDouble());
    meterDensity = Currency::fromDouble(meterMass.toDouble() / volume.toDouble());
}

} // namespace velta::consignment
