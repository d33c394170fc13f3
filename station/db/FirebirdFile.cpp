#include "station/db/FirebirdFile.h"

#include "common/Exception.h"
#include "common/QuotedStr.h"

#include <QFile>
#include <cstdint>
#include <dlfcn.h>

namespace velta::station {
namespace {

// The few entry points of the Firebird client API used here, declared as the
// C interface defines them (ISC_STATUS is a pointer-sized integer).
using IscStatus = std::intptr_t;
using ExecuteImmediateFn = IscStatus (*)(IscStatus*, void* db, void* tr, unsigned short length,
                                         const char* statement, unsigned short dialect, const void* sqlda);
using AttachFn = IscStatus (*)(IscStatus*, short nameLength, const char* name, void* db, short dpbLength,
                               const char* dpb);
using DetachFn = IscStatus (*)(IscStatus*, void* db);
using InterpretFn = int (*)(char* buffer, unsigned int size, const IscStatus** status);

constexpr int kStatusLength = 20;

struct ClientLibrary {
    void* handle = nullptr;
    ExecuteImmediateFn executeImmediate = nullptr;
    AttachFn attach = nullptr;
    DetachFn detach = nullptr;
    InterpretFn interpret = nullptr;

    ClientLibrary()
    {
        for (const char* name : {"libfbclient.so.2", "libfbclient.so"}) {
            handle = ::dlopen(name, RTLD_NOW | RTLD_GLOBAL);
            if (handle)
                break;
        }
        if (!handle)
            return;
        executeImmediate = reinterpret_cast<ExecuteImmediateFn>(::dlsym(handle, "isc_dsql_execute_immediate"));
        attach = reinterpret_cast<AttachFn>(::dlsym(handle, "isc_attach_database"));
        detach = reinterpret_cast<DetachFn>(::dlsym(handle, "isc_detach_database"));
        interpret = reinterpret_cast<InterpretFn>(::dlsym(handle, "fb_interpret"));
    }
    bool usable() const { return executeImmediate && attach && detach && interpret; }
};

const ClientLibrary& clientLibrary()
{
    static const ClientLibrary library; // kept loaded: the Qt driver uses it too
    if (!library.usable())
        throw EDatabaseError(QStringLiteral("Firebird client library (libfbclient) not found"));
    return library;
}

bool failed(const IscStatus* status)
{
    return status[0] == 1 && status[1] != 0;
}

// Parameter block items of an attachment.
constexpr char kDpbVersion1 = 1;
constexpr char kDpbForceWrite = 24;
constexpr char kDpbUserName = 28;
constexpr char kDpbPassword = 29;

void appendItem(QByteArray& dpb, char item, const QByteArray& value)
{
    dpb.append(item);
    dpb.append(static_cast<char>(value.size()));
    dpb.append(value);
}

QString statusText(const ClientLibrary& lib, const IscStatus* status)
{
    QStringList parts;
    char buffer[1024];
    const IscStatus* cursor = status;
    while (lib.interpret(buffer, sizeof buffer, &cursor) > 0)
        parts << QString::fromLocal8Bit(buffer);
    return parts.join(QLatin1Char('\n'));
}

} // namespace

void createDatabaseFile(const QString& path, const DatabaseFileOptions& options)
{
    const ClientLibrary& lib = clientLibrary();

    const QByteArray statement = QStringLiteral("CREATE DATABASE %1 USER 'SYSDBA' PASSWORD 'masterkey' "
                                                "PAGE_SIZE %2 DEFAULT CHARACTER SET %3")
                                     .arg(QuotedStr(path))
                                     .arg(options.pageSize)
                                     .arg(options.charset)
                                     .toUtf8();
    // The handles are 32 bits wide on 64-bit systems; a zeroed 64-bit slot fits either width.
    std::uint64_t db = 0;
    std::uint64_t tr = 0;
    IscStatus status[kStatusLength] = {};
    lib.executeImmediate(status, &db, &tr, static_cast<unsigned short>(statement.size()), statement.constData(), 3,
                         nullptr);
    if (failed(status))
        throw EDatabaseError(QStringLiteral("Cannot create database %1: %2").arg(path, statusText(lib, status)));
    IscStatus detachStatus[kStatusLength] = {};
    lib.detach(detachStatus, &db);
    if (failed(detachStatus))
        throw EDatabaseError(QStringLiteral("Cannot close new database %1: %2").arg(path, statusText(lib, detachStatus)));
}

void setForcedWrites(const QString& path, bool on)
{
    const ClientLibrary& lib = clientLibrary();
    QByteArray dpb(1, kDpbVersion1);
    appendItem(dpb, kDpbForceWrite, QByteArray(1, on ? 1 : 0));
    appendItem(dpb, kDpbUserName, "SYSDBA");
    appendItem(dpb, kDpbPassword, "masterkey");
    const QByteArray name = path.toUtf8();
    std::uint64_t db = 0;
    IscStatus status[kStatusLength] = {};
    lib.attach(status, static_cast<short>(name.size()), name.constData(), &db, static_cast<short>(dpb.size()),
               dpb.constData());
    if (failed(status))
        throw EDatabaseError(QStringLiteral("Cannot change the write mode of %1: %2").arg(path, statusText(lib, status)));
    IscStatus detachStatus[kStatusLength] = {};
    lib.detach(detachStatus, &db);
}

} // namespace velta::station
