#pragma once

#include <string>

namespace tq37r::sim {

// A raw pseudo-terminal whose master end the simulator drives. It keeps its
// own descriptor of the slave end open, so the master never reads EIO while
// no tool has the port open.
class PseudoTerminal {
public:
    // Throws std::system_error.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Closes both ends, as a cable pulled out: the tool's next read sees the hang-up.
    void hangUp();

private:
    int master_ = -1;
    int heldSlave_ = -1;
    std::string slavePath_;
};

} // namespace tq37r::sim
