// Writes starting inputs for the wire fuzz targets: valid packets and frame
// streams, so the fuzzers begin from the real formats.
#include "common/DataPacket.h"
#include "common/WireProtocol.h"

#include <QDir>
#include <QFile>
#include <cstdio>

using namespace velta;

namespace {

bool save(const QString& dir, const QString& name, const QByteArray& bytes)
{
    QFile file(QDir(dir).filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

DataPacket samplePacket()
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("ID"), FieldType::Int32, 0, FieldInKey | FieldInUpdate | FieldRequired));
    packet.addField(FieldDef(QStringLiteral("NAME"), FieldType::String, 100));
    packet.addField(FieldDef(QStringLiteral("Client"), FieldType::Int16));
    packet.addField(FieldDef(QStringLiteral("LITER"), FieldType::Currency));
    packet.addField(FieldDef(QStringLiteral("MASSA"), FieldType::FmtBcd));
    packet.addField(FieldDef(QStringLiteral("TIDEDATE"), FieldType::DateTime));
    packet.addField(FieldDef(QStringLiteral("DOCDATA"), FieldType::Date));
    packet.addField(FieldDef(QStringLiteral("Flag"), FieldType::Boolean));
    packet.addField(FieldDef(QStringLiteral("Ratio"), FieldType::Float));
    packet.addField(FieldDef(QStringLiteral("Big"), FieldType::Int64));
    packet.addField(FieldDef(QStringLiteral("At"), FieldType::Time));
    packet.addField(FieldDef(QStringLiteral("OTHER"), FieldType::Memo));
    packet.setProperty(QStringLiteral("Provider"), Variant("DSPRepAllLogTran"));
    packet.setMoreRows(true);
    packet.appendRow({Variant(1), Variant("АИ-95"), Variant(std::int16_t{3}), Variant(Currency{123456}),
                      Variant(Currency{-1}), Variant::fromDate(45000.5), Variant::fromDate(45000.0), Variant(true),
                      Variant(0.5), Variant(7LL), Variant::fromDate(0.25), Variant("memo")});
    QVector<Variant> nulls(packet.fieldCount(), Variant::null());
    nulls[0] = Variant(2);
    packet.appendRow(nulls);
    packet.addChange({RowState::Modified, packet.row(0),
                      {Variant(), Variant("ДТ"), Variant(), Variant(), Variant::null(), Variant(), Variant(), Variant(),
                       Variant(), Variant(), Variant(), Variant()}});
    packet.addChange({RowState::Inserted, {}, packet.row(1)});
    packet.addChange({RowState::Deleted, packet.row(1), {}});
    return packet;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-seeds PACKET_DIR FRAME_DIR\n");
        return 2;
    }
    const QString packets = QString::fromLocal8Bit(argv[1]);
    const QString frames = QString::fromLocal8Bit(argv[2]);
    DataPacket empty;
    DataPacket one;
    one.addField(FieldDef(QStringLiteral("A"), FieldType::String, 10));
    one.appendRow({Variant("x")});
    const QByteArray request = encodeRequest(QStringLiteral("GetRecords"),
                                             {Variant("DSPTRKHistory"), Variant(100), Variant(Variant::Array{Variant("1")})});
    // The first byte of a frame input picks the piece size.
    const QByteArray stream = encodeFrame(request) + encodeFrame(encodeResult(Variant(Variant::Array{Variant(1)})))
        + encodeFrame(encodeError(QStringLiteral("EDatabaseError"), QStringLiteral("Ошибка")));
    const bool ok = save(packets, QStringLiteral("sample"), samplePacket().toBytes())
        && save(packets, QStringLiteral("empty"), empty.toBytes()) && save(packets, QStringLiteral("one"), one.toBytes())
        && save(frames, QStringLiteral("stream"), QByteArray(1, '\x03') + stream)
        && save(frames, QStringLiteral("request"), QByteArray(1, '\x00') + encodeFrame(request));
    return ok ? 0 : 1;
}
