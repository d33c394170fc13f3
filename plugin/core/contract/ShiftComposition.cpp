#include "plugin/core/contract/ShiftComposition.h"

#include "common/Exception.h"

#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/Paths.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <array>
#include <cstdlib>
#include <utility>
#include <vector>

namespace velta::report {

namespace {

struct SectionInfo {
    QString name;
    QString path;
    QString webPath;
    bool writtenByDefault;
};

const std::array<SectionInfo, kShiftSectionCount>& sectionTable()
{
    static const std::array<SectionInfo, kShiftSectionCount> table{{
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
    if (section < 0 || section >= kShiftSectionCount)
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

QString compositionSection()
{
    return QStringLiteral("SmenaRep");
}

QString positionKey(int section, int variant)
{
    return variantKey("Rep", section, variant);
}

QString pathKey(int section, int variant)
{
    return variantKey("RepPath", section, variant);
}

QString webPathKey(int section, int variant)
{
    return variantKey("WebRepPath", section, variant);
}

QString sectionName(int section)
{
    const SectionInfo* info = sectionInfo(section);
    return info ? info->name : QString();
}

QString defaultPath(int section)
{
    const SectionInfo* info = sectionInfo(section);
    return info ? info->path : QString();
}

QString defaultWebPath(int section)
{
    const SectionInfo* info = sectionInfo(section);
    return info ? info->webPath : QString();
}

QString formsFolder()
{
    return QStringLiteral("C:\\DEXE\\FORMS\\REPORT\\");
}

QString webFormsFolder()
{
    return QStringLiteral("C:\\DEXE\\FORMS\\WEBREP\\");
}

QString completeTemplatePath(const QString& path, const QString& folder)
{
    if (path.isEmpty())
        return path;
    if (Paths::extractFilePath(path).isEmpty())
        return folder + path;
    // Templates on the server's shared drive are read from the local copy.
    return ReplaceText(path, QStringLiteral("S:\\"), QStringLiteral("C:\\"), rfIgnoreCase);
}

void insertSectionAfter(TCustomIniFile& ini, int anchor, int target)
{
    const QString section = compositionSection();
    // 64-bit arithmetic: a hand-edited extreme value must not overflow.
    const qint64 base = std::llabs(ini.ReadInteger(section, positionKey(anchor, 0), 0));
    if (base == 0)
        return;
    for (int i = 0; i < kShiftSectionCount; ++i) {
        for (int j = 0; ini.ValueExists(section, positionKey(i, j)); ++j) {
            // The anchor's own place stays; its other variants move like any other.
            if (i == anchor && j == 0)
                continue;
            const QString key = positionKey(i, j);
            const qint64 value = ini.ReadInteger(section, key, 0);
            if (value != 0 && std::llabs(value) > base)
                ini.WriteString(section, key, QString::number(value > 0 ? value + 1 : value - 1));
        }
    }
    ini.WriteString(section, positionKey(target, 0), QString::number(base + 1));
}

void ensureCompositionDefaults(const QString& cnfFile)
{
    TSafeIniFile ini(cnfFile);
    const QString section = compositionSection();
    // One change of the file: a crash between the keys and the insertions
    // would otherwise leave a new section at its provisional place for good.
    ini.Atomically([&] {
        bool endAdded = false;
        bool reloadsAdded = false;
        for (int i = 0; i < kShiftSectionCount; ++i) {
            const SectionInfo& info = *sectionInfo(i);
            if (!info.writtenByDefault)
                continue;
            if (!ini.ValueExists(section, positionKey(i, 0))) {
                ini.WriteInteger(section, positionKey(i, 0), i + 1);
                endAdded = endAdded || i == kSectionEnd;
                reloadsAdded = reloadsAdded || i == kSectionReloads;
            }
            if (!ini.ValueExists(section, webPathKey(i, 0)))
                ini.WriteString(section, webPathKey(i, 0), info.webPath);
            if (!ini.ValueExists(section, pathKey(i, 0)))
                ini.WriteString(section, pathKey(i, 0), info.path);
        }
        if (reloadsAdded)
            insertSectionAfter(ini, kSectionFinancial, kSectionReloads);
        if (endAdded)
            insertSectionAfter(ini, kSectionBonuses, kSectionEnd);
    });
}

ShiftComposition loadComposition(const QString& cnfFile)
{
    ShiftComposition result;
    std::vector<Entry> entries;
    TSafeIniFile ini(cnfFile);
    const QString section = compositionSection();
    // Read under one hold of the lock, so a concurrent change is seen whole or not at all.
    ini.Atomically([&] {
        for (int i = 0; i < kShiftSectionCount; ++i) {
            for (int j = 0; ini.ValueExists(section, positionKey(i, j)); ++j) {
                const int position = ini.ReadInteger(section, positionKey(i, j), -1);
                if (position <= 0)
                    continue;
                entries.push_back({position, i,
                                   completeTemplatePath(ini.ReadString(section, pathKey(i, j), QString()),
                                                        formsFolder())});
                entries.push_back({position, i + kHtmlKindOffset,
                                   completeTemplatePath(ini.ReadString(section, webPathKey(i, j), QString()),
                                                        webFormsFolder())});
            }
        }
        result.RoundRVal = ini.ReadInteger(section, QStringLiteral("RoundRVal"), 0);
        result.SiloReportSortField = ini.ReadInteger(section, QStringLiteral("SiloReportSortField"), 0);
    });
    sortByPosition(entries);
    Variant::Array elements;
    elements.reserve(static_cast<qsizetype>(entries.size() * kCompositionEntrySize + 1));
    for (Entry& entry : entries) {
        elements.append(Variant(entry.position));
        elements.append(Variant(entry.kind));
        elements.append(Variant(std::move(entry.path)));
    }
    elements.append(Variant()); // the last element stays unassigned
    result.Composition = Variant(std::move(elements));
    return result;
}

ShiftComposition defaultComposition()
{
    // The rules that fill an empty cnf.ini, run on a file of our own.
    QTemporaryDir folder;
    if (!folder.isValid())
        throw EInOutError(QStringLiteral("Cannot create a temporary folder for the default composition: %1")
                              .arg(folder.errorString()));
    const QString cnfFile = folder.filePath(QStringLiteral("cnf.ini"));
    ensureCompositionDefaults(cnfFile);
    return loadComposition(cnfFile);
}

bool sectionEditable(int section)
{
    return section >= 0 && section < kShiftSectionCount && (section < kSectionMovement || section > kSectionGoodsReceipts);
}

std::vector<CompositionVariant> readEditableComposition(const QString& cnfFile)
{
    std::vector<CompositionVariant> variants;
    TSafeIniFile ini(cnfFile);
    const QString section = compositionSection();
    ini.Atomically([&] {
        for (int i = 0; i < kShiftSectionCount; ++i) {
            if (!sectionEditable(i))
                continue;
            for (int j = 0; ini.ValueExists(section, positionKey(i, j)); ++j) {
                CompositionVariant variant;
                variant.section = i;
                variant.position =
                    ini.ReadInteger(section, positionKey(i, j), static_cast<int>(variants.size()) + 1);
                variant.path = ini.ReadString(section, pathKey(i, j), defaultPath(i));
                variant.webPath = ini.ReadString(section, webPathKey(i, j), defaultWebPath(i));
                variants.push_back(std::move(variant));
            }
        }
    });
    return variants;
}

void saveComposition(const QString& cnfFile, const std::vector<CompositionVariant>& variants)
{
    TSafeIniFile ini(cnfFile);
    const QString section = compositionSection();
    static const QRegularExpression variantKey(QStringLiteral("^(?:Rep|RepPath|WebRepPath)(\\d+)_\\d+$"),
                                               QRegularExpression::CaseInsensitiveOption);
    ini.Atomically([&] {
        if (Paths::fileExists(cnfFile)) {
            QStringList keys;
            ini.ReadSection(section, keys);
            for (const QString& key : keys) {
                const QRegularExpressionMatch match = variantKey.match(key);
                bool number = false;
                const int owner = match.hasMatch() ? match.captured(1).toInt(&number) : -1;
                if (number && sectionEditable(owner))
                    ini.DeleteKey(section, key);
            }
        }
        std::array<int, kShiftSectionCount> next{};
        for (const CompositionVariant& variant : variants) {
            if (!sectionEditable(variant.section))
                continue;
            const int j = next[static_cast<std::size_t>(variant.section)]++;
            ini.WriteInteger(section, positionKey(variant.section, j), variant.position);
            if (variant.webPath)
                ini.WriteString(section, webPathKey(variant.section, j), *variant.webPath);
            if (variant.path)
                ini.WriteString(section, pathKey(variant.section, j), *variant.path);
        }
    });
}

} // namespace velta::report
