#pragma once

namespace tq37r {

// Paths of the artwork inside the Qt resource system, under the /res prefix.
inline constexpr const char* kAppIconPath = ":/res/icon-128.png";          // 32 x 32
inline constexpr const char* kAppIconLargePath = ":/res/icon-128-256.png"; // 256 x 256
inline constexpr const char* kBannerPath = ":/res/banner-149.png";         // 226 x 58

// The artwork lives in a static library, whose resource registration the
// linker would drop unless something refers to it: call this once before
// loading any of the paths above. Calling it again is harmless.
void initResources();

} // namespace tq37r
