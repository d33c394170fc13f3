#pragma once
// What a report call means, for both sides of it: the report numbers, the
// selectors of the service report 35, the functions behind selector 17, and
// the parameter array of the shift report (45) with the sections of its
// composition. The plug-in builds its calls with these names and the
// station's report engine reads them with the same names; the methods that
// carry the calls are in StationProtocol.h.
#include <cstdint>

namespace velta::report {

// ---- report numbers ----
inline constexpr int kFuelReceiptsJournal = 0;
inline constexpr int kBonusShift = 9;
inline constexpr int kSalesHistory = 10;
inline constexpr int kStatementPeriod = 11;
inline constexpr int kContragentPeriod = 12;
inline constexpr int kCarPeriod = 13;
inline constexpr int kStatementShift = 14;
inline constexpr int kContragentShift = 15;
inline constexpr int kCurrentStatementShift = 16;
inline constexpr int kCurrentContragentShift = 17;
inline constexpr int kTerminalReturnsShift = 19;
inline constexpr int kContractsShift = 25;
inline constexpr int kCurrentContractsShift = 26;
inline constexpr int kPumpOutsJournal = 31;
inline constexpr int kReturnsShift = 34;
inline constexpr int kService = 35;
inline constexpr int kShift = 45;
inline constexpr int kTalonsShift = 46;
inline constexpr int kCardsShift = 52;
inline constexpr int kDriverPeriod = 53;
// Not a report: the HTML rendering of the last report made.
inline constexpr int kLastReportHtml = 55;
inline constexpr int kMaxReportNo = 255;
// A report number in the engine's catalog for the reports that take no selector.
inline constexpr int kNoSelector = -1;

// ---- selectors of the service report (element 0 of its array) ----
// Their variant types are part of the call: a byte, or a word for the prologue.
inline constexpr std::uint8_t kSelectorDiscountCards = 1;   // [1, form 0..2, cards, stations]
inline constexpr std::uint8_t kSelectorProviderData = 2;
// The printed forms of a consignment note: [selector, TTN_ID] and for the
// goods waybill [7, TTN_ID, variant 0..2].
inline constexpr std::uint8_t kSelectorTtnGoods = 4;
inline constexpr std::uint8_t kSelectorTtnTransport = 5;
inline constexpr std::uint8_t kSelectorInvoice = 6;
inline constexpr std::uint8_t kSelectorGoodsWaybill = 7;
inline constexpr std::uint8_t kSelectorPrinterReceipt = 8;  // [8, sale, operator, post, comment]
inline constexpr std::uint8_t kSelectorReceiptTemplate = 9; // [9, payment type code]
inline constexpr std::uint8_t kSelectorMeter = 10;
inline constexpr std::uint8_t kSelectorReloads = 11;
inline constexpr std::uint8_t kSelectorLimitBalances = 12;
inline constexpr std::uint8_t kSelectorLimitsDetail = 13;
inline constexpr std::uint8_t kSelectorReturnsCodes = 14;
inline constexpr std::uint8_t kSelectorKeeperMovement = 15; // [15, keeper id, begin, end]
inline constexpr std::uint8_t kSelectorShipmentReceipt = 16; // [16, TTN_ID]
inline constexpr std::uint8_t kSelectorCallFunction = 17;
inline constexpr std::uint8_t kSelectorPriceHistory = 18;
inline constexpr std::uint8_t kSelectorTransfers = 19;
inline constexpr std::uint16_t kSelectorPrologue = 1000;

// Selector 17: [17, Fn, Args]; Fn 2 runs one of its own functions [Fn, Args]
// on the station database.
inline constexpr int kFnWithStationDatabase = 2;
inline constexpr int kFnNewScanDocId = 1;
inline constexpr int kFnNewScanDocTypeId = 2;
// Selector 9 answers this marker followed by the payment type's receipt
// template; an answer without it comes from an engine too old for receipts.
inline constexpr char kReceiptTemplateMarker[] = "#!OK!#";
// Selector 2: [2, SQL, base]; base 0 is the station, 1 the head office.
inline constexpr int kBaseStation = 0;
inline constexpr int kBaseOffice = 1;

// ---- the shift report (45) ----
// Its parameter array, element by element. The current-shift report of the
// menu sends the array without Codes; BegShift = EndShift = -1 (8-bit) is the
// current shift.
enum ShiftElement : int {
    kShiftBegShift,
    kShiftEndShift,
    kShiftComposition,
    kShiftStationValue,
    kShiftRoundRVal,
    kShiftDepartmentPath,
    kShiftOfficeWorkplace,
    kShiftFlags,
    kShiftSiloReportSortField,
    kShiftCodes,
    kShiftElementCount
};
inline constexpr std::int8_t kCurrentShiftMark = -1;

// The sections of its composition. An entry of the composition array is
// (position, kind, template path): the kind is the section for the text
// form and the section + kHtmlKindOffset for the HTML form.
enum ShiftSectionIndex : int {
    kSectionHeader = 0,
    kSectionEnd = 1,
    kSectionDispensers = 2,
    kSectionTanks = 3,
    kSectionFinancial = 4,
    kSectionReceipts = 5,
    kSectionMovement = 6,
    kSectionNonCash = 7,
    kSectionWarehouse = 8,
    kSectionGoodsReceipts = 9,
    kSectionFinancialByPayType = 10,
    kSectionFinancialGoods = 11,
    kSectionPumpOut = 12,
    kSectionCashDesks = 13,
    kSectionTerminalReturns = 14,
    kSectionStatements = 15,
    kSectionBonuses = 16,
    kSectionReloads = 17,
    kShiftSectionCount = 18,
};
inline constexpr int kHtmlKindOffset = 100;
// Elements per entry of the composition array (which ends with one unassigned element).
inline constexpr int kCompositionEntrySize = 3;

constexpr bool isHtmlKind(int kind)
{
    return kind >= kHtmlKindOffset;
}
constexpr int sectionOfKind(int kind)
{
    return isHtmlKind(kind) ? kind - kHtmlKindOffset : kind;
}

} // namespace velta::report
