#include "pages/CPspSetupType.h"

#include <QLabel>

#include "language/StringIds.h"
#include "wizard/CImageButton.h"
#include "wizard/Resources.h"
#include "wizard/SheetOps.h"
#include "wizard/UiText.h"
#include "state/WizardState.h"

namespace kelvane {

namespace {

constexpr std::uint32_t kGreek = 1032;
constexpr int kGreekFontPx = 10;

}  // namespace

CPspSetupType::CPspSetupType(QWidget* parent) : CPspEx(kTemplateId, parent) {
  // Set at construction: the language module is loaded by then.
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(kIdSetupTypeTitle));
  SetHeaderSubTitle(UiText(kIdSetupTypeSubtitle));
}

bool CPspSetupType::OnInitDialog() {
  if (WizardState::Instance().languageId == kGreek) {
    greekFont_ = std::make_unique<QFont>(font());
    greekFont_->setPixelSize(kGreekFontPx);
    greekFont_->setWeight(QFont::Normal);
  }
  SetUpButton(kEasyButton, kIconEasyMode, kIdEasyMode);
  SetUpButton(kAdvancedButton, kIconAdvancedMode, kIdAdvancedMode);
  if (auto* easy = ControlAs<CImageButton>(kEasyButton)) {
    connect(easy, &QPushButton::clicked, this, &CPspSetupType::OnEasyMode);
  }
  if (auto* advanced = ControlAs<CImageButton>(kAdvancedButton)) {
    connect(advanced, &QPushButton::clicked, this, &CPspSetupType::OnAdvancedMode);
  }
  if (auto* text = qobject_cast<QLabel*>(Control(kEasyDescription))) text->setText(UiText(kIdEasyModeDescription));
  if (auto* text = qobject_cast<QLabel*>(Control(kAdvancedDescription))) {
    text->setText(UiText(kIdAdvancedModeDescription));
  }
  return true;
}

void CPspSetupType::SetUpButton(int id, int iconId, std::uint32_t textId) {
  auto* button = ControlAs<CImageButton>(id);
  if (button == nullptr) return;
  button->SetIcon(iconId);
  button->setText(UiText(textId));
  button->SetAlign(CImageButton::kAlignVert);
  button->SetBtnCursor(kCursorHand);
  if (greekFont_) button->setFont(*greekFont_);
}

bool CPspSetupType::OnSetActive() {
  // Back, Next and Cancel shown, no Help: this page has no help of its own.
  BeginActivation(ButtonChrome{kBtnBack | kBtnNext | kBtnCancel, kBtnBack | kBtnCancel, false}, kPageCode);
  return CPspEx::OnSetActive();
}

bool CPspSetupType::OnQueryCancel() {
  SheetOps* sheet = Sheet();
  return sheet != nullptr && sheet->ConfirmCancel();
}

void CPspSetupType::OnEasyMode() { GoTo(kConnectivityTemplate); }
void CPspSetupType::OnAdvancedMode() { GoTo(kAdvancedMenuTemplate); }

}  // namespace kelvane
