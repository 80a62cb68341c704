// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeSoundServer.h"

#include "TempDir.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <list>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kotar::test {

namespace {

void SetNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

sockaddr_un UnixAddress(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path)
        throw std::runtime_error("socket path too long: " + text);
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

// One client connection and, when relaying, its connection to the real server.
struct Link {
    int client = -1;
    int upstream = -1;
    std::vector<char> to_upstream;
    std::vector<char> to_client;
};

// Reads what is there; false at the end of the stream or on an error.
bool ReadInto(int fd, std::vector<char>* out) {
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got > 0) {
            if (out != nullptr)
                out->insert(out->end(), chunk, chunk + got);
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return true;
        return false;
    }
}

// A peer that has gone must end the relay, not the test process: no SIGPIPE.
void WriteFrom(int fd, std::vector<char>& pending) {
    while (!pending.empty()) {
        const ssize_t put = send(fd, pending.data(), pending.size(), MSG_NOSIGNAL);
        if (put <= 0)
            return;
        pending.erase(pending.begin(), pending.begin() + put);
    }
}

}  // namespace

struct FakeSoundServer::State {
    std::filesystem::path path;
    std::filesystem::path relay_to;
    int listener = -1;
    int wake[2] = {-1, -1};
    std::thread thread;
    std::mutex mutex;
    bool hung = false;
    bool drop = false;
    bool stop = false;
    std::atomic<int> accepted{0};
    std::atomic<int> closed_by_client{0};
    std::list<Link> links;  // server thread only

    void Wake() { (void)!write(wake[1], "x", 1); }

    void Close(Link& link) {
        close(link.client);
        if (link.upstream >= 0)
            close(link.upstream);
    }

    void Accept() {
        const int client = accept(listener, nullptr, nullptr);
        if (client < 0)
            return;
        ++accepted;
        SetNonBlocking(client);
        Link link;
        link.client = client;
        if (!relay_to.empty()) {
            link.upstream = socket(AF_UNIX, SOCK_STREAM, 0);
            const sockaddr_un address = UnixAddress(relay_to);
            if (connect(link.upstream, reinterpret_cast<const sockaddr*>(&address),
                        sizeof address) != 0) {
                Close(link);
                return;
            }
            SetNonBlocking(link.upstream);
        }
        links.push_back(std::move(link));
    }

    void Run() {
        for (;;) {
            bool is_hung = false;
            {
                std::lock_guard lock(mutex);
                if (stop)
                    break;
                if (drop) {
                    for (Link& link : links)
                        Close(link);
                    links.clear();
                    drop = false;
                }
                is_hung = hung;
            }
            std::vector<pollfd> fds{{wake[0], POLLIN, 0}, {listener, POLLIN, 0}};
            for (const Link& link : links) {
                const bool out_client = !is_hung && !link.to_client.empty();
                const bool out_upstream = !is_hung && !link.to_upstream.empty();
                fds.push_back(
                    {link.client, static_cast<short>(POLLIN | (out_client ? POLLOUT : 0)), 0});
                if (link.upstream >= 0)
                    fds.push_back({link.upstream,
                                   static_cast<short>(POLLIN | (out_upstream ? POLLOUT : 0)), 0});
            }
            if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
                break;
            if ((fds[0].revents & POLLIN) != 0)
                ReadInto(wake[0], nullptr);
            if ((fds[1].revents & POLLIN) != 0)
                Accept();
            std::size_t at = 2;
            for (auto it = links.begin(); it != links.end() && at < fds.size();) {
                Link& link = *it;
                const short client_events = fds[at++].revents;
                const short upstream_events = link.upstream >= 0 ? fds[at++].revents : 0;
                bool open = true;
                if ((client_events & (POLLIN | POLLHUP | POLLERR)) != 0 &&
                    !ReadInto(link.client, link.upstream >= 0 ? &link.to_upstream : nullptr)) {
                    ++closed_by_client;
                    open = false;
                }
                if (open && (upstream_events & (POLLIN | POLLHUP | POLLERR)) != 0 &&
                    !ReadInto(link.upstream, &link.to_client))
                    open = false;  // the real server went away: so does this connection
                if (open) {
                    // Under the lock, so that nothing passes once Hang() has returned.
                    std::lock_guard lock(mutex);
                    if (!hung) {
                        WriteFrom(link.client, link.to_client);
                        if (link.upstream >= 0)
                            WriteFrom(link.upstream, link.to_upstream);
                    }
                }
                if (open) {
                    ++it;
                } else {
                    Close(link);
                    it = links.erase(it);
                }
            }
        }
        for (Link& link : links)
            Close(link);
        links.clear();
    }
};

FakeSoundServer::FakeSoundServer(std::filesystem::path socket_path, std::filesystem::path relay_to)
    : state_(std::make_unique<State>()) {
    state_->path = std::move(socket_path);
    state_->relay_to = std::move(relay_to);
    std::filesystem::remove(state_->path);
    state_->listener = socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = UnixAddress(state_->path);
    if (state_->listener < 0 ||
        bind(state_->listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(state_->listener, 64) != 0 || pipe(state_->wake) != 0)
        throw std::runtime_error("cannot listen at " + state_->path.string());
    SetNonBlocking(state_->listener);
    SetNonBlocking(state_->wake[0]);
    state_->thread = std::thread([state = state_.get()] { state->Run(); });
}

FakeSoundServer::~FakeSoundServer() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stop = true;
    }
    state_->Wake();
    state_->thread.join();
    close(state_->listener);
    close(state_->wake[0]);
    close(state_->wake[1]);
    std::error_code ignored;
    std::filesystem::remove(state_->path, ignored);
}

std::string FakeSoundServer::address() const {
    return "unix:" + state_->path.string();
}

void FakeSoundServer::Hang() {
    std::lock_guard lock(state_->mutex);
    state_->hung = true;
}

void FakeSoundServer::Resume() {
    {
        std::lock_guard lock(state_->mutex);
        state_->hung = false;
    }
    state_->Wake();
}

void FakeSoundServer::DropConnections() {
    {
        std::lock_guard lock(state_->mutex);
        state_->drop = true;
    }
    state_->Wake();
}

int FakeSoundServer::accepted() const {
    return state_->accepted;
}

int FakeSoundServer::closed_by_client() const {
    return state_->closed_by_client;
}

void TurnOffSharedMemory() {
    static const TempDir dir;
    const std::filesystem::path config = dir / "client.conf";
    WriteText(config, "enable-shm = no\n");
    setenv("PULSE_CLIENTCONFIG", config.c_str(), 1);
}

std::filesystem::path DefaultSoundServerSocket() {
    const char* server = std::getenv("PULSE_SERVER");
    if (server != nullptr && std::strncmp(server, "unix:", 5) == 0)
        return server + 5;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return std::filesystem::path(runtime != nullptr ? runtime : "/tmp") / "pulse" / "native";
}

}  // namespace kotar::test
