#include "devices/ScanChannel.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velta::devices {

std::string scannerSocketPath()
{
    const char* value = std::getenv("VELTA_LOCK_DIR");
    std::string folder = value && *value ? value : "/tmp/velta-locks";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder + "/lectra-scanner.sock";
}

bool socketAddress(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

namespace {

void makeFolder(const std::string& folder)
{
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) == 0)
        return;
    const std::size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0)
        makeFolder(folder.substr(0, slash));
    if (::mkdir(folder.c_str(), 01777) == 0)
        ::chmod(folder.c_str(), 01777);
}

} // namespace

void ensureSocketFolder()
{
    const std::string path = scannerSocketPath();
    makeFolder(path.substr(0, path.rfind('/')));
}

SendResult sendCode(const std::string& code, std::string& message)
{
    const std::string path = scannerSocketPath();
    sockaddr_un address;
    if (!socketAddress(path, address)) {
        message = "the socket path " + path + " is too long";
        return SendResult::Failed;
    }

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        message = std::string("cannot create a socket: ") + std::strerror(errno);
        return SendResult::Failed;
    }
    ssize_t sent;
    do {
        sent = ::sendto(fd, code.data(), code.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (sent < 0 && errno == EINTR);
    const int error = errno;
    ::close(fd);
    if (sent >= 0)
        return SendResult::Sent;
    if (error == ENOENT || error == ECONNREFUSED || error == ENOTSOCK) {
        message = "no scanner library is listening on " + path;
        return SendResult::NoListener;
    }
    message = "cannot send to " + path + ": " + std::strerror(error);
    return SendResult::Failed;
}

} // namespace velta::devices
