// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace kotar::test {

// A sound server socket for tests (a Unix socket, reached as PULSE_SERVER "unix:<path>"). It
// accepts every connection and either never answers (no relay target) or relays each one to a
// real server, until told to hang: then it keeps accepting and reading but passes nothing on,
// in either direction, until resumed. What the clients did is counted.
class FakeSoundServer {
public:
    // Listens at `socket_path`; relays to the server socket at `relay_to` unless it is empty.
    explicit FakeSoundServer(std::filesystem::path socket_path,
                             std::filesystem::path relay_to = {});
    ~FakeSoundServer();
    FakeSoundServer(const FakeSoundServer&) = delete;
    FakeSoundServer& operator=(const FakeSoundServer&) = delete;

    // The server address for libpulse.
    std::string address() const;

    void Hang();
    void Resume();
    // Closes every connection, as a server that goes away does.
    void DropConnections();

    // Connections accepted so far.
    int accepted() const;
    // Connections that their client closed.
    int closed_by_client() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// A relay passes bytes but not the file descriptors with which libpulse sets up shared memory
// with the server, and traffic through shared memory would pass a hung relay: clients that go
// through a relay must not use it. Turns it off for every client of this process, through a
// client configuration of its own; call it before any client connects.
void TurnOffSharedMemory();

// The socket of the sound server this process would use by default: PULSE_SERVER when it names
// a Unix socket, else the user's runtime folder.
std::filesystem::path DefaultSoundServerSocket();

}  // namespace kotar::test
