#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/BackgroundMenu.h"
#include "core/GainTint.h"

namespace tq37r {

struct MessageBoxRequest {
    enum class Icon { None, Warning, Question };
    // OkCancel: Cancel is the default answer, so Enter does not lose anything.
    enum class Buttons { Ok, OkCancel };
    std::string title;
    std::string text;
    std::string detail; // a second line under the text; empty for none
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

enum class MessageBoxAnswer { Ok, Cancel };

struct TextRequest {
    std::string title;
    std::string text; // what to enter
    std::string initial;
};

struct ProgressRequest {
    std::string title;
    std::string text;
    int steps = 0;
};

// What the dialog core needs of a window toolkit, control by control (ids from
// res/ControlIds.h). Texts are UTF-8 everywhere; a view converts at its own boundary.
//
// A question to the operator is asked here and answered later, through its callback: nothing in
// the core waits for a person. A face may answer from a modal dialog before the call returns (the
// core asks last, after it has done its part) or from a page that answers whenever.
class DialogView {
public:
    // An edit's text, a list's text field, a button's caption.
    virtual std::string text(int id) const = 0;
    virtual void setText(int id, std::string_view text) = 0;
    // A list's selected item; -1 when none, also once text has been typed into its field.
    virtual int selection(int id) const = 0;
    virtual void setSelection(int id, int index) = 0;
    // Puts the keyboard focus on a control, with an edit's whole text selected.
    virtual void focus(int id) = 0;
    virtual void setToolTip(int id, std::string_view text) = 0;
    virtual void setTint(int id, GainTint tint) = 0;
    // Shows the box; `answered`, when given, hears which button closed it. Serial notifications
    // and timer ticks go on arriving while it is up.
    virtual void messageBox(const MessageBoxRequest& request,
                            std::function<void(MessageBoxAnswer)> answered = nullptr) = 0;
    // Asks for the file to save to, or to read, starting in `folder` ("" for the face's own
    // choice); `chosen` hears it, "" when the operator cancelled.
    virtual void askFilePath(const FileChoice& choice, bool forSaving, const std::string& folder,
                             std::function<void(const std::string&)> chosen) = 0;
    // Asks for a line of text; `entered` hears it, nullopt when the operator cancelled.
    virtual void askText(const TextRequest& request,
                         std::function<void(const std::optional<std::string>&)> entered) = 0;
    // Shows a progress box with a Cancel button until closeProgress(); `cancelled` hears the
    // operator's Cancel (and not a closeProgress).
    virtual void showProgress(const ProgressRequest& request, std::function<void()> cancelled) = 0;
    virtual void setProgress(int step, std::string_view text) = 0;
    virtual void closeProgress() = 0;
    // Shows the line log's window beside the dialog (it reads ParamDialog::lineLog), or raises it.
    virtual void showLineLog() = 0;
    // Shows the tuning history's window beside the dialog (it reads ParamDialog::history), or raises it.
    virtual void showHistory() = 0;
    // Shows the Flight settings window beside the dialog (it reads ParamDialog::flightSettings),
    // or raises it; and tells it that what it shows has changed.
    virtual void showFlightSettings() = 0;
    virtual void flightSettingsChanged() = 0;
    // Ends the dialog's modal run.
    virtual void endDialog() = 0;

protected:
    ~DialogView() = default;
};

} // namespace tq37r
