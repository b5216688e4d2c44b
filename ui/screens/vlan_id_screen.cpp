#include "ui/screens/vlan_id_screen.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "app/application.h"
#include "app/switch_service.h"
#include "app/switch_view.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/style/fonts.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

constexpr int kIdWidth = 80;
constexpr int kCheckWidth = 50;
constexpr int kGridGap = 15;
constexpr int kNewIdChars = 4;

int RowTop(int gridTop, int row) {
  return gridTop + kHeaderRowHeight + 1 + row * (kDataRowHeight + 1);
}

QString NameHeader() { return QStringLiteral("名前(%1文字以内)").arg(kVlanNameChars); }

int NameWidth() {
  const QFontMetrics normal(UiFont());
  return std::max(
      QFontMetrics(UiFont(10, true)).horizontalAdvance(NameHeader()) + 16,
      normal.horizontalAdvance(QString(static_cast<int>(kVlanNameChars), QChar('W'))) + 16);
}

FilteredEdit* NameEdit(QWidget* parent, const QString& id, const QString& text) {
  auto* edit = new FilteredEdit(EditFilter::kName, parent);
  edit->setObjectName(id);
  edit->setMaxLength(static_cast<int>(kVlanNameChars));
  edit->setText(text);
  return edit;
}

QCheckBox* Check(QWidget* parent, const QString& id, const QString& text) {
  auto* check = new QCheckBox(text, parent);
  check->setObjectName(id);
  check->setFont(UiFont());
  check->setFocusPolicy(Qt::StrongFocus);
  return check;
}

}  // namespace

VlanIdScreen::VlanIdScreen(ScreenHost& screens, Application& app, SwitchView sw)
    : Screen(screens, sw, -1, QSize(585, 150)), app_(app) {
  const int nameWidth = NameWidth();
  const int nameX = kGridOrigin.x() + kIdWidth + 1 + 4;
  const int checkX = kGridOrigin.x() + kIdWidth + 1 + nameWidth + 1 + 14;
  QWidget* previous = nullptr;
  const auto chain = [&](QWidget* next) {
    if (previous != nullptr) setTabOrder(previous, next);
    previous = next;
  };

  const std::vector<VlanName> table = app_.config().VlanNames();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const int row = static_cast<int>(i);
    const int top = RowTop(kGridOrigin.y(), row) + 1;
    Row entry;
    entry.id = table[i].id;
    entry.name = NameEdit(this, ids::vlan_id::Name(row), ToQt(table[i].name));
    entry.name->setGeometry(nameX, top, nameWidth - 8, kDataRowHeight - 2);
    chain(entry.name);
    if (i == 0) {
      entry.name->setEnabled(false);  // the default VLAN keeps its name
    } else {
      entry.remove = Check(this, ids::vlan_id::Remove(row), QString());
      entry.remove->setGeometry(checkX, top, kCheckWidth - 20, kDataRowHeight - 2);
      chain(entry.remove);
    }
    rows_.push_back(entry);
  }

  newGridTop_ = RowTop(kGridOrigin.y(), static_cast<int>(rows_.size())) + kGridGap;
  const int newTop = RowTop(newGridTop_, 0) + 1;
  newId_ = new FilteredEdit(EditFilter::kDigits, this);
  newId_->setObjectName(ids::vlan_id::kNewId);
  newId_->setMaxLength(kNewIdChars);
  newId_->setGeometry(kGridOrigin.x() + 4, newTop, kIdWidth - 8, kDataRowHeight - 2);
  newName_ = NameEdit(this, ids::vlan_id::kNewName, QString());
  newName_->setGeometry(nameX, newTop, nameWidth - 8, kDataRowHeight - 2);
  add_ = Check(this, ids::vlan_id::kAdd, QString());
  add_->setGeometry(checkX, newTop, kCheckWidth - 20, kDataRowHeight - 2);
  chain(newId_);
  chain(newName_);
  chain(add_);

  const int width = std::max(420, kGridOrigin.x() * 2 + kIdWidth + nameWidth + kCheckWidth + 2);
  const int buttonsTop = RowTop(newGridTop_, 1) + 15;
  const auto [set, cancel] =
      AddSetCancelRow({ids::vlan_id::kSet, "設定", kSetButtonWidth},
                      {ids::vlan_id::kCancel, "キャンセル", kCancelButtonWidth}, buttonsTop,
                      RowPlace::kCentred, width, [this] { Set(); });
  chain(set);
  chain(cancel);
  setFixedSize(width, buttonsTop + kButtonHeight + kButtonGap);
  QWidget* first = rows_.size() > 1 ? static_cast<QWidget*>(rows_[1].name) : newId_;
  SetInitialFocus(first);
}

QString VlanIdScreen::title() const { return QString::fromUtf8(kVlanIdTitle); }

void VlanIdScreen::Cancel() { navigator().Open(Target::kSwitchMain, switchRef()); }

// The new VLAN is checked first; then the removals go to the switch, and only
// their success changes the table.
void VlanIdScreen::Set() {
  if (job() != 0) return;
  SwitchView sw = navigator().Find(switchRef());
  if (sw == nullptr) {
    navigator().CloseFrame();
    return;
  }
  change_ = {};
  for (const Row& row : rows_) change_.names.push_back({row.id, FromQt(row.name->text())});
  for (auto row = rows_.rbegin(); row != rows_.rend(); ++row) {
    if (row->remove != nullptr && row->remove->isChecked()) change_.deleted.push_back(row->id);
  }
  if (add_->isChecked()) {
    const std::int32_t id = newId_->text().toInt();  // empty: 0, out of range
    std::vector<RecordPtr> others = app_.adoption().ManagedRecords();
    std::erase_if(others, [sw](const RecordPtr& r) { return r.get() == &sw.record(); });
    const std::vector<std::int32_t> leaving = VlanIdsLeavingTable(change_.deleted, others);
    if (const auto problem = NewVlanProblem(app_.config().VlanNames(), id, leaving)) {
      navigator().ShowMessage(QString::fromUtf8(kVlanIdMessageTitle),
                              {QString::fromUtf8(kBadParameterText), ToQt(*problem)},
                              Target::kVlanIds, switchRef(), -1);
      return;
    }
    change_.added = VlanName{id, FromQt(newName_->text())};
  }
  SwitchRecord plan = working();
  removals_ = VlanRemovalChanges(plan, change_.deleted);
  if (removals_.empty()) {
    Finish();  // nothing to send: no job
    return;
  }
  Apply();
}

void VlanIdScreen::Applied() { Finish(); }

void VlanIdScreen::ApplyFailed(const QString& errorText) {
  navigator().ShowMessage(QString::fromUtf8(kVlanIdMessageTitle),
                          {QString::fromUtf8(kVlanIdFailedText), errorText}, Target::kVlanIds,
                          switchRef(), -1);
}

void VlanIdScreen::Finish() {
  const VlanTableUpdate update =
      UpdateVlanTable(app_.config(), change_, app_.adoption().ManagedRecords());
  if (!update.ok) {
    ErrorPair ignored;
    app_.SaveConfigFile(ignored);  // the removals and the new names stand
    navigator().ShowMessage(QString::fromUtf8(kVlanIdMessageTitle),
                            {QString::fromUtf8(kBadParameterText), ToQt(update.problem)},
                            Target::kVlanIds, switchRef(), -1);
    return;
  }
  if (SwitchView sw = navigator().Find(switchRef())) sw.Redraw();
  ErrorPair error;
  if (!app_.SaveConfigFile(error)) {
    navigator().ShowMessage(
        QString::fromUtf8(kVlanIdMessageTitle),
        {QString::fromUtf8(kConfigSaveFailedText), ToQt(FormatErrorMessage(error))},
        Target::kVlanIds, switchRef(), -1);
    return;
  }
  if (update.kept.empty()) {
    navigator().ShowResult(title(), {QString::fromUtf8(kVlanIdAppliedText)}, Target::kSwitchMain,
                           switchRef(), -1);
    return;
  }
  QStringList lines{ToQt(kVlanNamesKeptText)};
  for (const std::string& line : VlanIdListLines(update.kept)) lines << ToQt(line);
  navigator().ShowMessage(QString::fromUtf8(kVlanIdMessageTitle), lines, Target::kSwitchMain,
                          switchRef(), -1);
}

void VlanIdScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  const int nameWidth = NameWidth();
  const std::vector<int> columns{kIdWidth, nameWidth, kCheckWidth};
  const auto headers = [&](int gridTop, const QString& last) {
    PaintLabel(painter, QPoint(kGridOrigin.x() + 4, gridTop + 5), QStringLiteral("VLAN ID"), true);
    PaintLabel(painter, QPoint(kGridOrigin.x() + kIdWidth + 5, gridTop + 5), NameHeader(), true);
    PaintLabel(painter, QPoint(kGridOrigin.x() + kIdWidth + nameWidth + 6, gridTop + 5), last,
               true);
  };
  PaintGrid(painter, kGridOrigin, columns, static_cast<int>(rows_.size()), false);
  headers(kGridOrigin.y(), QStringLiteral("削除"));
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    PaintLabel(painter,
               QPoint(kGridOrigin.x() + 4, RowTop(kGridOrigin.y(), static_cast<int>(i)) + 4),
               QString::number(rows_[i].id), false);
  }
  PaintGrid(painter, QPoint(kGridOrigin.x(), newGridTop_), columns, 1, false);
  headers(newGridTop_, QStringLiteral("追加"));
}

}  // namespace ntr::ui
