#pragma once
// The shift report's composition in the station's cnf.ini, under the names the
// plug-in's windows and handlers use: thin callers of the composition rules
// (contract/ShiftComposition.h) on the cnf.ini of the Windows folder.
#include "plugin/core/contract/ShiftComposition.h"

namespace velta::core {

inline constexpr int kSmenaRepSectionCount = report::kShiftSectionCount;
inline constexpr int kSmenaRepEnd = report::kSectionEnd;
inline constexpr int kSmenaRepFinancial = report::kSectionFinancial;
inline constexpr int kSmenaRepBonus = report::kSectionBonuses;
inline constexpr int kSmenaRepReloads = report::kSectionReloads;
inline constexpr int kSmenaRepHtmlKind = report::kHtmlKindOffset;

using ShiftReportComposition = report::ShiftComposition;
using CompositionVariant = report::CompositionVariant;

QString SmenaRepSection();
QString SmenaRepPositionKey(int section, int variant);
QString SmenaRepPathKey(int section, int variant);
QString SmenaRepWebPathKey(int section, int variant);
QString SmenaRepSectionName(int section);
QString SmenaRepDefaultPath(int section);
QString SmenaRepDefaultWebPath(int section);
QString SmenaRepFormsFolder();
QString SmenaRepWebFormsFolder();
QString CompleteTemplatePath(const QString& path, const QString& folder);
void InsertSectionAfter(TCustomIniFile& ini, int anchor, int target);
bool SmenaRepSectionEditable(int section);

// The same rules on CnfIniFileName(): the defaults written at every log-on,
// the composition the shift reports send, and the properties window's read
// and save.
void EnsureSmenaRepDefaults();
ShiftReportComposition LoadComposition();
std::vector<CompositionVariant> ReadEditableComposition();
void SaveComposition(const std::vector<CompositionVariant>& variants);

} // namespace velta::core
