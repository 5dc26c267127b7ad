#pragma once

#include <filesystem>

#include "tests/support/SuitePortDir.h"

namespace tq37r::test {

using suite::portDir;

} // namespace tq37r::test
