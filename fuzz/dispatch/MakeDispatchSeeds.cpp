// Writes starting inputs for the dispatch fuzz target: a valid request of
// each method of the station server, and short conversations that open a
// cursor, fetch from it and close it.
#include "common/DataPacket.h"
#include "common/StationProtocol.h"
#include "common/WireProtocol.h"

#include <QDir>
#include <QFile>
#include <cstdio>

using namespace velta;
using namespace velta::station;

namespace {

QByteArray frame(const char* method, const Variant::Array& args)
{
    return encodeFrame(encodeRequest(QString::fromLatin1(method), args));
}

Variant pair(const char* name, const Variant& value)
{
    return Variant(Variant::Array{Variant(name), value});
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SEED_DIR\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    DataPacket delta;
    delta.addField(FieldDef(QStringLiteral("ID"), FieldType::Int32, 0, FieldInKey | FieldInUpdate | FieldRequired));
    const Variant none(Variant::Array{});
    const QList<std::pair<const char*, QByteArray>> seeds{
        {"authenticate", frame(kAuthenticate, {Variant("key")})},
        {"open-all", frame(kOpenProvider, {Variant("DSPRepScanDocTypes"), Variant(""), none, Variant(-1)})},
        {"open-sql", frame(kOpenProvider, {Variant("DSPRepCustomSQL"), Variant("SELECT * FROM SMLOG"), none, Variant(-1)})},
        {"open-params", frame(kOpenProvider, {Variant("DSPTRKHistory"), Variant(""),
                                              Variant(Variant::Array{pair("TrkName", Variant("1"))}), Variant(5)})},
        {"open-fetch-close", frame(kOpenProvider, {Variant("DSPRepLogTran"), Variant(""), none, Variant(2)})
                                 + frame(kFetchRows, {Variant(1), Variant(3)})
                                 + frame(kFetchRows, {Variant(1), Variant(-1)})
                                 + frame(kCloseCursor, {Variant(1)})},
        {"open-close", frame(kOpenProvider, {Variant("DSPRepTTNID"), Variant(""), none, Variant(1)})
                           + frame(kCloseCursor, {Variant(1)})},
        {"fetch", frame(kFetchRows, {Variant(1), Variant(10)})},
        {"close", frame(kCloseCursor, {Variant(0)})},
        {"apply", frame(kApplyUpdates, {Variant(Variant::Array{Variant("DSPRepTTN"), Variant(""), Variant(delta.toBytes())})})},
        {"apply-none", frame(kApplyUpdates, {})},
        {"execute", frame(kExecute, {Variant("DSPRepCustomSQL"), Variant("UPDATE SMLOG SET SMENA = SMENA WHERE 1 = 0"), none})},
        {"config", frame(kGetAZSConfig, {})},
        {"contragent", frame(kGetNewContragentNumber, {})},
        {"report-ex", frame(kGetReportEx, {Variant(0), Variant(Variant::Array{Variant(1), Variant(3)}), Variant("WP1")})},
        {"report", frame(kGetReport, {Variant(45), Variant(Variant::Array{Variant(1), Variant(2)})})
                       + frame(kGetReport, {Variant(55), none})},
        {"report-service", frame(kGetReportEx, {Variant(35), Variant(Variant::Array{Variant(1000), Variant(1)})})},
    };
    for (const auto& [name, bytes] : seeds) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", name);
            return 1;
        }
    }
    return 0;
}
