#include "res/qt/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE has to be used outside any namespace.
static void initArtwork() {
    Q_INIT_RESOURCE(resources);
}

namespace tq37r {

void initResources() {
    initArtwork();
}

} // namespace tq37r
