#pragma once

#include <string>
#include <string_view>

namespace tq37r {

// Writes `contents` as the whole of the file at `path` (UTF-8), or leaves that file byte for
// byte as it was: the bytes go to a temporary file in the same folder, which is flushed to disk
// and then renamed over the target, so a full disk, a size limit or a killed process never
// leaves an operator's file cut short or empty. A file with permissions of its own keeps them;
// a symbolic link stays a link and the file it points to is replaced. A device or a pipe
// (/dev/stdout) is written straight through, as nothing can be renamed over it.
//
// False with `why` set, in words for a person ("the disk is full"), when nothing was replaced.
bool replaceFile(const std::string& path, std::string_view contents, std::string& why);

} // namespace tq37r
