// Winsock first: it must precede windows.h, which the header brings.
#include <winsock2.h>

#include "tests/serial/PtyPeer.h"

#include <tlhelp32.h>

#include <cstdlib>
#include <stdexcept>

namespace tq37r::test {

PtyPeer::PtyPeer() {
    WSADATA winsock{};
    const char* port = std::getenv("TQ37R_PEER");
    if (port == nullptr || ::WSAStartup(MAKEWORD(2, 2), &winsock) != 0) {
        throw std::runtime_error("no pty peer: run the suite through pty-peer.py");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::atoi(port)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("cannot reach the pty peer");
    }
    request("OPEN");
}

PtyPeer::~PtyPeer() {
    try {
        request("CLOSE"); // answered once the link is gone, so the next peer's link stays
    } catch (const std::runtime_error&) {
        // The peer is gone already: nothing of this one is left to remove.
    }
    ::closesocket(socket_);
    ::WSACleanup();
}

std::string PtyPeer::request(const std::string& command) {
    const std::string line = command + "\n";
    if (::send(socket_, line.data(), static_cast<int>(line.size()), 0) != static_cast<int>(line.size())) {
        throw std::runtime_error("pty peer gone");
    }
    std::size_t end = 0;
    while ((end = pending_.find('\n')) == std::string::npos) {
        char chunk[4096];
        const int got = ::recv(socket_, chunk, sizeof chunk, 0);
        if (got <= 0) {
            throw std::runtime_error("pty peer gone");
        }
        pending_.append(chunk, static_cast<std::size_t>(got));
    }
    const std::string answer = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    if (!answer.starts_with("OK")) {
        throw std::runtime_error("pty peer: " + command + ": " + answer);
    }
    return answer.size() > 3 ? answer.substr(3) : std::string();
}

void PtyPeer::closeMaster() {
    request("HANGUP");
}

void PtyPeer::write(std::span<const std::uint8_t> bytes) {
    std::string hex;
    for (const std::uint8_t byte : bytes) {
        hex += {"0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15]};
    }
    request("WRITE " + hex);
}

std::vector<std::uint8_t> PtyPeer::readAvailable() {
    const std::string hex = request("READ");
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

ThreadIds threadIds() {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    ThreadIds ids;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) {
            ids.insert(entry.th32ThreadID);
        }
    }
    ::CloseHandle(snapshot);
    return ids;
}

} // namespace tq37r::test
