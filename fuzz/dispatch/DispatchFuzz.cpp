// libFuzzer target of the station server's request dispatch: an input is a
// stream of request frames, as a client sends them, each handed straight to
// ServerSession::handle on one session, so requests can open cursors for
// later ones to fetch and close. No socket: the session works on a small
// demo station made once per fuzzing process.
#include "common/WireProtocol.h"
#include "station/db/StationDatabase.h"
#include "station/demo/StationInit.h"
#include "station/server/ServerSession.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using namespace velta;

// Requests in one input; more only repeat what the first ones reach.
constexpr int kMaxRequests = 16;

struct FuzzStation {
    QTemporaryDir dir;
    std::unique_ptr<station::StationDatabase> db;
};

FuzzStation* gStation = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    gStation = new FuzzStation;
    if (!gStation->dir.isValid()) {
        std::fprintf(stderr, "no temporary folder for the fuzzing station\n");
        std::exit(1);
    }
    station::InitOptions options;
    options.root = gStation->dir.filePath(QStringLiteral("station"));
    options.sales = 40;
    try {
        gStation->db = std::make_unique<station::StationDatabase>(station::initStation(options).stationPath);
    } catch (const Exception& e) {
        std::fprintf(stderr, "cannot make the fuzzing station: %s\n", e.message().toUtf8().constData());
        std::exit(1);
    }
    // The station's folder goes with the process.
    std::atexit([] {
        delete gStation;
        gStation = nullptr;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FrameDecoder frames(static_cast<std::uint32_t>(size));
    frames.append(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    station::ServerSession session(*gStation->db, QString());
    for (int i = 0; i < kMaxRequests; ++i) {
        std::optional<QByteArray> request;
        try {
            request = frames.next();
        } catch (const EProtocolError&) {
            break; // the input's own framing, not the server's concern here
        }
        if (!request)
            break;
        // Every answer must itself decode as an answer; anything thrown here
        // (the session lets nothing out) ends the run as a failure.
        const station::ServerSession::Reply reply = session.handle(*request);
        decodeAnswer(reply.payload);
        if (reply.close)
            break;
    }
    return 0;
}
