#include "advanced/CPshRouter.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

#include "advanced/CPspDIYBRSystem.h"
#include "advanced/CPspDIYLan.h"
#include "advanced/CPspDIYWLan.h"
#include "advanced/CPspDIYWan.h"
#include "language/StringIds.h"
#include "state/WizardState.h"
#include "wizard/AccessKeys.h"
#include "wizard/DialogTemplate.h"
#include "wizard/PageKit.h"
#include "wizard/Resources.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {

constexpr int kButtonWidthDu = 50;
constexpr int kButtonHeightDu = 14;
constexpr int kMarginDu = 7;
// Our layout on top of the sheet's own: buttons 3 pixels higher and 2 lower,
// Help 15 pixels from the left edge.
constexpr int kButtonRaisePx = 3;
constexpr int kButtonDropPx = 2;
constexpr int kHelpLeftPx = 15;

}  // namespace

CPshRouter::CPshRouter(QWidget* parent) : CSheetBase(parent) {
  setObjectName(QStringLiteral("CPshRouter"));
  setFont(DialogFont());
  setWindowIcon(LoadIconResource(kIconApplication));
  setWindowTitle(UiText(kIdRouterManagementTitle));
  greekFont_ = MakeGreekFont(font());

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("tabs"));
  auto makeButton = [this](int id, StringId text) {
    QPushButton* button = MakeButton(id);
    if (greekFont_) button->setFont(*greekFont_);
    button->setText(UiText(text));
    return button;
  };
  helpButton_ = makeButton(kButtonHelp, kIdHelp);
  ok_ = makeButton(kButtonOk, kIdOk);
  cancel_ = makeButton(kButtonCancel, kIdBack);
  ok_->hide();
  connect(helpButton_, &QPushButton::clicked, this, &CPshRouter::OnHelp);
  connect(cancel_, &QPushButton::clicked, this, &CPshRouter::reject);

  // Built in the order LAN, WAN, wireless, system; shown as LAN, wireless
  // (only with a wireless part), WAN, system.
  auto* lan = new CPspDIYLan();
  auto* wan = new CPspDIYWan();
  auto* wlan = new CPspDIYWLan();
  auto* system = new CPspDIYBRSystem();
  owned_ = {lan, wan, wlan, system};
  AddPage(lan);
  if (WizardState::Instance().wirelessPresent) AddPage(wlan);
  AddPage(wan);
  AddPage(system);

  // The page area fits the largest template and every control of every page:
  // the buttons along a tab's foot reach below its template, and further in
  // the languages that give them a second line.
  const QSize base = DialogBaseUnits(font());
  const int margin = kMarginDu * base.width() / 4;
  QSize area(0, 0);
  for (CPspRouterTab* page : pages_) {
    area = area.expandedTo(page->PlannedSizePx());
    QRect controls;
    for (QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) controls |= control->geometry();
    if (!controls.isEmpty()) area = area.expandedTo(QSize(controls.right() + 1, controls.bottom() + 1 + margin));
  }
  const int tabBar = tabs_->tabBar()->sizeHint().height();
  tabs_->setGeometry(margin, margin, area.width() + 4, area.height() + tabBar + 4);
  const int bw = kButtonWidthDu * base.width() / 4;
  const int bh = kButtonHeightDu * base.height() / 8;
  const int top = tabs_->geometry().bottom() + margin;
  const int width = tabs_->geometry().right() + margin + 1;
  cancel_->setGeometry(width - margin - bw, top - kButtonRaisePx, bw, bh + kButtonRaisePx + kButtonDropPx);
  ok_->setGeometry(cancel_->x() - margin - bw, cancel_->y(), bw, cancel_->height());
  helpButton_->setGeometry(kHelpLeftPx, cancel_->y(), bw, cancel_->height());
  setFixedSize(width, top + bh + kButtonDropPx + margin);
  // Access keys that step around the tabs' and their pages' own.
  AssignSheetAccessKeys({{cancel_, UiText(kIdBack), QLatin1Char('B')}, {helpButton_, UiText(kIdHelp), QLatin1Char('H')}},
                        tabs_);

  connect(tabs_, &QTabWidget::currentChanged, this, &CPshRouter::OnTabChanged);
}

CPshRouter::~CPshRouter() {
  DropHelpWindow();
  // The tab widget deletes the pages it holds; a page that was not shown
  // (wireless without a wireless part) is ours to delete.
  for (CPspRouterTab* page : owned_) {
    if (std::find(pages_.begin(), pages_.end(), page) == pages_.end()) delete page;
  }
}

void CPshRouter::AddPage(CPspRouterTab* page) {
  page->AttachSheet(this);
  // The controls are made before the page goes into the tab widget, so they
  // are shown with it.
  page->Create();
  pages_.push_back(page);
  tabs_->addTab(page, page->PageCaption());
}

CPspRouterTab* CPshRouter::Page(int index) const {
  if (index < 0 || index >= PageCount()) return nullptr;
  return pages_[static_cast<std::size_t>(index)];
}

CPspEx* CPshRouter::ActivePage() const { return Page(activeIndex_); }

QPushButton* CPshRouter::Button(int id) const {
  switch (id) {
    case kButtonOk: return ok_;
    case kButtonCancel: return cancel_;
    case kButtonHelp: return helpButton_;
    default: return nullptr;
  }
}

void CPshRouter::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (activeIndex_ < 0 && !pages_.empty()) SetActivePage(pages_.front());
}

void CPshRouter::OnTabChanged(int index) {
  CPspRouterTab* page = Page(index);
  if (page == nullptr || index == activeIndex_) return;
  page->Create();
  activeIndex_ = index;
  page->OnSetActive();
}

bool CPshRouter::SetActivePage(CPspEx* page) {
  const auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return false;
  const int index = static_cast<int>(it - pages_.begin());
  page->Create();
  if (tabs_->currentIndex() != index) {
    tabs_->setCurrentIndex(index);  // OnTabChanged activates it
  }
  if (activeIndex_ != index) {
    activeIndex_ = index;
    page->OnSetActive();
  }
  return true;
}

CPspEx* CPshRouter::FindPageByTemplate(int templateId) const {
  for (CPspRouterTab* page : pages_) {
    if (page->TemplateId() == templateId) return page;
  }
  return nullptr;
}

void CPshRouter::EnterBusy(CPspEx*) {
  tabs_->setEnabled(false);
  cancel_->setEnabled(false);
  helpButton_->setEnabled(false);
}

void CPshRouter::LeaveBusy(CPspEx*) {
  tabs_->setEnabled(true);
  cancel_->setEnabled(true);
  helpButton_->setEnabled(true);
}

// The sheet has no Back, Next or Finish; its Cancel is the "Back" that closes it.
void CPshRouter::ShowWizardButtons(bool, bool, bool cancel, bool) { cancel_->setVisible(cancel); }
void CPshRouter::EnableWizardButtons(bool, bool, bool cancel, bool) { cancel_->setEnabled(cancel); }
void CPshRouter::ShowHelpButton(bool show) { helpButton_->setVisible(show); }
void CPshRouter::EnableHelpButton(bool enable) { helpButton_->setEnabled(enable); }
void CPshRouter::ShowAndEnableHelpButton(bool show, bool enable) {
  helpButton_->setVisible(show);
  helpButton_->setEnabled(enable);
}

void CPshRouter::reject() {
  if (!PageAllowsClose()) return;
  QDialog::reject();
}

}  // namespace kelvane
