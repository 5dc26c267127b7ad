#include "tests/support/Fakes.h"

#include <algorithm>

#include "res/DialogTemplate.h"

namespace tq37r::test {

FakeView::FakeView() {
    for (const ControlTemplate& control : paramDialogTemplate().controls) {
        texts[control.id] = control.caption;
    }
    for (const ComboInit& init : paramDialogTemplate().comboInits) {
        items_[init.id].assign(init.items.begin(), init.items.end());
    }
}

std::string FakeView::text(int id) const {
    const auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
}

int FakeView::selection(int id) const {
    const auto found = selections_.find(id);
    return found == selections_.end() ? -1 : found->second;
}

void FakeView::setSelection(int id, int index) {
    selections_[id] = index;
    texts[id] = items_[id].at(static_cast<std::size_t>(index));
}

void FakeView::type(int id, std::string text) {
    selections_[id] = -1;
    texts[id] = std::move(text);
}

void FakeView::messageBox(const MessageBoxRequest& request, std::function<void(MessageBoxAnswer)> answered) {
    boxes.push_back(request);
    if (whileBoxIsUp) {
        whileBoxIsUp();
    }
    if (answered) {
        answered(answer);
    }
}

void FakeView::showProgress(const ProgressRequest& request, std::function<void()> cancelled) {
    progressBoxes.push_back(request);
    progressUp = true;
    bool cancel = false;
    while (progressUp && whileProgressIsUp && !(cancel = whileProgressIsUp())) {
    }
    if (progressUp && cancel) {
        progressUp = false;
        cancelled();
    }
    progressUp = false;
}

void FakeClock::setTimer(int timerId, std::chrono::milliseconds period) {
    timers_[timerId] = {period, now_ + period};
}

void FakeClock::advance(std::chrono::milliseconds duration, const std::function<void(int)>& onTick) {
    const TimePoint end = now_ + duration;
    for (;;) {
        auto due = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
            return a.second.next < b.second.next;
        });
        if (due == timers_.end() || due->second.next > end) {
            break;
        }
        now_ = due->second.next;
        due->second.next += due->second.period;
        onTick(due->first);
    }
    now_ = end;
}

OpenResult FakePort::open(std::string_view portName, const PortSettings& settings) {
    openedName = portName;
    openedWith = settings;
    opens.push_back(openedName + " " + std::to_string(settings.baudRate));
    if (parent_ != nullptr) {
        parent_->opens.push_back(opens.back());
    }
    if (!present.count(openedName)) {
        return {OpenFailure::NoSuchDevice, 2, ""};
    }
    if (failure != OpenFailure::None) {
        return {failure, 16, resolve(portName)};
    }
    open_ = true;
    return {OpenFailure::None, 0, resolve(portName)};
}

bool FakePort::write(std::span<const std::uint8_t> bytes) {
    if (!open_) {
        return false;
    }
    written.emplace_back(bytes.begin(), bytes.end());
    if (parent_ != nullptr) {
        parent_->written.push_back(written.back());
    }
    if (clock != nullptr) {
        writtenAt.push_back(clock->now());
    }
    if (peer) {
        peer(written.back());
        if (!input.empty() && sink_ != nullptr) {
            sink_->postSerialEvent(SerialEvent::RxReady, sinkTag);
        }
    }
    return true;
}

std::size_t FakePort::read(std::span<std::uint8_t> buffer) {
    const std::size_t count = std::min(buffer.size(), input.size());
    std::copy_n(input.begin(), count, buffer.begin());
    input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

std::unique_ptr<SerialPort> FakePort::sibling() {
    auto port = std::make_unique<FakePort>();
    port->present = present;
    port->clock = clock;
    port->parent_ = this;
    port->peer = [this, self = port.get()](const Bytes& request) {
        if (siblingPeer) {
            siblingPeer(*self, request);
        }
    };
    return port;
}

std::string FakePort::resolve(std::string_view portName) const {
    return present.count(std::string(portName)) ? "/dev/fake/" + std::string(portName) : std::string();
}

} // namespace tq37r::test
