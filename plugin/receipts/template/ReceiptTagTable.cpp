#include "plugin/receipts/template/ReceiptTagTable.h"

namespace velta::receipts {

namespace {

ReceiptTag row(const char* name, const char* description, int shownFor, TagKind kind, const char* format = "")
{
    return {QString::fromUtf8(name), QString::fromUtf8(description), shownFor, kind, QString::fromUtf8(format)};
}

QList<ReceiptTag> makeTable()
{
    constexpr int all = kShownForAll;
    const char* dateTime = "dd.mm.yyyy hh:mm:ss";
    return {
        row("DateTime", "Дата и время отлива", all, TagKind::DateTime, dateTime),
        row("CurDateTime", "Текущие дата и время (на компьютере)", all, TagKind::DateTime, dateTime),
        row("Kassir", "Ф.И.О. кассира", all, TagKind::Text),
        row("AZS", "Наименование АЗС", all, TagKind::Text),
        row("OrgName", "Наименование Вашей организации", all, TagKind::Text),
        row("Liter", "Количество заправленых литров", all, TagKind::Number, ".2"),
        row("Massa", "Масса заправленых литров", all, TagKind::Number, ".2"),
        row("Price", "Стоимость одного литра", all, TagKind::Number, ".2"),
        row("Summa", "Общая сумма", all, TagKind::Number, ".2"),
        row("GSM", "Наименование ГСМ", all, TagKind::Text),
        row("Dsc", "Размер скидки в процентах", all, TagKind::Number, ".2"),
        row("DscSum", "Сумма скидки", all, TagKind::Number, ".2"),
        row("VidOpl", "Название вида оплаты", all, TagKind::Text),
        row("TRKDens", "Плотность по ТРК", all, TagKind::Number, ".4"),
        row("CardNum", "Номер платежной/дисконтной карты", all, TagKind::Text),
        row("Запас", "Запас", 50, TagKind::Placeholder),
        row("DscFullInfo", "Скидка и ее детализация", all, TagKind::Text),
        row("CNT", "Контрагент (покупатель)", 4, TagKind::Text),
        row("INN", "ИНН контрагента", 4, TagKind::Text),
        row("Driver", "Водитель", 4, TagKind::Text),
        row("Auto", "Номер автомобиля", 4, TagKind::Text),
        row("PutList", "Путевой лист", 4, TagKind::Text),
        row("Запас", "Запас", 50, TagKind::Placeholder),
        row("DogCNT", "Контрагент (договорной)", 8, TagKind::Text),
        row("INN", "ИНН контрагента", 8, TagKind::Text),
        row("TalonList", "Список талонов", 9, TagKind::Text),
    };
}

} // namespace

const QList<ReceiptTag>& ReceiptTagTable()
{
    static const QList<ReceiptTag> table = makeTable();
    return table;
}

QList<ReceiptTag> ReceiptTagsFor(int payTypeCode)
{
    QList<ReceiptTag> offered;
    for (const ReceiptTag& tag : ReceiptTagTable())
        if (tag.shownFor == kShownForAll || tag.shownFor == payTypeCode)
            offered.append(tag);
    return offered;
}

} // namespace velta::receipts
