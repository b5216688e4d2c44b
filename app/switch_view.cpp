#include "app/switch_view.h"

#include "device/managed_switch.h"

namespace ntr {

const SwitchRecord& SwitchView::record() const { return sw_->record(); }
MacAddress SwitchView::mac() const { return sw_->mac(); }
SwitchRef SwitchView::ref() const { return sw_->ref(); }
SwitchStatus SwitchView::status() const { return StatusOf(*sw_); }
bool SwitchView::ready() const { return IsReady(*sw_); }
FirmwareStatus SwitchView::firmwareStatus() const { return sw_->firmwareStatus(); }
bool SwitchView::polledOnce() const { return sw_->settings().polledOnce(); }
bool SwitchView::lastSyncDone() const { return sw_->settings().lastSyncDone(); }
bool SwitchView::synchronisationPending() const { return sw_->settings().synchronisationPending(); }
void SwitchView::SetRedraw(std::function<void()> redraw) const {
  sw_->SetRedraw(std::move(redraw));
}
void SwitchView::Redraw() const { sw_->Redraw(); }

}  // namespace ntr
