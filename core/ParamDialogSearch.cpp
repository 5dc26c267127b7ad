// Finding the controller from the window: each port of the list at each rate, with a progress
// box the operator can cancel; the lists then show where it answered. The port is left closed.
#include <algorithm>

#include "core/BaudRate.h"
#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/ParamDialog.h"
#include "res/ControlIds.h"

namespace tq37r {
namespace {

// A controller at the right rate answers a read well within this, even at 4800 baud, so every
// rate that stays silent costs no more.
constexpr std::chrono::milliseconds kSearchPatience{300};

std::string trying(const ControllerSearch& search) {
    return "Trying " + search.port() + " at " + std::to_string(search.baudRate()) + "…";
}

} // namespace

void ParamDialog::findController() {
    if (state_.portOpen) {
        showStatus(text::kClosePortToSearch, kCountdownNotice);
        return;
    }
    search_.start(listedPortsPresent(port_), {kBaudTable.begin(), kBaudTable.end()}, kSearchPatience, true);
    armLinkTimer();
    if (search_.running()) {
        view_.runProgress(
            {std::string(text::kFindController), trying(search_), static_cast<int>(search_.total())});
    }
    const bool cancelled = search_.running();
    search_.cancel();
    armLinkTimer();
    if (search_.found().empty()) {
        showStatus(cancelled ? text::kSearchCancelled : text::kNoControllerAnswered, kCountdownNotice);
        return;
    }
    const ControllerSearch::Found& found = search_.found().front();
    view_.setSelection(id::kPortList, std::stoi(found.port.substr(3)) - 1);
    view_.setSelection(id::kBaudList,
                       static_cast<int>(std::find(kBaudTable.begin(), kBaudTable.end(), found.baudRate) -
                                        kBaudTable.begin()));
    onPortListChanged();
    showStatus(std::string(text::kControllerFound) + found.port + " at " + std::to_string(found.baudRate) +
                   ".",
               kCountdownNotice);
}

void ParamDialog::advanceSearch() {
    const std::size_t tried = search_.tried();
    search_.advance();
    if (!search_.running()) {
        view_.closeProgress();
    } else if (search_.tried() != tried) {
        view_.setProgress(static_cast<int>(search_.tried()) - 1, trying(search_));
    }
}

} // namespace tq37r
