// ntr-artwork-sheet PATH: a contact sheet of the switch pictures (each at 1x
// and at 2x, the 2x one shown at its pixel size) and example switch panels at
// both ratios, written as PNG to PATH.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <vector>

#include "catalogue/switch_model.h"
#include "ui/switch_picture/picture_drawing.h"
#include "ui/switch_picture/switch_geometry.h"
#include "ui/switch_picture/switch_painting.h"

namespace {

using ntr::ui::PictureId;

const std::vector<std::pair<PictureId, const char*>> kPictures{
    {PictureId::kComputer, "133 computer"},
    {PictureId::kIcon8G, "132 icon 8G"},
    {PictureId::kIcon24G, "148 icon 24G"},
    {PictureId::kIconPoe, "170 icon 8PoE"},
    {PictureId::kUnknownModel, "155 unknown"},
    {PictureId::kUpperLinkDown, "160 down"},
    {PictureId::kUpperLink1000, "161 1000"},
    {PictureId::kUpperLink100, "162 100"},
    {PictureId::kUpperLink10, "163 10"},
    {PictureId::kLowerLinkDown, "156 down"},
    {PictureId::kLowerLink1000, "157 1000"},
    {PictureId::kLowerLink100, "158 100"},
    {PictureId::kLowerLink10, "159 10"},
    {PictureId::kUpperPowerOff, "178 off"},
    {PictureId::kUpperPowerClass0To3, "179 cl0-3"},
    {PictureId::kUpperPowerClass4, "180 cl4"},
    {PictureId::kUpperPowerFault, "181 fault"},
    {PictureId::kLowerPowerOff, "173 off"},
    {PictureId::kLowerPowerClass0To3, "175 cl0-3"},
    {PictureId::kLowerPowerClass4, "176 cl4"},
    {PictureId::kLowerPowerFault, "177 fault"},
    {PictureId::kEconomyBadge, "165 eco"},
    {PictureId::kAlarmBadge, "166 alarm"},
    {PictureId::kDetail8G, "136 detail 8G"},
    {PictureId::kDetailPoe, "171 detail 8PoE"},
    {PictureId::kDetail24G, "149 detail 24G"},
};

ntr::ui::SwitchPictureState Example(int model, bool powerDisplay) {
  ntr::ui::SwitchPictureState state;
  state.model = model;
  state.detailed = true;
  state.powerDisplay = powerDisplay;
  for (int port = 0; port < ntr::kMaxPorts; ++port) {
    const auto index = static_cast<std::size_t>(port);
    state.linkSpeed[index] = std::array<int, 5>{6, 0, 4, 6, 2}[index % 5];
    state.poeState[index] = std::array<int, 6>{0, 1, 3, 6, 9, 2}[index % 6];
  }
  state.loopState[5] = 1;
  return state;
}

ntr::ui::SwitchPictureState IconExample(int model, bool economy, bool alarm) {
  ntr::ui::SwitchPictureState state;
  state.model = model;
  state.economy = economy;
  state.alarm = alarm;
  return state;
}

// Draws an image of `logical` size at `ratio` on the sheet at `at`, shown at
// its pixel size.
template <typename Paint>
int Place(QPainter& sheet, QPoint at, QSize logical, qreal ratio, Paint paint) {
  QImage image(logical * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::white);
  QPainter painter(&image);
  paint(painter);
  painter.end();
  image.setDevicePixelRatio(1);
  sheet.drawImage(at, image);
  return image.height();
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: ntr-artwork-sheet OUTPUT.png\n");
    return 2;
  }
  QImage sheet(1700, 2600, QImage::Format_ARGB32_Premultiplied);
  sheet.fill(QColor(246, 247, 249));
  QPainter painter(&sheet);
  painter.setFont(QFont("DejaVu Sans", 9));

  // Pictures: label, 1x, 2x, laid out in rows.
  int x = 10;
  int y = 10;
  int rowHeight = 0;
  for (const auto& [id, name] : kPictures) {
    const QSize size = ntr::ui::PictureSize(id);
    const int cellWidth = size.width() * 3 + 30;
    if (x + cellWidth > sheet.width()) {
      x = 10;
      y += rowHeight + 10;
      rowHeight = 0;
    }
    painter.setPen(Qt::black);
    painter.drawText(QPoint(x, y + 10), name);
    auto draw = [id = id](QPainter& p) { ntr::ui::DrawPicture(p, QPoint(0, 0), id); };
    Place(painter, QPoint(x, y + 16), size, 1, draw);
    const int h = Place(painter, QPoint(x + size.width() + 10, y + 16), size, 2, draw);
    rowHeight = std::max(rowHeight, h + 16);
    x += cellWidth;
  }
  y += rowHeight + 20;

  // Panels as the window paints them, 1x then 2x.
  const std::vector<std::pair<ntr::ui::SwitchPictureState, const char*>> panels{
      {Example(ntr::kModel8G, false), "8G detailed"},
      {Example(ntr::kModel24G, false), "24G detailed"},
      {Example(ntr::kModel8PoE, false), "8PoE detailed, link display"},
      {Example(ntr::kModel8PoE, true), "8PoE detailed, power display"},
      {IconExample(ntr::kModel24G, true, true), "24G icon, economy and alarm"},
      {IconExample(ntr::kModelUnknown, false, false), "unknown model"},
  };
  for (const auto& [state, name] : panels) {
    painter.setPen(Qt::black);
    painter.drawText(QPoint(10, y + 10), name);
    auto paint = [&state = state](QPainter& p) {
      ntr::ui::PaintSwitch(p, state, ntr::ui::kSwitchPanelSize.height());
    };
    Place(painter, QPoint(10, y + 16), ntr::ui::kSwitchPanelSize, 1, paint);
    y += 16 + ntr::ui::kSwitchPanelSize.height() + 6;
  }
  for (const auto& [state, name] : panels) {
    if (!state.detailed) continue;
    auto paint = [&state = state](QPainter& p) {
      ntr::ui::PaintSwitch(p, state, ntr::ui::kSwitchPanelSize.height());
    };
    y += 4 + Place(painter, QPoint(10, y), ntr::ui::kSwitchPanelSize, 2, paint);
  }
  painter.end();
  sheet = sheet.copy(0, 0, sheet.width(), y + 10);
  if (!sheet.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "ntr-artwork-sheet: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
