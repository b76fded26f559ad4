// The router sheet's WAN page (page code 72): the WAN type the router runs
// with every field, laid out per type from the WAN form table, changed and
// stored; the WAN MAC address of dynamic IP and its clone; restart.
#pragma once

#include <QPoint>

#include <memory>

#include "advanced/CPspRouterTab.h"

class QFont;

namespace kelvane {

class CPspDIYWan : public CPspRouterTab {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4024;
  static constexpr std::uint32_t kPageCode = 72;
  static constexpr int kResultLine = 6119;
  static constexpr int kDescription = 6111;
  static constexpr int kTypeLabel = 6035;
  static constexpr int kTypeList = 6089;
  static constexpr int kAddressModeLabel = 6172;
  static constexpr int kAddressModeList = 6173;
  static constexpr int kConnectionLabel = 6167;
  static constexpr int kConnectionList = 6090;
  static constexpr int kMacLabel = 6036;
  static constexpr int kMacEdit = 6120;
  static constexpr int kCloneButton = 6124;
  static constexpr int kRefreshButton = 6122;
  static constexpr int kStoreButton = 6118;
  static constexpr int kRebootButton = 6123;

  explicit CPspDIYWan(QWidget* parent = nullptr);
  ~CPspDIYWan() override;

  bool OnInitDialog() override;
  bool OnSetActive() override;
  void Refresh() override;
  void OnStore();
  void OnReboot();
  void OnCloneMac();
  // The type list's selection changed (also run at the end of every read).
  void LayoutByType();
  void OnAddressModeChanged(int position);

  std::int32_t RouterWanType() const { return routerWanType_; }
  // The type the list stands for: position + 1, or 0 with no selection.
  std::int32_t ChosenType() const;

 protected:
  QList<int> FieldLabelIds() const override;

 private:
  std::int32_t routerWanType_ = 0;
  QPoint connectionLabelPos_;
  QPoint connectionListPos_;
  std::unique_ptr<QFont> greekFont_;
};

}  // namespace kelvane
