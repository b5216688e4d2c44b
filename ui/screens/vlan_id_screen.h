// The VLAN IDs the tool knows (the table of VLAN names shared by every
// switch) and this switch's VLANs: rename a VLAN, take VLANs off this switch,
// add a VLAN to the table. The new VLAN is checked before anything is sent;
// the removals run as the switch's apply job; the table changes and the file
// is saved only after the switch took them all.
#pragma once

#include <QCheckBox>
#include <vector>

#include "app/vlan_table_edit.h"
#include "ui/forms/filtered_edit.h"
#include "ui/forms/screen.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

inline constexpr char kVlanIdTitle[] = "VLAN IDの設定";
inline constexpr char kVlanIdMessageTitle[] = "VLAN IDの設定 ";

class VlanIdScreen : public Screen {
  Q_OBJECT

 public:
  VlanIdScreen(ScreenHost& screens, Application& app, SwitchView sw);
  QString title() const override;
  void Cancel() override;

  // The controls of registered VLAN `row` (row 0, the default VLAN, has no delete check).
  FilteredEdit* nameEdit(int row) const { return rows_.at(static_cast<std::size_t>(row)).name; }
  QCheckBox* deleteCheck(int row) const { return rows_.at(static_cast<std::size_t>(row)).remove; }
  int rowCount() const { return static_cast<int>(rows_.size()); }
  QCheckBox* addCheck() const { return add_; }
  FilteredEdit* newIdEdit() const { return newId_; }
  FilteredEdit* newNameEdit() const { return newName_; }

 protected:
  std::vector<SettingChange> Changes() override { return removals_; }
  void Applied() override;
  void ApplyFailed(const QString& errorText) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Row {
    std::int32_t id = 0;
    FilteredEdit* name = nullptr;
    QCheckBox* remove = nullptr;
  };

  void Set();
  // The switch took the removals (or there were none): the table, the file, the result.
  void Finish();

  Application& app_;
  std::vector<Row> rows_;
  QCheckBox* add_ = nullptr;
  FilteredEdit* newId_ = nullptr;
  FilteredEdit* newName_ = nullptr;
  int newGridTop_ = 0;
  VlanTableChange change_;
  std::vector<SettingChange> removals_;
};

}  // namespace ntr::ui
