#pragma once
// Hand-built dBase files for the DBF tests: every header byte under the
// test's control, so damaged and unusual files can be made on purpose.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>

namespace velta::test {

struct RawField {
    QByteArray name;
    char letter;
    int length;
    int decimals = 0;
};

struct RawTable {
    std::uint8_t version = 3;
    std::uint8_t yearByte = 124;
    std::uint8_t languageDriver = 0;
    QVector<RawField> fields;
    QVector<QByteArray> records; // each without the deletion mark, padded to the record size
    QVector<bool> deleted;       // per record; missing entries are live

    // The file; negative overrides keep the computed values.
    QByteArray bytes(qint64 recordCount = -1, int headerSize = -1, int recordSize = -1) const;
    int recordSize() const;
};

inline int RawTable::recordSize() const
{
    int size = 1;
    for (const RawField& f : fields)
        size += f.length;
    return size;
}

inline QByteArray RawTable::bytes(qint64 recordCount, int headerSize, int recordSize) const
{
    const int realHeader = 32 + 32 * static_cast<int>(fields.size()) + 1;
    const int realRecord = this->recordSize();
    const qint64 count = recordCount >= 0 ? recordCount : records.size();
    const int hs = headerSize >= 0 ? headerSize : realHeader;
    const int rs = recordSize >= 0 ? recordSize : realRecord;
    QByteArray out(32, '\0');
    out[0] = static_cast<char>(version);
    out[1] = static_cast<char>(yearByte);
    out[2] = 6;
    out[3] = 15;
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    out[8] = static_cast<char>(hs & 0xFF);
    out[9] = static_cast<char>((hs >> 8) & 0xFF);
    out[10] = static_cast<char>(rs & 0xFF);
    out[11] = static_cast<char>((rs >> 8) & 0xFF);
    out[29] = static_cast<char>(languageDriver);
    for (const RawField& f : fields) {
        QByteArray d(32, '\0');
        d.replace(0, f.name.size(), f.name);
        d[11] = f.letter;
        d[16] = static_cast<char>(f.length);
        d[17] = static_cast<char>(f.decimals);
        out += d;
    }
    out += '\r';
    for (int i = 0; i < records.size(); ++i) {
        QByteArray r = records[i].leftJustified(realRecord - 1, ' ', true);
        out += (i < deleted.size() && deleted[i]) ? '*' : ' ';
        out += r;
    }
    out += '\x1a';
    return out;
}

} // namespace velta::test
