#pragma once

#include <filesystem>

namespace tq37r::suite {

// The folder TQ37R_PORT_DIR names for the whole run of a dialog suite (made by its main),
// so no test ever resolves a COM name to a real port.
std::filesystem::path portDir();

} // namespace tq37r::suite
