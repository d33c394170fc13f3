#pragma once
// The local channel between velta-scan and the scanner library: a Unix
// datagram socket "lectra-scanner.sock" in the lock folder ($VELTA_LOCK_DIR,
// default /tmp/velta-locks). One datagram is one scanned code in cp1251,
// without length byte or terminator. Plain C++ and POSIX: the scanner library
// loads into any program without bringing anything else along.
#include <cstddef>
#include <string>
#include <sys/un.h>

namespace velta::devices {

// The longest code the scanner delivers; longer codes are cut.
inline constexpr std::size_t kMaxCodeLength = 255;

// The socket's path (the lock folder may be given with trailing slashes).
std::string scannerSocketPath();

// The address of the socket at `path`; false when the path is too long for one.
bool socketAddress(const std::string& path, sockaddr_un& address);

// Creates the lock folder when missing, world-writable with the sticky bit as
// the named locks make it.
void ensureSocketFolder();

enum class SendResult {
    Sent,       // a scanner library listens and took the code
    NoListener, // no socket, or no live library behind it
    Failed,     // anything else; the message says what
};

// Sends one code to the listening scanner library.
SendResult sendCode(const std::string& code, std::string& message);

} // namespace velta::devices
