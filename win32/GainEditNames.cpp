#include "win32/GainEditNames.h"

#include <objbase.h>
#include <oleacc.h>

#include "core/FieldBindings.h"
#include "core/GainTexts.h"
#include "serial/win32/Utf16.h"

namespace tq37r {

GainEditNames::GainEditNames(HWND dialog) : dialog_(dialog) {
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                  reinterpret_cast<void**>(&service_)))) {
        service_ = nullptr;
        return;
    }
    for (std::size_t gain = 0; gain < kGainEdits.size(); ++gain) {
        service_->SetHwndPropStr(::GetDlgItem(dialog_, kGainEdits[gain]), static_cast<DWORD>(OBJID_CLIENT),
                                 CHILDID_SELF, PROPID_ACC_NAME, toUtf16(gainAccessibleName(gain)).c_str());
    }
}

GainEditNames::~GainEditNames() {
    if (service_ == nullptr) {
        return;
    }
    MSAAPROPID name = PROPID_ACC_NAME;
    for (const int editId : kGainEdits) {
        service_->ClearHwndProps(::GetDlgItem(dialog_, editId), static_cast<DWORD>(OBJID_CLIENT),
                                 CHILDID_SELF, &name, 1);
    }
    service_->Release();
}

} // namespace tq37r
