#pragma once

#include <filesystem>

namespace tq37r::test {

// The directory TQ37R_PORT_DIR names for the whole run (made by main).
std::filesystem::path portDir();

} // namespace tq37r::test
