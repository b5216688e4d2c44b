#include "ui/top_page/focus_ring.h"
#include "ui/top_page/top_page_ids.h"

#include <array>

namespace ntr::ui {

namespace {

// The ring in Tab order: export, import, all detailed, all icons (top panel),
// redisplay, close (legend panel), and back to export.
constexpr std::array<int, kFocusPositions> kRing{4, 5, 0, 1, 2, 3};
const std::array<const char*, kFocusPositions> kNames{
    ids::top::kAllDetailed, ids::top::kAllIcons, ids::top::kRedisplay,
    ids::top::kCloseLegend, ids::top::kExport,   ids::top::kImport};

}  // namespace

int NextFocusPosition(int position, bool forward) {
  for (int i = 0; i < kFocusPositions; ++i) {
    if (kRing[static_cast<std::size_t>(i)] != position) continue;
    const int next = (i + (forward ? 1 : kFocusPositions - 1)) % kFocusPositions;
    return kRing[static_cast<std::size_t>(next)];
  }
  return 0;
}

QString FocusButtonName(int position) {
  if (position < 0 || position >= kFocusPositions) return {};
  return QString::fromLatin1(kNames[static_cast<std::size_t>(position)]);
}

int FocusPositionOf(const QString& buttonName) {
  for (int i = 0; i < kFocusPositions; ++i) {
    if (buttonName == QLatin1String(kNames[static_cast<std::size_t>(i)])) return i;
  }
  return -1;
}

bool OnTopPanel(int position) { return position != 2 && position != 3; }

}  // namespace ntr::ui
