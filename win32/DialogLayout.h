#pragma once

#include <windows.h>

#include "res/DialogTemplate.h"

namespace tq37r {

// The dialog's base units in pixels: a dialog unit is a quarter of x and an eighth of y.
struct BaseUnits {
    int x = 0;
    int y = 0;
    friend bool operator==(const BaseUnits&, const BaseUnits&) = default;
};

// The template's face (宋体) has a line one em tall and Latin letters half an em wide: these
// are its base units at this screen's resolution, square dialog units of an eighth of an em.
BaseUnits templateUnits(HWND dialog, const DialogTemplate& dialogTemplate);

// Whether the font the dialog really got has a line taller than the template face's, one em:
// the faces that stand in for it keep room for accents, which would stretch the window by a
// third, since the dialog manager takes the line for the vertical unit, and cut every label of
// two lines short.
bool lineTallerThanEm(HWND dialog, const DialogTemplate& dialogTemplate);

// Places every control of the dialog made from the template, and sizes the dialog, in units:
// its client area, below any menu bar, is the template's. Nothing moves when they are the
// dialog manager's own.
void layOut(HWND dialog, const DialogTemplate& dialogTemplate, BaseUnits units);

} // namespace tq37r
