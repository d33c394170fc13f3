#pragma once
// The cash register's receipt tape: the lines a print function receives, laid
// out as the register prints them. A line longer than the tape goes on in the
// next line; a line that starts with "@" prints bold, without its "@".
#include <QList>
#include <QString>
#include <QStringList>

namespace velta::host {

inline constexpr int kTapeWidth = 40;

struct TapeLine {
    QString text;
    bool bold = false;
    bool operator==(const TapeLine&) const = default;
};

QList<TapeLine> layoutTape(const QStringList& lines, int width = kTapeWidth);

} // namespace velta::host
