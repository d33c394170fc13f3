#pragma once
// How the dispenser journal (TrkLog) shows its codes: the operation, the
// payment type (by the host's payment type list), the dose kind, and the time
// only on rows that name a fuel.
#include <QString>

namespace velta {
class TClientDataSet;
namespace plugin {
class PayTypeList;
}
} // namespace velta

namespace velta::journals {

// The journal's code of a row without a value to show.
inline constexpr int kNoValue = 999;
// A payment type name is cut to this many characters.
inline constexpr int kPayTypeWidth = 17;

QString OperationText(int operation);
QString PayTypeText(int payType, const plugin::PayTypeList* payTypes);
QString DoseText(int dose);

// Sets the get-text handlers of Operation, Op1, Op2 and Time; the payment
// types are read through payTypes at display time (it may be null).
void SetTrkLogDisplay(TClientDataSet& trkLog, const plugin::PayTypeList* payTypes);

} // namespace velta::journals
