#pragma once
// TTideRecord: one selected shipment as the sale selection hands it to the
// consignment note: the (first) sale's number, the fuel name, the summed
// quantities and the densities worked out from them. A sale merged into
// another line keeps an entry of its own with the main flag cleared, so the
// note's totals count it once.
#include "common/Variant.h"

#include <QString>

namespace velta::consignment {

struct TTideRecord {
    int saleNumber = 0;  // INDEXSALE of the (first) sale
    QString name;        // fuel name; a merged sale's own entry ends in " (объединено)"
    Currency volume;     // litres
    Currency mass;       // kilograms
    Currency sum;        // amount
    Currency density;    // mass / volume
    Currency meterMass;  // mass by the density meter (MASSAPLM)
    Currency meterDensity; // meterMass / volume
    bool main = true;    // goes onto the note and into its totals

    // Adds one sale's quantities.
    void add(Currency saleVolume, Currency saleMass, Currency saleMeterMass, Currency saleSum);
    // Both densities from the sums, to four decimals; left as they are at volume 0.
    void computeDensities();

    friend bool operator==(const TTideRecord&, const TTideRecord&) = default;
};

// The suffix of a merged sale's own entry.
inline const QString kMergedSuffix = QStringLiteral(" (объединено)");

} // namespace velta::consignment
