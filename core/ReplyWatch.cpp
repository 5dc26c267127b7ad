#include "core/ReplyWatch.h"

#include <algorithm>

namespace tq37r {

void ReplyWatch::expect(std::uint8_t answerCode, TimePoint now) {
    waiting_.push_back({answerCode, now + kPatience});
}

bool ReplyWatch::arrived(std::uint8_t answerCode) {
    const auto found = std::find_if(waiting_.begin(), waiting_.end(),
                                    [answerCode](const Waiting& w) { return w.code == answerCode; });
    if (found == waiting_.end()) {
        return false;
    }
    waiting_.erase(found);
    return true;
}

bool ReplyWatch::takeOverdue(TimePoint now) {
    const auto overdue =
        std::remove_if(waiting_.begin(), waiting_.end(), [now](const Waiting& w) { return w.due <= now; });
    const bool any = overdue != waiting_.end();
    waiting_.erase(overdue, waiting_.end());
    return any;
}

} // namespace tq37r
