#include "plugin/core/SmenaRepComposition.h"

#include "plugin/foundation/text/Tools.h"

namespace velta::core {

QString SmenaRepSection() { return report::compositionSection(); }
QString SmenaRepPositionKey(int section, int variant) { return report::positionKey(section, variant); }
QString SmenaRepPathKey(int section, int variant) { return report::pathKey(section, variant); }
QString SmenaRepWebPathKey(int section, int variant) { return report::webPathKey(section, variant); }
QString SmenaRepSectionName(int section) { return report::sectionName(section); }
QString SmenaRepDefaultPath(int section) { return report::defaultPath(section); }
QString SmenaRepDefaultWebPath(int section) { return report::defaultWebPath(section); }
QString SmenaRepFormsFolder() { return report::formsFolder(); }
QString SmenaRepWebFormsFolder() { return report::webFormsFolder(); }

QString CompleteTemplatePath(const QString& path, const QString& folder)
{
    return report::completeTemplatePath(path, folder);
}

void InsertSectionAfter(TCustomIniFile& ini, int anchor, int target)
{
    report::insertSectionAfter(ini, anchor, target);
}

bool SmenaRepSectionEditable(int section) { return report::sectionEditable(section); }

void EnsureSmenaRepDefaults() { report::ensureCompositionDefaults(CnfIniFileName()); }
ShiftReportComposition LoadComposition() { return report::loadComposition(CnfIniFileName()); }
std::vector<CompositionVariant> ReadEditableComposition() { return report::readEditableComposition(CnfIniFileName()); }

void SaveComposition(const std::vector<CompositionVariant>& variants)
{
    report::saveComposition(CnfIniFileName(), variants);
}

} // namespace velta::core
