#include "wizard/CSheetBase.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include "language/StringIds.h"
#include "state/WizardState.h"
#include "wizard/CDlgHelp.h"
#include "wizard/CPspEx.h"
#include "wizard/CWaitStrip.h"
#include "wizard/DialogTemplate.h"
#include "wizard/UiText.h"

namespace kelvane {

CSheetBase::CSheetBase(QWidget* parent) : QDialog(parent) {}

CSheetBase::~CSheetBase() = default;

void CSheetBase::HideHelpWindow() {
  if (help_) help_->HideHelp();
}

void CSheetBase::DropHelpWindow() { help_.reset(); }

bool CSheetBase::HelpTopic(std::uint32_t pageCode, std::uint32_t& titleId, std::uint32_t& textId) {
  struct Topic {
    std::uint32_t code, title, text;
  };
  static constexpr Topic kTopics[] = {
      {11, 30526, 30486}, {20, 30527, 30487}, {21, 30528, 30488}, {22, 30529, 30489}, {23, 30530, 30490},
      {30, 30579, 30642}, {31, 30531, 30491}, {32, 30532, 30492}, {33, 30533, 30493}, {34, 30534, 30494},
      {35, 30578, 30492}, {36, 30662, 30663}, {40, 30535, 30495}, {50, 30536, 30496}, {60, 30537, 30497},
      {70, 30538, 30498}, {71, 30539, 30499}, {72, 30540, 30500}, {73, 30541, 30501},
  };
  for (const Topic& topic : kTopics) {
    if (topic.code == pageCode) {
      titleId = topic.title;
      textId = topic.text;
      return true;
    }
  }
  titleId = 0;
  textId = 0;
  return false;
}

bool CSheetBase::ActiveBusy() const {
  const CPspEx* page = ActivePage();
  return page != nullptr && page->IsBusy();
}

bool CSheetBase::PageAllowsClose() const {
  // While a step runs nothing is asked at all: the step's waits deliver the
  // close events, and closing the sheet under a running step would pull the
  // page away from it.
  if (ActiveBusy()) {
    ShowBusyNotice();
    return false;
  }
  CPspEx* page = ActivePage();
  return page == nullptr || page->OnQueryCancel();
}

void CSheetBase::ShowBusyNotice() const {
  auto* self = const_cast<CSheetBase*>(this);
  if (busyNotice_.isNull()) {
    busyNotice_ = new QLabel(self);
    busyNotice_->setObjectName(QStringLiteral("busyNotice"));
    busyNotice_->setAutoFillBackground(true);
    busyNotice_->setTextFormat(Qt::PlainText);
    busyNotice_->setAlignment(Qt::AlignCenter);
    busyNotice_->setFrameShape(QFrame::StyledPanel);
    // Gone as soon as the step is over; the watch runs only while the notice
    // shows, so a sheet left alone afterwards wakes for nothing.
    auto* watch = new QTimer(busyNotice_);
    watch->setObjectName(QStringLiteral("busyNoticeWatch"));
    watch->setInterval(200);
    connect(watch, &QTimer::timeout, self, [self, watch] {
      if (self->ActiveBusy() || !self->busyNotice_) return;
      self->busyNotice_->hide();
      watch->stop();
    });
  }
  if (auto* watch = busyNotice_->findChild<QTimer*>(QStringLiteral("busyNoticeWatch"))) watch->start();
  busyNotice_->setText(UiText(kIdStepCannotBeInterrupted));
  busyNotice_->setAccessibleName(busyNotice_->text());
  // Just above the row of the sheet's buttons, across the window; above the
  // wait strip when a long wait shows one there.
  int top = height();
  for (const QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
    if (button->isVisible()) top = std::min(top, button->y());
  }
  if (const CWaitStrip* strip = CWaitStrip::Of(this); strip != nullptr && strip->isVisible()) {
    top = std::min(top, strip->y());
  }
  const int lineHeight = busyNotice_->sizeHint().height();
  busyNotice_->setGeometry(8, std::max(0, top - lineHeight - 4), width() - 16, lineHeight);
  busyNotice_->show();
  busyNotice_->raise();
}

void CSheetBase::OnHelp() {
  if (ActiveBusy()) return;
  ShowHelpTopic(WizardState::Instance().currentPageCode);
}

QPushButton* CSheetBase::MakeButton(int id) {
  auto* button = new QPushButton(this);
  button->setObjectName(ControlObjectName(id));
  button->setProperty("controlId", id);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

void CSheetBase::ShowHelpTopic(std::uint32_t pageCode) {
  if (!help_) {
    help_ = std::make_unique<CDlgHelp>(this);
    help_->SetButtonText(UiText(kIdHelpWindowOk));
  }
  std::uint32_t titleId = 0;
  std::uint32_t textId = 0;
  HelpTopic(pageCode, titleId, textId);
  help_->SetTitle(UiText(kIdHelpWindowTitle) + QStringLiteral(" - ") + (titleId != 0 ? UiText(titleId) : QString()));
  help_->SetBody(textId != 0 ? UiText(textId) : QString());
  help_->ShowHelp();
}

void CSheetBase::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      // A field that takes Enter itself (a multi-line entry, an open list)
      // and a page's own buttons never let it come here. One of the sheet's
      // buttons with the focus is pressed, as Space would; otherwise the
      // default button.
      event->accept();
      auto* focused = qobject_cast<QPushButton*>(focusWidget());
      QPushButton* button = focused != nullptr && focused->parentWidget() == this ? focused : DefaultButton();
      if (button != nullptr && button->isVisible() && button->isEnabled()) button->click();
      return;
    }
    case Qt::Key_Escape:
      event->accept();
      reject();
      return;
    case Qt::Key_F1: {
      event->accept();
      QPushButton* help = HelpButton();
      if (help != nullptr && help->isVisible() && help->isEnabled()) OnHelp();
      return;
    }
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace kelvane
