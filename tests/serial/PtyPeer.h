#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tq37r::test {

// The far end of a port under test: a pseudo-terminal whose slave is reachable
// as COMn through $TQ37R_PORT_DIR, so no test ever touches a real port.
class PtyPeer {
public:
    explicit PtyPeer(int portNumber = 1);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    // The peer's own descriptor of the device the port opens, for reading its settings back.
    int slave() const { return slave_; }
    const std::string& slavePath() const { return slavePath_; }
    const std::filesystem::path& portDir() const { return dir_; }

    void write(std::span<const std::uint8_t> bytes);
    // Everything that arrives until nothing more comes for quiet.
    std::vector<std::uint8_t> readAvailable(std::chrono::milliseconds quiet = std::chrono::milliseconds{200});
    void closeMaster();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::filesystem::path dir_;
};

} // namespace tq37r::test
