#include "pages/CPspStore.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "net/host/HostNetwork.h"
#include "pages/CPspConnectivity.h"
#include "pages/CPspFinish.h"
#include "pages/CPspSelectWan.h"
#include "pages/CPspTestWan.h"
#include "pages/CPspWLan.h"
#include "steps/easy/SettingsSummary.h"
#include "state/WizardState.h"
#include "wizard/CHTRichEditCtrl.h"
#include "wizard/DialogTemplate.h"
#include "wizard/PageKit.h"
#include "wizard/QtNarrator.h"
#include "wizard/ReadableColour.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {

// Languages whose set-again text needs a larger button.
bool EnlargesSetAgainButton(std::uint32_t languageId) {
  switch (languageId) {
    case 1032: case 1036: case 1043: case 1049: case 1060: case 3082: return true;
    default: return false;
  }
}

QString SummaryLineText(const SummaryLine& line) {
  switch (line.kind) {
    case SummaryLine::Kind::kBlank: return QString();
    case SummaryLine::Kind::kHeading:
      if (line.suffix == 0) return UiText(line.label);
      return QStringLiteral("%1 (%2)").arg(UiText(line.label), UiText(line.suffix));
    case SummaryLine::Kind::kField: {
      // Router texts are bytes in the system's encoding, UTF-8 here.
      const QString value = line.valueId != 0 ? UiText(line.valueId) : QString::fromStdString(line.value);
      return QStringLiteral("%1: %2").arg(UiText(line.label), value);
    }
  }
  return QString();
}

}  // namespace

CPspStore::CPspStore(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(kIdStoreTitle));
  SetHeaderSubTitle(UiText(kIdStoreSubtitle));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

CPspStore::~CPspStore() = default;

bool CPspStore::OnInitDialog() {
  CPspEx::OnInitDialog();
  summary_ = new CHTRichEditCtrl(this);
  summary_->setObjectName(ControlObjectName(kSummaryId));
  summary_->setProperty("controlId", kSummaryId);
  summary_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  summary_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  summary_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  summary_->document()->setDocumentMargin(3);
  summary_->SetAutoScroll(false);
  summary_->setAccessibleName(UiText(kIdStoreTitle));
  QFont bold = font();
  bold.setWeight(QFont::Bold);
  summary_->SetDefaultFont(bold);
  // Left 50, top 50, right 350, bottom 220 (239 on the systems with the taller
  // layout) in 1/96 inch, scaled with the screen's horizontal density.
  const std::uint16_t os = WizardState::Instance().osVersionCode;
  const int bottom = (os == 502 || os == 6006) ? 239 : 220;
  summary_->setGeometry(50, 50, 300, bottom - 50);
  ScaleControlRect(summary_);
  summary_->show();

  QWidget* setAgain = Control(kSetAgainId);
  if (auto* button = qobject_cast<QPushButton*>(setAgain)) {
    connect(button, &QPushButton::clicked, this, &CPspStore::OnSetAgain);
    if (EnlargesSetAgainButton(WizardState::Instance().languageId)) {
      ComputeDpiScale();
      // SetControlWidth/Height multiply by the scale; undo it for the current size.
      const float s = ScaleX() > 0 ? ScaleX() : 1.0f;
      SetControlWidth(button, static_cast<int>(static_cast<float>(GetControlWidth(button)) / s) + 15);
      SetControlHeight(button, static_cast<int>(static_cast<float>(GetControlHeight(button)) / s) + 15);
    }
    greekFont_ = MakeGreekFont(button->font());
  }
  return true;
}

bool CPspStore::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  settingsStored_ = false;
  if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) message->setText(UiText(kIdStoreIntro));
  if (auto* button = qobject_cast<QPushButton*>(Control(kSetAgainId))) {
    button->setText(UiText(kIdStoreSetAgain));
    if (greekFont_) button->setFont(*greekFont_);
    button->show();
  }
  if (QWidget* box = Control(kSkipTestBoxId)) box->hide();
  if (summary_ != nullptr) {
    summary_->Clear();
    summary_->show();
    FillSummary();
  }
  return CPspEx::OnSetActive();
}

void CPspStore::FillSummary() {
  const std::vector<SummaryLine> lines = BuildSettingsSummary(WizardState::Instance());
  // Read on the summary's own background, light or dark theme.
  const QColor heading = ReadableOnBase(QtNarrator::Colour(NarrationColour::kHeading), summary_->palette());
  const QColor plain = ReadableOnBase(QtNarrator::Colour(NarrationColour::kDefault), summary_->palette());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const SummaryLine& line = lines[i];
    const QString text = SummaryLineText(line) + (i + 1 < lines.size() ? QStringLiteral("\n") : QString());
    if (line.kind == SummaryLine::Kind::kHeading) {
      summary_->AppendText(text, -1, true, heading);
    } else {
      summary_->AppendText(text, -1, true, plain);
    }
  }
  summary_->moveCursor(QTextCursor::Start);
}

void CPspStore::OnSetAgain() {
  if (IsBusy()) return;
  if (WizardState::Instance().wirelessPresent) {
    GoTo<CPspWLan>();
  } else {
    GoTo<CPspConnectivity>();
  }
}

int CPspStore::OnWizardBack() { return GoTo<CPspSelectWan>(); }

bool CPspStore::Store() {
  QPointer<CPspStore> self(this);
  BusyScope busy(this, kIdWaitStoreRouter);
  QtNarrator narrator(Control(kMessageId));
  StoreStep step;
  const StoreOutcome outcome = step.Run(WizardState::Instance(), ActiveHostNetwork(), narrator);
  if (!self.isNull()) lastOutcome_ = outcome;
  return outcome == StoreOutcome::kStored;
}

int CPspStore::OnWizardNext() {
  if (IsBusy()) return -1;
  if (QWidget* w = Control(kSetAgainId)) w->hide();
  if (summary_ != nullptr) summary_->hide();
  auto* box = qobject_cast<QCheckBox*>(Control(kSkipTestBoxId));
  if (box != nullptr) box->hide();
  repaint();

  if (settingsStored_) {
    const bool skip = box != nullptr && box->isChecked();
    WizardState::Instance().wanTestSkipped = skip;
    if (skip) return GoTo<CPspFinish>();
    return GoTo<CPspTestWan>();
  }

  QPointer<CPspStore> self(this);
  const bool stored = Store();
  if (self.isNull()) return -1;  // the sheet went away during the run
  if (stored) {
    settingsStored_ = true;
    if (box != nullptr) {
      box->setText(UiText(kIdSkipWanTest));
      box->setChecked(false);
      box->show();
    }
    repaint();
  }
  return -1;
}

}  // namespace kelvane
