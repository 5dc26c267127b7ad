#pragma once

#include "device/Reply.h"
#include "device/Requests.h"
#include "session/SaveCheck.h"

namespace tq37r {

// What a controller session tells the face that drives it, on the face's thread, from inside
// the session's calls. Each has nothing to do by default, so a face hears only what it shows.
class SessionListener {
public:
    // A checked frame from the controller, decoded; gain read-backs come to onGainsRead instead.
    // Nothing reaches here while a search has the line.
    virtual void onReply(const Reply& /*reply*/) {}
    // A gain block came back and has been learnt; forSaveCheck when it is part of the read-back
    // that checks a save (whose verdict then follows from onSaveChecked).
    virtual void onGainsRead(const reply::GainReadBack& /*readBack*/, bool /*forSaveCheck*/) {}
    // What is known of the controller's gains changed: a read, an acknowledged row, a save, a new
    // connection.
    virtual void onKnowledgeChanged() {}
    // A request got no answer after every try, or could not be written. Not said of a repeated
    // read whose answer had already come, nor of the read-back that checks a save (its verdict
    // says so).
    virtual void onUnanswered(const Request& /*request*/) {}
    virtual void onSaveChecked(const SaveVerdict& /*verdict*/) {}
    // The search began another try, or ended.
    virtual void onSearchMoved() {}
    // The device went away; the line is closed.
    virtual void onHungUp() {}

protected:
    ~SessionListener() = default;
};

} // namespace tq37r
