#include "app/app_link.h"

#include <system_error>

#include "link/packet_log.h"

namespace ntr {

PcapAppLink::PcapAppLink(NotificationSink* sink) : device_(sink), logFolder_(ExecutableFolder()) {}

PcapAppLink::~PcapAppLink() {
  StopWatch();
  device_.Close();
}

bool PcapAppLink::Reopen() { return device_.OpenSelectedAdapter() && device_.StartCapture(); }

bool PcapAppLink::StartWatch(NotificationSink* sink, std::mutex& adapterLock, ErrorPair& error) {
  if (watch_ == nullptr) watch_ = std::make_unique<AddressWatch>(device_, sink, adapterLock);
  return watch_->Start(error);
}

void PcapAppLink::StopWatch() {
  if (watch_ != nullptr) watch_->Stop();
}

void PcapAppLink::DeleteLogFiles() {
  std::error_code ignored;
  for (const char* name : {kSendLogName, kRecvLogName, "DebugLog.txt"}) {
    std::filesystem::remove(logFolder_ / name, ignored);
  }
}

void PcapAppLink::SetPacketLogFolder(std::filesystem::path folder) {
  logFolder_ = folder;
  device_.SetPacketLogFolder(std::move(folder));
}

}  // namespace ntr
