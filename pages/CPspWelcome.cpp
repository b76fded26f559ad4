#include "pages/CPspWelcome.h"

#include <QComboBox>
#include <QLabel>
#include <QPalette>

#include <string>
#include <vector>

#include "language/LanguageSelector.h"
#include "language/StringIds.h"
#include "pages/CPspSetupType.h"
#include "wizard/CStaticText.h"
#include "wizard/SheetOps.h"
#include "wizard/UiText.h"
#include "state/WizardState.h"
#include "wizard/LabelBuddy.h"

namespace kelvane {

namespace {

constexpr std::uint32_t kGreek = 1032;

bool IsAlternativeLayoutSystem(std::uint16_t code) { return code == 502 || code == 6006; }

}  // namespace

CPspWelcome::CPspWelcome(QWidget* parent) : CPspEx(kTemplateId, parent) {
  // An exterior page: no header band.
  SetHeaderHidden(true);
  // The page and its texts are drawn on white, as its picture is, whatever
  // the desktop's theme: dark text then, or a dark theme's light text would
  // stand on white.
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::Base, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  white.setColor(QPalette::Text, Qt::black);
  setPalette(white);
}

QComboBox* CPspWelcome::Selector() const { return ControlAs<QComboBox>(kLanguageSelector); }

bool CPspWelcome::OnInitDialog() {
  CPspEx::OnInitDialog();
  WizardState& state = WizardState::Instance();

  if (auto* heading = ControlAs<CStaticText>(kHeading)) {
    heading->setText(UiText(kIdWelcomeHeading));
    heading->SetFont(16, true);
  }
  if (auto* intro = qobject_cast<QLabel*>(Control(kIntroduction))) intro->setText(UiText(kIdWelcomeIntro));
  QWidget* label = Control(kLanguageLabel);
  if (auto* text = qobject_cast<QLabel*>(label)) {
    text->setText(UiText(kIdSelectLanguageLabel));
    // The label names the list for screen readers (not just its entry).
    PairLabel(text, Selector());
  }

  if (QComboBox* selector = Selector()) {
    std::vector<std::u16string> items;
    int selected = -1;
    FillLanguageSelector(items, selected, state);
    selector->clear();
    for (const std::u16string& item : items) selector->addItem(QString::fromStdU16String(item));
    selector->setCurrentIndex(selected);
    // Connected after filling, so that filling is not taken for a choice.
    connect(selector, &QComboBox::currentIndexChanged, this, &CPspWelcome::OnLanguageSelected);
    selector->show();
  }
  if (label != nullptr) label->show();

  LayoutPicture();

  if (state.languageId == kGreek) {
    // Greek's long Back text: the sheet widens its Back button.
    if (SheetOps* sheet = Sheet() != nullptr ? Sheet() : FindSheet()) {
      if (IsAlternativeLayoutSystem(state.osVersionCode)) {
        sheet->ShiftBackButton(-30, 10);
      } else {
        sheet->ShiftBackButton(-15, 8);
      }
    }
  }
  return true;
}

void CPspWelcome::LayoutPicture() {
  QWidget* picture = Control(kPicture);
  if (picture == nullptr) return;
  const std::uint16_t os = WizardState::Instance().osVersionCode;
  ScaleControlRect(picture);
  const QSize page = TemplateSizePx();
  if (IsAlternativeLayoutSystem(os)) {
    SetControlWidth(picture, GetControlWidth(picture) + 2);
  } else if (GetControlWidth(picture) < page.width()) {
    SetControlWidth(picture, page.width());
  }
  if (IsAlternativeLayoutSystem(os)) {
    const float scale = ComputeDpiScale();
    SetControlHeight(picture, static_cast<int>(page.height() / scale));
  } else if (GetControlHeight(picture) < page.height()) {
    SetControlHeight(picture, page.height());
  }
  // The picture is the background: everything else is drawn over it.
  picture->lower();
  picture->show();
}

bool CPspWelcome::OnSetActive() {
  // Back, Next and Cancel shown, no Help: this page has no help of its own.
  BeginActivation(ButtonChrome{kBtnBack | kBtnNext | kBtnCancel, kBtnNext | kBtnCancel, false}, kPageCode);
  return CPspEx::OnSetActive();
}

int CPspWelcome::OnWizardNext() { return GoTo<CPspSetupType>(); }

bool CPspWelcome::OnQueryCancel() {
  SheetOps* sheet = Sheet();
  return sheet != nullptr && sheet->ConfirmCancel();
}

void CPspWelcome::OnLanguageSelected(int index) {
  if (!DecideLanguageChange(index)) return;
  // The start-up loop unloads the module and builds the sheet again.
  if (SheetOps* sheet = Sheet()) sheet->EndSheet(0);
}

}  // namespace kelvane
