#include "devices/Lectra.h"

#include "devices/ScanChannel.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using velta::devices::kMaxCodeLength;

// What the program calls and the delivery thread share. Never destroyed: the
// thread may still run while the process exits.
struct State {
    std::mutex mutex;
    LectraEventProc proc = nullptr;
    // Bumped whenever the thread is told to stop; a thread of an older
    // generation delivers nothing more.
    unsigned generation = 0;
    bool running = false;
    int hookWrite = -1;      // the program's end of the hook channel
    std::string socketPath;  // the socket this process listens on; empty when none
};

State& state()
{
    static State* shared = new State;
    return *shared;
}

void report(const std::string& message)
{
    std::fprintf(stderr, "liblectra: %s\n", message.c_str());
}

// Binds the scanner socket. A socket file left by a process that died is
// taken over; a live library elsewhere keeps it. Returns -1 when not listening.
int listenSocket(std::string& path)
{
    velta::devices::ensureSocketFolder();
    path = velta::devices::scannerSocketPath();
    sockaddr_un address;
    if (!velta::devices::socketAddress(path, address)) {
        report("the socket path " + path + " is too long; velta-scan cannot reach this scanner");
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const auto* raw = reinterpret_cast<const sockaddr*>(&address);
    if (::bind(fd, raw, sizeof address) == 0)
        return fd;
    if (errno == EADDRINUSE) {
        const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const bool alive = probe >= 0 && ::connect(probe, raw, sizeof address) == 0;
        if (probe >= 0)
            ::close(probe);
        if (!alive && ::unlink(path.c_str()) == 0 && ::bind(fd, raw, sizeof address) == 0)
            return fd;
        if (alive) {
            report("another program's scanner library listens on " + path);
            ::close(fd);
            return -1;
        }
    }
    report("cannot listen on " + path + ": " + std::strerror(errno));
    ::close(fd);
    return -1;
}

// Calls the installed procedure with a code of `length` bytes at code[1].
// False when this thread's generation is over.
bool deliver(unsigned generation, unsigned char* code, std::size_t length)
{
    LectraEventProc proc;
    {
        std::lock_guard<std::mutex> hold(state().mutex);
        if (state().generation != generation)
            return false;
        proc = state().proc;
    }
    code[0] = static_cast<unsigned char>(length);
    if (proc)
        proc(code);
    return true;
}

// Reads one message, cut to the longest code, into code[1...]: its length,
// 0 for an empty message, -1 when nothing is waiting, -2 when the channel failed.
ssize_t receive(int fd, unsigned char* code)
{
    ssize_t n;
    do {
        n = ::recv(fd, code + 1, kMaxCodeLength, MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n >= 0)
        return n;
    return errno == EAGAIN || errno == EWOULDBLOCK ? -1 : -2;
}

// The delivery thread: codes from the hook channel and from the socket, one
// at a time, until the program closes the hook channel or a newer thread
// takes over.
void run(unsigned generation, int hookRead, int socketFd)
{
    unsigned char code[kMaxCodeLength + 1];
    bool going = true;
    while (going) {
        pollfd fds[2] = {{hookRead, POLLIN, 0}, {socketFd, POLLIN, 0}};
        if (::poll(fds, socketFd >= 0 ? 2 : 1, -1) < 0) {
            going = errno == EINTR;
            continue;
        }
        if (fds[0].revents) {
            // The hook never sends an empty code: an empty read is the closed channel.
            const ssize_t n = receive(hookRead, code);
            if (n > 0)
                going = deliver(generation, code, static_cast<std::size_t>(n));
            else
                going = n == -1;
        }
        if (going && socketFd >= 0 && fds[1].revents) {
            // Empty datagrams are skipped; a socket that fails is given up.
            const ssize_t n = receive(socketFd, code);
            if (n > 0) {
                going = deliver(generation, code, static_cast<std::size_t>(n));
            } else if (n == -2) {
                report(std::string("the scanner socket failed: ") + std::strerror(errno));
                ::close(socketFd);
                socketFd = -1;
            }
        }
    }
    ::close(hookRead);
    if (socketFd >= 0)
        ::close(socketFd);
}

// Starts listening; called with the mutex held.
void start(State& s)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
        report(std::string("cannot start the scanner thread: ") + std::strerror(errno));
        return;
    }
    std::string path;
    const int socketFd = listenSocket(path);
    try {
        std::thread(run, s.generation, pair[0], socketFd).detach();
    } catch (const std::exception& e) {
        report(std::string("cannot start the scanner thread: ") + e.what());
        ::close(pair[0]);
        ::close(pair[1]);
        if (socketFd >= 0) {
            ::close(socketFd);
            ::unlink(path.c_str());
        }
        return;
    }
    s.running = true;
    s.hookWrite = pair[1];
    s.socketPath = socketFd >= 0 ? path : std::string();
}

// Stops listening at once (velta-scan finds nobody from now on) and lets the
// thread end after the delivery it may be in; called with the mutex held.
void stop(State& s)
{
    if (!s.socketPath.empty())
        ::unlink(s.socketPath.c_str());
    s.socketPath.clear();
    ::close(s.hookWrite);
    s.hookWrite = -1;
    ++s.generation;
    s.running = false;
}

// A process that exits while listening leaves no socket file behind.
__attribute__((destructor)) void removeSocketAtExit()
{
    State& s = state();
    std::lock_guard<std::mutex> hold(s.mutex);
    if (!s.socketPath.empty())
        ::unlink(s.socketPath.c_str());
    s.socketPath.clear();
}

} // namespace

extern "C" LectraEventProc SetEventProc(LectraEventProc proc)
{
    State& s = state();
    std::lock_guard<std::mutex> hold(s.mutex);
    const LectraEventProc previous = s.proc;
    s.proc = proc;
    if (proc && !s.running)
        start(s);
    else if (!proc && s.running)
        stop(s);
    return previous;
}

extern "C" int VeltaScanDeliver(const char* code, int length)
{
    if (!code || length <= 0)
        return 0;
    State& s = state();
    int fd;
    {
        std::lock_guard<std::mutex> hold(s.mutex);
        if (!s.running)
            return 0;
        // Sent outside the lock: a full channel waits for the thread, and the
        // thread takes the lock before each delivery.
        fd = ::fcntl(s.hookWrite, F_DUPFD_CLOEXEC, 0);
    }
    if (fd < 0)
        return 0;
    const std::size_t size = std::min(static_cast<std::size_t>(length), kMaxCodeLength);
    ssize_t sent;
    do {
        sent = ::send(fd, code, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    ::close(fd);
    return sent == static_cast<ssize_t>(size) ? 1 : 0;
}
