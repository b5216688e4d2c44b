#include "ui/popup/popup_lines.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "app/operator.h"
#include "catalogue/request_text.h"
#include "catalogue/status_texts.h"
#include "catalogue/switch_model.h"
#include "catalogue/switch_record.h"
#include "ui/style/text.h"

namespace ntr::ui {
namespace {

constexpr int kLeft = kPopupInset;  // every row starts here
constexpr int kTop = kPopupInset;

const QColor kBlack{0, 0, 0};
const QColor kEconomyGreen{0, 255, 0};
const QColor kFanStoppedRed{255, 0, 0};
const QColor kFanRunningBlue{0, 0, 255};

struct Piece {
  QString text;
  QColor colour = kBlack;
  bool bold = false;
};

// Rows one below the other, the pieces of a row side by side.
class Rows {
 public:
  explicit Rows(const TextMeasure& measure) : measure_(measure) {}

  void Add(const QString& text) { Add({Piece{text}}); }
  void Add(std::initializer_list<Piece> pieces) {
    int x = kLeft;
    int height = 0;
    for (const Piece& piece : pieces) {
      const QSize size = measure_(piece.text, piece.bold);
      text_.lines.push_back(PopupLine{piece.text, QPoint(x, y_), piece.colour, piece.bold});
      x += size.width();
      height = std::max(height, size.height());
    }
    widest_ = std::max(widest_, x - kLeft);
    y_ += height;
  }

  PopupText Finish(int refreshMs) {
    if (!text_.lines.empty())
      text_.size = QSize(widest_ + 2 * kPopupInset, y_ - kTop + 2 * kPopupInset);
    text_.refreshMs = refreshMs;
    return std::move(text_);
  }

 private:
  const TextMeasure& measure_;
  PopupText text_;
  int y_ = kTop;
  int widest_ = 0;
};

QString Number(std::uint64_t value) { return QString::number(static_cast<qulonglong>(value)); }

// The name of a frame-counter type; a code without one in decimal.
QString CounterName(std::string_view name, std::int32_t code) {
  return name.empty() ? QString::number(code) : ToQt(name);
}

void AddIdentity(Rows& rows, const SwitchRecord& record) {
  rows.Add(QStringLiteral("機器の名称:") + ToQt(record.systemName.get()));
  rows.Add(QStringLiteral("機種名:") + ToQt(record.modelName.get()));
  rows.Add(QStringLiteral("MACアドレス:") + ToQt(record.macText.get()));
}

PopupText ApplicationText(const PopupSubject& subject, Rows& rows) {
  rows.Add(ToQt(kApplicationTitle));
  rows.Add(QStringLiteral("　バージョン:") + subject.version);
  rows.Add(QStringLiteral("　管理スイッチ数:") + QString::number(subject.managedCount));
  return rows.Finish(0);
}

PopupText SwitchText(const SwitchRecord& record, Rows& rows) {
  AddIdentity(rows, record);
  const std::int32_t model = record.modelCode;
  if (model < kModel8G || model > kModel8PoE) return rows.Finish(0);
  const bool economy = EconomyModeInForce(record);
  rows.Add({Piece{QStringLiteral("省電力機能:")},
            economy ? Piece{QStringLiteral("エコノミーモード"), kEconomyGreen, true}
                    : Piece{QStringLiteral("ノーマルモード")}});
  if (model == kModel24G) {
    const std::int32_t fan = record.fanState;
    rows.Add({Piece{QStringLiteral("冷却ファンの状態:")},
              Piece{ToQt(FanStateText(fan)), fan != 0 ? kFanStoppedRed : kFanRunningBlue, true}});
    return rows.Finish(500);
  }
  if (model == kModel8PoE) {
    QStringList speeds;
    for (const auto& speed : record.fanSpeeds) speeds << QStringLiteral("%1 rpm").arg(speed.load());
    rows.Add(QStringLiteral("冷却ファン:") + speeds.join(QStringLiteral("  /  ")));
    rows.Add(QStringLiteral("内部温度:%1℃").arg(record.poeTemperature.load()));
    return rows.Finish(60000);
  }
  return rows.Finish(0);
}

PopupText PortText(const SwitchRecord& record, int port, Rows& rows) {
  if (port < 0 || port >= kMaxPorts) return rows.Finish(0);
  const auto p = static_cast<std::size_t>(port);
  const PortSettings& settings = record.ports[p];
  const PortStatus& status = record.portStatus[p];
  const auto counters =
      static_cast<std::size_t>(std::clamp<std::int32_t>(record.counterCount, 0, kMaxCounters));

  rows.Add(QStringLiteral("Port %1").arg(port + 1));
  rows.Add(QStringLiteral("リンク状態:") + ToQt(LinkSpeedText(status.linkSpeed)));
  rows.Add(QStringLiteral("フレームカウンタ:"));
  rows.Add(QStringLiteral("　　送信オクテット:") + Number(status.txOctets));
  rows.Add(QStringLiteral("　　送信フレーム:"));
  for (std::size_t c = 0; c < counters; ++c) {
    const std::int32_t type = settings.txCounterTypes[c];
    rows.Add(QStringLiteral("　　　　") + CounterName(TxCounterTypeName(type), type) + ":" +
             Number(status.txFrames[c]));
  }
  rows.Add(QStringLiteral("　　受信オクテット:") + Number(status.rxOctets));
  rows.Add(QStringLiteral("　　受信フレーム:"));
  for (std::size_t c = 0; c < counters; ++c) {
    const std::int32_t type = settings.rxCounterTypes[c];
    rows.Add(QStringLiteral("　　　　") + CounterName(RxCounterTypeName(type), type) + ":" +
             Number(status.rxFrames[c]));
  }
  const bool poe = HasPoe(record.modelCode);
  if (poe) {
    rows.Add(QStringLiteral("給電状態:") + ToQt(PoeStateText(status.poeState)));
    rows.Add(QStringLiteral("消費電力:%1W").arg(status.poeSupply.load()));
  }
  return rows.Finish(poe ? 500 : 60000);
}

PopupText UnknownModelText(const SwitchRecord& record, bool reading, Rows& rows) {
  if (record.readFailed != 0) {
    AddIdentity(rows, record);
    rows.Add(QStringLiteral("情報取得に失敗しました。"));
    rows.Add(QStringLiteral("error_log.txtを確認してください。"));
    return rows.Finish(500);
  }
  const bool ours = ModelCodeOf(record.modelName.get()) != kModelUnknown;
  rows.Add(ours || reading ? QStringLiteral("情報取得中") : QStringLiteral("非対応機種です。"));
  return rows.Finish(0);
}

}  // namespace

PopupText BuildPopupText(const PopupSubject& subject, const TextMeasure& measure) {
  Rows rows(measure);
  if (subject.kind == kPopupApplication) return ApplicationText(subject, rows);
  if (subject.record == nullptr) return rows.Finish(0);
  switch (subject.kind) {
    case kPopupSwitch:
      return SwitchText(*subject.record, rows);
    case kPopupPort:
      return PortText(*subject.record, subject.port, rows);
    case kPopupUnknownModel:
      return UnknownModelText(*subject.record, subject.reading, rows);
    default:
      return rows.Finish(0);
  }
}

}  // namespace ntr::ui
