// Finding the controller from the window: each port of the list at each rate, with a progress
// box the operator can cancel; the lists then show where it answered. The port is left closed.
#include <algorithm>

#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/ParamDialog.h"
#include "device/BaudTable.h"
#include "res/ControlIds.h"
#include "serial/PortName.h"

namespace tq37r {
namespace {

// A controller at the right rate answers a read well within this, even at 4800 baud, so every
// rate that stays silent costs no more.
constexpr std::chrono::milliseconds kSearchPatience{300};

std::string trying(const ControllerSearch& search) {
    return "Trying " + search.underWay() + "…";
}

// Silence is told apart from a port where bytes come at a rate without an answer.
std::string noAnswer(const ControllerSearch& search) {
    std::string heard;
    for (const ControllerSearch::Silent& silent : search.silent()) {
        if (!silent.heardAt.empty()) {
            heard += (heard.empty() ? "" : ", ") + silent.port;
        }
    }
    return heard.empty() ? std::string(text::kNoControllerAnswered)
                         : "No controller answered; something answers on " + heard + " at another rate.";
}

} // namespace

void ParamDialog::findController() {
    if (session_.isOpen()) {
        showStatus(text::kClosePortToSearch, kCountdownNotice);
        return;
    }
    searching_ = true;
    session_.startSearch(listedPortsPresent(port_), {kBaudTable.begin(), kBaudTable.end()}, kSearchPatience,
                         true);
    armLinkTimer();
    if (!searching_) {
        return; // over at once: no port to try
    }
    const ControllerSearch& search = session_.search();
    view_.showProgress({std::string(text::kFindController), trying(search), static_cast<int>(search.total())},
                       [this] {
                           if (searching_) {
                               session_.cancelSearch();
                               armLinkTimer();
                               searchEnded(true);
                           }
                       });
}

void ParamDialog::onSearchMoved() {
    if (!searching_) {
        return;
    }
    const ControllerSearch& search = session_.search();
    if (search.running()) {
        view_.setProgress(static_cast<int>(search.tried()) - 1, trying(search));
        return;
    }
    view_.closeProgress();
    searchEnded(false);
}

void ParamDialog::searchEnded(bool cancelled) {
    searching_ = false;
    const std::vector<ControllerSearch::Found> found = session_.search().found();
    if (found.empty()) {
        showStatus(cancelled ? std::string(text::kSearchCancelled) : noAnswer(session_.search()),
                   kCountdownNotice);
        return;
    }
    view_.setSelection(id::kPortList, ComPort::parse(found.front().port)->listIndex());
    view_.setSelection(id::kBaudList, static_cast<int>(std::find(kBaudTable.begin(), kBaudTable.end(),
                                                                 found.front().baudRate) -
                                                       kBaudTable.begin()));
    onPortListChanged();
    showStatus(std::string(text::kControllerFound) + found.front().port + " at " +
                   std::to_string(found.front().baudRate) + ".",
               kCountdownNotice);
}

} // namespace tq37r
