#include "plugin/consignment/selection/SaleSelection.h"

#include "common/SysUtils.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"

namespace velta::consignment {

namespace {

const QString kMergeQuestion = QStringLiteral(
    "Уже есть отгрузка топлива \"%s\"\r\n\r\nВы хотите объединить отгрузку топлива:\r\n"
    "объем: %fл., масса: %fкг, плотн.: %f, сумма: %fр.\r\nс имеющейся отгрузкой (нажать ДА), или хотите\r\n"
    "хотите разместить эту отгрузку в отдельной\r\nстроке ТТН (нажать НЕТ)?");
const QString kTooManyRecords = QStringLiteral(
    "Максимальное количество грузов: 10. Вы выбрали: %d\r\nНеобходимо снять выбор лишних грузов (клавишей Пробел)!");
const QString kMixedContragents = QStringLiteral(
    "Для выбранных отливов указан разный контрагент!\r\nВы действительно хотите поместить все выбранные\r\n"
    "отливы в одной ТТН?");

template <class T>
void takeValue(T& target, const T& value, bool all)
{
    if (all || target == T{})
        target = value;
}

} // namespace

int TSaleSelection::indexOf(int row) const
{
    for (int i = 0; i < marked_.size(); ++i)
        if (marked_.at(i).row == row)
            return i;
    return -1;
}

std::optional<TSaleSelection::Entry> TSaleSelection::currentSale() const
{
    const int row = rows_.CurrentRow();
    if (row <= 0)
        return std::nullopt;
    const int sale = rows_.ReadCurrent().saleNumber;
    if (sale <= 0)
        return std::nullopt;
    return Entry{row, sale};
}

void TSaleSelection::ToggleCurrent()
{
    const std::optional<Entry> sale = currentSale();
    if (!sale)
        return;
    const int index = indexOf(sale->row);
    if (index >= 0)
        Unmark(index);
    else
        marked_.append(*sale);
}

void TSaleSelection::MarkMainCurrent()
{
    const std::optional<Entry> sale = currentSale();
    if (!sale)
        return;
    const int index = indexOf(sale->row);
    if (index < 0) {
        marked_.append(*sale);
        main_ = static_cast<int>(marked_.size()) - 1;
    } else if (main_ == index) {
        main_.reset();
    } else {
        main_ = index;
    }
}

void TSaleSelection::Unmark(int index)
{
    if (index < 0 || index >= marked_.size())
        return;
    marked_.removeAt(index);
    if (!main_)
        return;
    if (*main_ == index)
        main_.reset();
    else if (index < *main_)
        --*main_;
}

TSaleSelection::OkResult TSaleSelection::Ok(Dialogs& dialogs)
{
    if (marked_.isEmpty()) {
        if (const std::optional<Entry> sale = currentSale()) {
            marked_.append(*sale);
            main_ = 0;
        }
    }
    records_.clear();
    header_ = SaleSelectionHeader{};
    const int remembered = rows_.CurrentRow();

    QList<SaleRow> sales;
    for (int i = 0; i < marked_.size(); ++i) {
        rows_.MoveTo(marked_.at(i).row);
        const SaleRow sale = rows_.ReadCurrent();
        if (!addSale(dialogs, sale)) {
            rows_.MoveTo(remembered);
            return OkResult::Stay;
        }
        if (!main_)
            takeHeader(sale, false);
        else if (*main_ == i)
            takeHeader(sale, true);
        sales.append(sale);
    }
    const bool mixed = !main_ && mixesContragents(sales);

    rows_.MoveTo(remembered);
    for (TTideRecord& record : records_)
        record.computeDensities();

    if (records_.size() > kMaxRecords) {
        dialogs.messageBox(Format(kTooManyRecords, {Variant(static_cast<int>(records_.size()))}),
                           QStringLiteral("Внимание!"), MB_OK | MB_ICONERROR);
        return OkResult::Stay;
    }
    if (mixed && dialogs.messageBox(kMixedContragents, QStringLiteral("Внимание!"), MB_OKCANCEL | MB_ICONQUESTION)
                     != IDOK)
        return OkResult::Stay;
    return OkResult::Close;
}

bool TSaleSelection::addSale(Dialogs& dialogs, const SaleRow& sale)
{
    const Currency meterMass = sale.meterMass.value_or(Currency{});
    TTideRecord* found = nullptr;
    for (TTideRecord& record : records_) {
        if (record.name == sale.fuelName) {
            found = &record;
            break;
        }
    }
    if (found) {
        const int answer = dialogs.messageBox(
            Format(kMergeQuestion, {Variant(sale.fuelName), Variant(sale.volume.toDouble()),
                                    Variant(sale.mass.toDouble()), Variant(sale.density.toDouble()),
                                    Variant(sale.sum.toDouble())}),
            QStringLiteral("Внимание"), MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
        if (answer == IDCANCEL)
            return false;
        if (answer == IDYES) {
            TTideRecord merged;
            merged.saleNumber = sale.saleNumber;
            merged.name = sale.fuelName + kMergedSuffix;
            merged.main = false;
            merged.add(sale.volume, sale.mass, meterMass, sale.sum);
            found->add(sale.volume, sale.mass, meterMass, sale.sum);
            records_.append(merged); // after the update: appending may move the found record
            return true;
        }
    }
    TTideRecord record;
    record.saleNumber = sale.saleNumber;
    record.name = sale.fuelName;
    record.add(sale.volume, sale.mass, meterMass, sale.sum);
    records_.append(record);
    return true;
}

void TSaleSelection::takeHeader(const SaleRow& sale, bool all)
{
    SaleSelectionHeader& h = header_;
    takeValue(h.saleTime, sale.saleTime, all);
    takeValue(h.carrierId, sale.carrierId, all);
    takeValue(h.carrierName, sale.carrierName, all);
    takeValue(h.driverName, sale.driverName, all);
    takeValue(h.driverLicence, sale.driverLicence, all);
    takeValue(h.carMake, sale.carMake, all);
    takeValue(h.carNumber, sale.carNumber, all);
    takeValue(h.trailerMake, sale.trailerMake, all);
    takeValue(h.trailerNumber, sale.trailerNumber, all);
    takeValue(h.trailerGarageNumber, sale.trailerGarageNumber, all);
    takeValue(h.tripSheet, sale.tripSheet, all);
    if (sale.consigneeId)
        takeValue(h.consigneeId, *sale.consigneeId, all);
}

bool TSaleSelection::mixesContragents(const QList<SaleRow>& sales) const
{
    if (sales.isEmpty())
        return false;
    const QString& firstName = sales.front().carrierName;
    int consignee = 0;
    for (const SaleRow& sale : sales) {
        if (sale.carrierName != firstName)
            return true;
        if (!sale.consigneeId)
            continue;
        if (consignee == 0)
            consignee = *sale.consigneeId;
        else if (*sale.consigneeId != consignee)
            return true;
    }
    return false;
}

} // namespace velta::consignment
