#pragma once
// The station's payment types (PAYTYPE): names by code, the host's menu
// positions and the codes a report's flags or codes choose.
#include <QString>
#include <QVector>
#include <cstdint>

namespace velta::station {

class StationDatabase;

class PayTypes {
public:
    explicit PayTypes(StationDatabase& db);

    // Cash is the base kind 0 ("Наличные", code mod 100); every other kind
    // (terminal, cards, statements, contracts, coupons ...) is non-cash.
    static bool isCash(int code) { return code % 100 == 0; }
    // Statement sales are the base kind 4.
    static bool isStatement(int code) { return code % 100 == 4; }

    // The name of a code; codes the station does not know read "Вид оплаты N".
    QString name(int code) const;
    // The name at a menu position (empty when no payment type stands there).
    QString nameAtPosition(int position) const;
    // The menu position of a code; -1 for codes the station does not know.
    int position(int code) const;
    // Every code in position order.
    QVector<int> all() const;

    // What a report covers when neither its codes nor its flags choose a type.
    enum class WhenNoneChosen { Nothing, StatementTypes };
    // The codes a report is asked for: the codes when given (each once), else
    // those whose position has the flag 1 (in position order), else as told
    // (the statement types in code order).
    QVector<int> selected(const QVector<std::int64_t>& flags, const QVector<std::int64_t>& codes,
                          WhenNoneChosen fallback = WhenNoneChosen::Nothing) const;

private:
    struct Entry {
        int code;
        QString name;
        int position;
    };
    QVector<Entry> entries_;
};

} // namespace velta::station
