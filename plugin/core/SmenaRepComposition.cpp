#include "plugin/core/SmenaRepComposition.h"

#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/Paths.h"

#include <QRegularExpression>

#include <array>
#include <cstdlib>
#include <utility>
#include <vector>

namespace velta::core {

namespace {

struct SectionInfo {
    QString name;
    QString path;
    QString webPath;
    bool writtenByDefault;
};

const std::array<SectionInfo, kSmenaRepSectionCount>& sectionTable()
{
    static const std::array<SectionInfo, kSmenaRepSectionCount> table{{
        {QStringLiteral("Заголовок"), QStringLiteral("SmenaBeg.FRM"),
         QStringLiteral("Шапка сменного отчета.html"), true},
        {QStringLiteral("Конец"), QStringLiteral("SmenaEnd.FRM"), QStringLiteral("Подвал сменного отчета.html"), true},
        {QStringLiteral("Информация о ТРК"), QStringLiteral("Smena1.FRM"),
         QStringLiteral("Информация о ТРК.html"), true},
        {QStringLiteral("Информация о резервуарах"), QStringLiteral("Smena2.FRM"),
         QStringLiteral("Информация о резервуарах.html"), true},
        {QStringLiteral("Финансовый отчет"), QStringLiteral("Smena3.FRM"),
         QStringLiteral("Финансовый отчет.html"), true},
        {QStringLiteral("Поступление НП"), QStringLiteral("Smena4.FRM"),
         QStringLiteral("Расшифровка поступления топлива.html"), true},
        {QStringLiteral("Движение НП"), QStringLiteral("Smena5.FRM"), QString(), false},
        {QStringLiteral("Расшифровка реализации по б/н"), QStringLiteral("Smena6.FRM"), QString(), false},
        {QStringLiteral("Отчет по складу"), QString(), QString(), false},
        {QStringLiteral("Поступления товара"), QString(), QString(), false},
        {QStringLiteral("Финансовый отчет нестандартный"), QStringLiteral("Smena2_1.FRM"),
         QStringLiteral("Финансовый отчет нестандартный.html"), true},
        {QStringLiteral("Финансовый отчет по товарам"), QString(), QString(), true},
        {QStringLiteral("Откачка НП"), QStringLiteral("SmenaSink.frm"), QStringLiteral("Расшифровка откачки топлива.html"),
         true},
        {QStringLiteral("Финансовый отчет по кассам"), QStringLiteral("SmenaKassaFinRep.frm"),
         QStringLiteral("Финансовый отчет по кассам.html"), true},
        {QStringLiteral("Непроизведенные возвраты на терминал"), QStringLiteral("BackCard.frm"),
         QStringLiteral("Непроизведенные возвраты на терминал.html"), true},
        {QStringLiteral("Отпуск по ведомостям"), QStringLiteral("vdPeriod.frm"),
         QStringLiteral("Отчет по ведомостям за период.html"), true},
        {QStringLiteral("Отчет по бонусам и скидкам"), QStringLiteral("Bonus.frm"),
         QStringLiteral("Отчет по бонусам и скидкам.html"), true},
        {QStringLiteral("Информация по перезагрузкам"), QString(), QStringLiteral("Информация по перезагрузкам.html"),
         true},
    }};
    return table;
}

const SectionInfo* sectionInfo(int section)
{
    if (section < 0 || section >= kSmenaRepSectionCount)
        return nullptr;
    return &sectionTable()[static_cast<std::size_t>(section)];
}

QString variantKey(const char* prefix, int section, int variant)
{
    return QLatin1String(prefix) + QString::number(section) + u'_' + QString::number(variant);
}

// One entry of the composition array: a printed variant in one of its two forms.
struct Entry {
    int position;
    int kind;
    QString path;
};

// Ascending by position, by selection: each slot takes the first entry with the
// smallest position among those after it, whole entries exchanged.
void sortByPosition(std::vector<Entry>& entries)
{
    const std::size_t count = entries.size();
    for (std::size_t slot = 0; slot < count; ++slot) {
        std::size_t smallest = slot;
        for (std::size_t other = slot + 1; other < count; ++other) {
            if (entries[other].position < entries[smallest].position)
                smallest = other;
        }
        if (smallest != slot)
            std::swap(entries[slot], entries[smallest]);
    }
}

} // namespace

QString SmenaRepSection()
{
    return QStringLiteral("SmenaRep");
}

QString SmenaRepPositionKey(int section, int variant)
{
    return variantKey("Rep", section, variant);
}

QString SmenaRepPathKey(int section, int variant)
{
    return variantKey("RepPath", section, variant);
}

QString SmenaRepWebPathKey(int section, int variant)
{
    return variantKey("WebRepPath", section, variant);
}

QString SmenaRepSectionName(int section)
{
    const SectionInfo* info = sectionInfo(section);
    return info ? info->name : QString();
}

QString SmenaRepDefaultPath(int section)
{
    const SectionInfo* info = sectionInfo(section);
    return info ? info->path : QString();
}

QString SmenaRepDefaultWebPath(int section)
{
    const SectionInfo* info = sectionInfo(section);
    return info ? info->webPath : QString();
}

QString SmenaRepFormsFolder()
{
    return QStringLiteral("C:\\DEXE\\FORMS\\REPORT\\");
}

QString SmenaRepWebFormsFolder()
{
    return QStringLiteral("C:\\DEXE\\FORMS\\WEBREP\\");
}

QString CompleteTemplatePath(const QString& path, const QString& folder)
{
    if (path.isEmpty())
        return path;
    if (Paths::extractFilePath(path).isEmpty())
        return folder + path;
    // Templates on the server's shared drive are read from the local copy.
    return ReplaceText(path, QStringLiteral("S:\\"), QStringLiteral("C:\\"), rfIgnoreCase);
}

void InsertSectionAfter(TCustomIniFile& ini, int anchor, int target)
{
    const QString section = SmenaRepSection();
    // 64-bit arithmetic: a hand-edited extreme value must not overflow.
    const qint64 base = std::llabs(ini.ReadInteger(section, SmenaRepPositionKey(anchor, 0), 0));
    if (base == 0)
        return;
    for (int i = 0; i < kSmenaRepSectionCount; ++i) {
        for (int j = 0; ini.ValueExists(section, SmenaRepPositionKey(i, j)); ++j) {
            // The anchor's own place stays; its other variants move like any other.
            if (i == anchor && j == 0)
                continue;
            const QString key = SmenaRepPositionKey(i, j);
            const qint64 value = ini.ReadInteger(section, key, 0);
            if (value != 0 && std::llabs(value) > base)
                ini.WriteString(section, key, QString::number(value > 0 ? value + 1 : value - 1));
        }
    }
    ini.WriteString(section, SmenaRepPositionKey(target, 0), QString::number(base + 1));
}

void EnsureSmenaRepDefaults()
{
    TSafeIniFile ini(CnfIniFileName());
    const QString section = SmenaRepSection();
    // One change of the file: a crash between the keys and the insertions
    // would otherwise leave a new section at its provisional place for good.
    ini.Atomically([&] {
        bool endAdded = false;
        bool reloadsAdded = false;
        for (int i = 0; i < kSmenaRepSectionCount; ++i) {
            const SectionInfo& info = *sectionInfo(i);
            if (!info.writtenByDefault)
                continue;
            if (!ini.ValueExists(section, SmenaRepPositionKey(i, 0))) {
                ini.WriteInteger(section, SmenaRepPositionKey(i, 0), i + 1);
                endAdded = endAdded || i == kSmenaRepEnd;
                reloadsAdded = reloadsAdded || i == kSmenaRepReloads;
            }
            if (!ini.ValueExists(section, SmenaRepWebPathKey(i, 0)))
                ini.WriteString(section, SmenaRepWebPathKey(i, 0), info.webPath);
            if (!ini.ValueExists(section, SmenaRepPathKey(i, 0)))
                ini.WriteString(section, SmenaRepPathKey(i, 0), info.path);
        }
        if (reloadsAdded)
            InsertSectionAfter(ini, kSmenaRepFinancial, kSmenaRepReloads);
        if (endAdded)
            InsertSectionAfter(ini, kSmenaRepBonus, kSmenaRepEnd);
    });
}

ShiftReportComposition LoadComposition()
{
    ShiftReportComposition result;
    std::vector<Entry> entries;
    TSafeIniFile ini(CnfIniFileName());
    const QString section = SmenaRepSection();
    // Read under one hold of the lock, so a concurrent change is seen whole or not at all.
    ini.Atomically([&] {
        for (int i = 0; i < kSmenaRepSectionCount; ++i) {
            for (int j = 0; ini.ValueExists(section, SmenaRepPositionKey(i, j)); ++j) {
                const int position = ini.ReadInteger(section, SmenaRepPositionKey(i, j), -1);
                if (position <= 0)
                    continue;
                entries.push_back({position, i,
                                   CompleteTemplatePath(ini.ReadString(section, SmenaRepPathKey(i, j), QString()),
                                                        SmenaRepFormsFolder())});
                entries.push_back({position, i + kSmenaRepHtmlKind,
                                   CompleteTemplatePath(ini.ReadString(section, SmenaRepWebPathKey(i, j), QString()),
                                                        SmenaRepWebFormsFolder())});
            }
        }
        result.RoundRVal = ini.ReadInteger(section, QStringLiteral("RoundRVal"), 0);
        result.SiloReportSortField = ini.ReadInteger(section, QStringLiteral("SiloReportSortField"), 0);
    });
    sortByPosition(entries);
    Variant::Array elements;
    elements.reserve(static_cast<qsizetype>(entries.size() * 3 + 1));
    for (Entry& entry : entries) {
        elements.append(Variant(entry.position));
        elements.append(Variant(entry.kind));
        elements.append(Variant(std::move(entry.path)));
    }
    elements.append(Variant()); // the last element stays unassigned
    result.Composition = Variant(std::move(elements));
    return result;
}

bool SmenaRepSectionEditable(int section)
{
    return section >= 0 && section < kSmenaRepSectionCount && (section < 6 || section > 9);
}

std::vector<CompositionVariant> ReadEditableComposition()
{
    std::vector<CompositionVariant> variants;
    TSafeIniFile ini(CnfIniFileName());
    const QString section = SmenaRepSection();
    ini.Atomically([&] {
        for (int i = 0; i < kSmenaRepSectionCount; ++i) {
            if (!SmenaRepSectionEditable(i))
                continue;
            for (int j = 0; ini.ValueExists(section, SmenaRepPositionKey(i, j)); ++j) {
                CompositionVariant variant;
                variant.section = i;
                variant.position =
                    ini.ReadInteger(section, SmenaRepPositionKey(i, j), static_cast<int>(variants.size()) + 1);
                variant.path = ini.ReadString(section, SmenaRepPathKey(i, j), SmenaRepDefaultPath(i));
                variant.webPath = ini.ReadString(section, SmenaRepWebPathKey(i, j), SmenaRepDefaultWebPath(i));
                variants.push_back(std::move(variant));
            }
        }
    });
    return variants;
}

void SaveComposition(const std::vector<CompositionVariant>& variants)
{
    TSafeIniFile ini(CnfIniFileName());
    const QString section = SmenaRepSection();
    static const QRegularExpression variantKey(QStringLiteral("^(?:Rep|RepPath|WebRepPath)(\\d+)_\\d+$"),
                                               QRegularExpression::CaseInsensitiveOption);
    ini.Atomically([&] {
        if (Paths::fileExists(CnfIniFileName())) {
            QStringList keys;
            ini.ReadSection(section, keys);
            for (const QString& key : keys) {
                const QRegularExpressionMatch match = variantKey.match(key);
                bool number = false;
                const int owner = match.hasMatch() ? match.captured(1).toInt(&number) : -1;
                if (number && SmenaRepSectionEditable(owner))
                    ini.DeleteKey(section, key);
            }
        }
        std::array<int, kSmenaRepSectionCount> next{};
        for (const CompositionVariant& variant : variants) {
            if (!SmenaRepSectionEditable(variant.section))
                continue;
            const int j = next[static_cast<std::size_t>(variant.section)]++;
            ini.WriteInteger(section, SmenaRepPositionKey(variant.section, j), variant.position);
            if (variant.webPath)
                ini.WriteString(section, SmenaRepWebPathKey(variant.section, j), *variant.webPath);
            if (variant.path)
                ini.WriteString(section, SmenaRepPathKey(variant.section, j), *variant.path);
        }
    });
}

} // namespace velta::core
