// The switch pictures: hit zones of every model, the picture chosen for a
// port, the snapshot of a record, and that every picture draws something at
// its size on plain and high-density screens.
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QtTest>

#include "catalogue/switch_model.h"
#include "catalogue/switch_record.h"
#include "ui/switch_picture/picture_drawing.h"
#include "ui/switch_picture/switch_geometry.h"
#include "ui/switch_picture/switch_painting.h"

using namespace ntr;
using namespace ntr::ui;

namespace {

const int kHeight = kSwitchPanelSize.height();

SwitchZone Hit(int model, int x, int y, bool detailed = true) {
  return HitTest(model, detailed, ChassisRect(model, detailed, kHeight), QPoint(x, y));
}

QSet<QRgb> ColoursOf(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
  }
  return colours;
}

}  // namespace

class SwitchPictureTest : public QObject {
  Q_OBJECT

 private slots:
  void ChassisPlaceAndPicture() {
    QCOMPARE(ChassisRect(kModel8G, true, kHeight), QRect(2, 2, 279, 71));
    QCOMPARE(ChassisRect(kModel24G, false, kHeight), QRect(2, 20, 115, 35));
    QCOMPARE(ChassisRect(kModel8PoE, true, 100), QRect(2, 15, 279, 71));
    QCOMPARE(ChassisPicture(kModelUnknown, true), PictureId::kUnknownModel);
    QCOMPARE(ChassisPicture(7, false), PictureId::kUnknownModel);
    QCOMPARE(PortPosition(kModel8G, 0), QPoint(140, 24));
    QCOMPARE(PortPosition(kModel8PoE, 7), QPoint(223, 46));
    QCOMPARE(PortPosition(kModel24G, 16), QPoint(387, 24));
    QCOMPARE(PortPosition(kModel24G, 23), QPoint(468, 46));
  }

  void EightPortZones() {
    for (int model : {kModel8G, kModel8PoE}) {
      QCOMPARE(Hit(model, 255, 15).kind, SwitchZoneKind::kFoldButton);
      QCOMPARE(Hit(model, 255, 15).rect, QRect(255, 15, 21, 21));
      QCOMPARE(Hit(model, 276, 20).kind, SwitchZoneKind::kChassis);  // right edge is outside
      QCOMPARE(Hit(model, 140, 26).port, 0);
      QCOMPARE(Hit(model, 160, 42).port, 0);
      QCOMPARE(Hit(model, 161, 30).kind, SwitchZoneKind::kChassis);
      QCOMPARE(Hit(model, 140, 25).kind,
               SwitchZoneKind::kChassis);  // above the zone, on the picture
      QCOMPARE(Hit(model, 140, 43).kind, SwitchZoneKind::kChassis);  // bottom edge is outside
      QCOMPARE(Hit(model, 223, 62).port, 7);
      QCOMPARE(Hit(model, 223, 63).kind, SwitchZoneKind::kChassis);
      QCOMPARE(Hit(model, 290, 20).kind, SwitchZoneKind::kNone);
    }
    QCOMPARE(Hit(kModel8PoE, 255, 46).kind, SwitchZoneKind::kPowerButton);
    QCOMPARE(Hit(kModel8PoE, 275, 65).rect, QRect(255, 46, 21, 20));
    QCOMPARE(Hit(kModel8PoE, 255, 66).kind, SwitchZoneKind::kChassis);
    QCOMPARE(Hit(kModel8G, 255, 46).kind, SwitchZoneKind::kChassis);
  }

  void TwentyFourPortZones() {
    QCOMPARE(Hit(kModel24G, 502, 15).kind, SwitchZoneKind::kFoldButton);
    QCOMPARE(Hit(kModel24G, 255, 15).kind, SwitchZoneKind::kChassis);
    QCOMPARE(Hit(kModel24G, 255, 46).kind, SwitchZoneKind::kChassis);
    QCOMPARE(Hit(kModel24G, 223, 30).port, 6);
    QCOMPARE(Hit(kModel24G, 244, 30).kind, SwitchZoneKind::kChassis);
    QCOMPARE(Hit(kModel24G, 264, 30).port, 8);
    // 29 px zones reach into the next column; the earlier port wins there.
    QCOMPARE(Hit(kModel24G, 292, 50).port, 9);
    QCOMPARE(Hit(kModel24G, 293, 50).port, 11);
    // Ports 17-22 start 2 px left of their pictures.
    QCOMPARE(Hit(kModel24G, 385, 30).port, 16);
    QCOMPARE(Hit(kModel24G, 385, 30).rect, QRect(385, 26, 29, 17));
    QCOMPARE(Hit(kModel24G, 384, 30).kind, SwitchZoneKind::kChassis);
    QCOMPARE(Hit(kModel24G, 413, 50).port, 17);  // 385 + 29 is port 19's column
    QCOMPARE(Hit(kModel24G, 440, 50).port, 19);
    QCOMPARE(Hit(kModel24G, 441, 50).port, 21);
    QCOMPARE(Hit(kModel24G, 467, 30).port, 20);
    // Ports 23 and 24: 468-493 and 468-496.
    QCOMPARE(Hit(kModel24G, 492, 30).port, 22);
    QCOMPARE(Hit(kModel24G, 493, 30).kind, SwitchZoneKind::kChassis);
    QCOMPARE(Hit(kModel24G, 495, 50).port, 23);
    QCOMPARE(Hit(kModel24G, 496, 50).kind, SwitchZoneKind::kChassis);
  }

  void IconAndUnknownZones() {
    // Icon display: only the chassis, even where a detailed port would be.
    QCOMPARE(Hit(kModel8G, 30, 30, false).kind, SwitchZoneKind::kChassis);
    QCOMPARE(Hit(kModel8G, 86, 30, false).kind, SwitchZoneKind::kChassis);
    QCOMPARE(Hit(kModel8G, 87, 30, false).kind, SwitchZoneKind::kNone);
    QCOMPARE(Hit(kModel8G, 30, 19, false).kind, SwitchZoneKind::kNone);
    QCOMPARE(Hit(kModel24G, 140, 30, false).kind, SwitchZoneKind::kNone);
    // Unknown model: the chassis in both displays, nothing more.
    QCOMPARE(Hit(kModelUnknown, 100, 30).kind, SwitchZoneKind::kChassis);
    QCOMPARE(Hit(kModelUnknown, 100, 30).port, -1);
    QCOMPARE(Hit(kModelUnknown, 140, 30).kind, SwitchZoneKind::kNone);
    QCOMPARE(Hit(kModelUnknown, 255, 15).kind, SwitchZoneKind::kNone);
  }

  void PortPictureChoice() {
    SwitchPictureState state;
    state.model = kModel8PoE;
    state.detailed = true;
    const std::array<std::pair<int, PictureId>, 7> speeds{{{0, PictureId::kUpperLinkDown},
                                                           {1, PictureId::kUpperLinkDown},
                                                           {2, PictureId::kUpperLink10},
                                                           {5, PictureId::kUpperLink100},
                                                           {6, PictureId::kUpperLink1000},
                                                           {7, PictureId::kUpperLinkDown},
                                                           {-1, PictureId::kUpperLinkDown}}};
    for (const auto& [speed, picture] : speeds) {
      state.linkSpeed[0] = speed;
      QCOMPARE(PortPicture(state, 0), picture);
    }
    state.linkSpeed[1] = 4;
    QCOMPARE(PortPicture(state, 1), PictureId::kLowerLink100);
    state.loopState[1] = 2;
    QCOMPARE(PortPicture(state, 1), PictureId::kAlarmBadge);

    // Power display: the loop no longer shows; state 1 is a port without link.
    state.powerDisplay = true;
    const std::array<std::pair<int, PictureId>, 7> power{{{0, PictureId::kLowerPowerOff},
                                                          {1, PictureId::kLowerLinkDown},
                                                          {2, PictureId::kLowerPowerClass0To3},
                                                          {6, PictureId::kLowerPowerClass4},
                                                          {13, PictureId::kLowerPowerFault},
                                                          {20, PictureId::kLowerPowerFault},
                                                          {-3, PictureId::kLowerPowerFault}}};
    for (const auto& [poe, picture] : power) {
      state.poeState[1] = poe;
      QCOMPARE(PortPicture(state, 1), picture);
    }
    // The power display flag means nothing on the other models.
    state.model = kModel8G;
    QCOMPARE(PortPicture(state, 1), PictureId::kAlarmBadge);
  }

  void StateOfRecord() {
    SwitchRecord record;
    record.modelCode = kModel8PoE;
    record.energySaving = 1;
    record.ledBrightness = 1;
    record.portStatus[3].linkSpeed = 6;
    record.portStatus[3].poeState = 6;
    SwitchPictureState state = PictureStateOf(record, true, true, false);
    QVERIFY(state.economy && state.detailed && state.powerDisplay);
    QCOMPARE(state.linkSpeed[3], 6);
    QCOMPARE(state.poeState[3], 6);
    QVERIFY(!state.alarm);  // fan speeds of 0 count only once the status was read
    QVERIFY(PictureStateOf(record, false, false, true).alarm);
    record.ledBrightness = 0;
    QVERIFY(!PictureStateOf(record, false, false, false).economy);

    // A loop on a port the model lacks is no alarm; the 24-port fan word is.
    record.modelCode = kModel8G;
    record.portStatus[8].loopState = 1;
    QVERIFY(!PictureStateOf(record, false, false, true).alarm);
    record.modelCode = kModel24G;
    QVERIFY(PictureStateOf(record, false, false, true).alarm);
    record.portStatus[8].loopState = 0;
    QVERIFY(!PictureStateOf(record, false, false, true).alarm);
    record.fanState = 1;
    QVERIFY(PictureStateOf(record, false, false, false).alarm);
  }

  void EveryPictureDrawsAtItsSize() {
    const QList<PictureId> ids{PictureId::kComputer,         PictureId::kIcon8G,
                               PictureId::kDetail8G,         PictureId::kIcon24G,
                               PictureId::kDetail24G,        PictureId::kIconPoe,
                               PictureId::kDetailPoe,        PictureId::kUnknownModel,
                               PictureId::kUpperLinkDown,    PictureId::kUpperLink1000,
                               PictureId::kUpperLink100,     PictureId::kUpperLink10,
                               PictureId::kLowerLinkDown,    PictureId::kLowerLink1000,
                               PictureId::kLowerLink100,     PictureId::kLowerLink10,
                               PictureId::kUpperPowerOff,    PictureId::kUpperPowerClass0To3,
                               PictureId::kUpperPowerClass4, PictureId::kUpperPowerFault,
                               PictureId::kLowerPowerOff,    PictureId::kLowerPowerClass0To3,
                               PictureId::kLowerPowerClass4, PictureId::kLowerPowerFault,
                               PictureId::kEconomyBadge,     PictureId::kAlarmBadge};
    for (PictureId id : ids) {
      for (qreal ratio : {1.0, 2.0}) {
        const QPixmap pixmap = PicturePixmap(id, ratio);
        QCOMPARE(pixmap.deviceIndependentSize().toSize(), PictureSize(id));
        QCOMPARE(pixmap.size(), PictureSize(id) * ratio);
        QVERIFY2(ColoursOf(pixmap.toImage()).size() > 1,
                 qPrintable(QString::number(static_cast<int>(id))));
      }
    }
    // Nothing outside its size: a picture drawn inside a larger image.
    QImage image(QSize(120, 60), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DrawPicture(painter, QPoint(10, 10), PictureId::kComputer);
    painter.end();
    QCOMPARE(ColoursOf(image.copy(0, 0, 120, 10)).size(), 1);
    QCOMPARE(ColoursOf(image.copy(103, 0, 17, 60)).size(), 1);
    QVERIFY(PicturePixmap(static_cast<PictureId>(1), 1).isNull());
  }

  void PanelPaintsPortsOnlyWhenDetailed() {
    // A lit 1000BASE-T port changes the panel's pixels at its place only in
    // detailed display of a known model.
    auto render = [](const SwitchPictureState& state) {
      QImage image(kSwitchPanelSize, QImage::Format_ARGB32_Premultiplied);
      image.fill(Qt::white);
      QPainter painter(&image);
      PaintSwitch(painter, state, kHeight);
      return image.copy(QRect(PortPosition(kModel8G, 2), QSize(23, 19)));
    };
    SwitchPictureState state;
    state.model = kModel8G;
    state.detailed = true;
    const QImage down = render(state);
    state.linkSpeed[2] = 6;
    QVERIFY(render(state) != down);
    state.detailed = false;
    state.economy = state.alarm = true;
    QCOMPARE(ColoursOf(render(state)).size(), 1);  // icon display: white there
  }
};

QTEST_MAIN(SwitchPictureTest)
#include "switch_picture_test.moc"
