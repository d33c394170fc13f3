#include "tests/support/StationSql.h"

#include "common/StationProtocol.h"
#include "common/WireClient.h"

namespace velta::test {

DataPacket StationQuery(WireClient& client, const QString& sql)
{
    const Variant answer = client.call(QString::fromLatin1(station::kOpenProvider),
                                       {Variant(QStringLiteral("DSPRepCustomSQL")), Variant(sql),
                                        Variant(Variant::Array{}), Variant(-1)});
    return DataPacket::fromBytes(answer.at(1).toByteArray());
}

void StationExecute(WireClient& client, const QString& sql)
{
    client.call(QString::fromLatin1(station::kExecute),
                {Variant(QStringLiteral("DSPRepCustomSQL")), Variant(sql), Variant(Variant::Array{})});
}

} // namespace velta::test
