#include "sim/FlashFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace tq37r::sim {

namespace {

constexpr std::array<std::uint8_t, 8> kMagic{'T', 'Q', '3', '7', 'R', 'F', 'L', '1'};
constexpr std::size_t kImageSize = kMagic.size() + 18 + 6 + 2 + 2 + 1 + 1;

std::vector<std::uint8_t> encode(const ControllerSettings& s) {
    std::vector<std::uint8_t> image(kMagic.begin(), kMagic.end());
    image.insert(image.end(), s.gainBlock1.begin(), s.gainBlock1.end());
    image.insert(image.end(), s.gainBlock2.begin(), s.gainBlock2.end());
    image.push_back(static_cast<std::uint8_t>(s.targetAltitude >> 8));
    image.push_back(static_cast<std::uint8_t>(s.targetAltitude & 0xFF));
    image.push_back(static_cast<std::uint8_t>(s.circlingRadius >> 8));
    image.push_back(static_cast<std::uint8_t>(s.circlingRadius & 0xFF));
    image.push_back(s.mixingMode);
    image.push_back(s.autoReturn ? 1 : 0);
    return image;
}

ControllerSettings decode(const std::vector<std::uint8_t>& image) {
    ControllerSettings s;
    auto at = image.begin() + kMagic.size();
    std::copy_n(at, s.gainBlock1.size(), s.gainBlock1.begin());
    at += s.gainBlock1.size();
    std::copy_n(at, s.gainBlock2.size(), s.gainBlock2.begin());
    at += s.gainBlock2.size();
    s.targetAltitude = static_cast<std::uint16_t>(at[0] << 8 | at[1]);
    s.circlingRadius = static_cast<std::uint16_t>(at[2] << 8 | at[3]);
    s.mixingMode = at[4];
    s.autoReturn = at[5] != 0;
    return s;
}

} // namespace

std::optional<ControllerSettings> FlashFile::load() const {
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec)) {
        return std::nullopt;
    }
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read flash file " + path_.string());
    }
    const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    if (image.size() != kImageSize || !std::equal(kMagic.begin(), kMagic.end(), image.begin())) {
        throw std::runtime_error("not a flash image: " + path_.string());
    }
    return decode(image);
}

bool FlashFile::store(const ControllerSettings& settings) const {
    const std::vector<std::uint8_t> image = encode(settings);
    std::filesystem::path temporary = path_;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        out.flush();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path_, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

std::string FlashFile::unusable(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (fs::exists(status)) {
        constexpr fs::perms kWrite =
            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        if (!fs::is_regular_file(status)) {
            return path.string() + " is not a regular file";
        }
        // access() lets root write any file; one that nobody may write is still meant to stay as it is.
        if ((status.permissions() & kWrite) == fs::perms::none || ::access(path.c_str(), R_OK | W_OK) != 0) {
            return path.string() + " cannot be both read and written";
        }
    } else if (!fs::is_directory(folder, ec)) {
        return "no folder " + folder.string() + " for " + path.string();
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return "cannot save " + path.string() + ": its folder is not writable";
    }
    return "";
}

} // namespace tq37r::sim
