#pragma once
// The discount cards over all sales (report 35, selector 1):
// [1, form, cards, stations]. Cards is "*" for every card or one number or
// mask per line (? one character, * any run of them); stations is "*" or the
// chosen station names, each followed by a line break. The forms: 0 by card,
// station and fuel; 1 by card and station; 2 by card.
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QVector>

namespace velta::station {

// The card masks of the cards text: none for "*" (every card), else one
// anchored pattern per non-empty line.
class CardMasks {
public:
    explicit CardMasks(const QString& cards);
    bool all() const { return all_; }
    bool matches(const QString& card) const;
    const QStringList& texts() const { return texts_; }

private:
    bool all_ = false;
    QStringList texts_;
    QVector<QRegularExpression> patterns_;
};

// The station names of the stations text; every station for "*".
struct StationChoice {
    bool all = false;
    QStringList names;
    static StationChoice read(const QString& stations);
    bool includes(const QString& station) const;
};

ReportDocument discountCardsReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
