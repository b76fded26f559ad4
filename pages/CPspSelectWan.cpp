#include "pages/CPspSelectWan.h"

#include <QLabel>

#include "language/StringIds.h"
#include "pages/CPspDetectWan.h"
#include "steps/kit/WanRouting.h"
#include "state/WizardState.h"
#include "wizard/CImageButton.h"
#include "wizard/PageKit.h"
#include "wizard/Resources.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {

struct TypeButton {
  int id;
  std::int32_t wanType;
  StringId caption;         // 0: the protocol name below, never translated
  const char* name;
};

constexpr TypeButton kTypeButtons[] = {
    {6010, kWanDynamicIp, kIdWanTypeDynamicIp, ""}, {6011, kWanStaticIp, kIdWanTypeStaticIp, ""},
    {6012, kWanPppoe, 0, "PPPoE"},                     {6013, kWanPptp, 0, "PPTP"},
    {6014, kWanL2tp, 0, "L2TP"},                       {6015, kWanBigPond, 0, "BigPond"},
    {6016, kWanTelia, 0, "Telia"},
};

}  // namespace

CPspSelectWan::CPspSelectWan(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(kIdWanSelectTitle));
  SetHeaderSubTitle(UiText(kIdWanSelectSubtitle));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspSelectWan::OnInitDialog() {
  CPspEx::OnInitDialog();
  greekFont_ = MakeGreekFont(font());
  for (const TypeButton& b : kTypeButtons) {
    auto* button = ControlAs<CImageButton>(b.id);
    if (button == nullptr) continue;
    button->SetIcon(kIconWanType);
    button->SetAlign(CImageButton::kAlignVert);
    button->SetBtnCursor(kCursorHand);
    // Blue, bold captions; in Greek all seven take the Greek font, so the row
    // reads as one set (the protocol names in the size of the translated ones).
    for (int index : {CImageButton::kColorFgIn, CImageButton::kColorFgOut, CImageButton::kColorFgFocus}) {
      button->SetColor(index, QColor(0, 0, 255));
    }
    if (greekFont_) {
      button->setFont(*greekFont_);
    } else {
      QFont bold = button->font();
      bold.setWeight(QFont::Bold);
      button->setFont(bold);
    }
    if (b.caption != 0) {
      button->setText(UiText(b.caption));
    } else {
      button->setText(QString::fromLatin1(b.name));
    }
    button->setAccessibleName(button->text());
    const int target = WanSettingsTemplate(b.wanType);
    connect(button, &QPushButton::clicked, this, [this, target] { GoTo(target); });
  }
  return true;
}

bool CPspSelectWan::OnSetActive() {
  BeginActivation(ButtonChrome{kBtnBack | kBtnNext | kBtnCancel, kBtnBack | kBtnCancel, true}, kPageCode);
  if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) message->setText(UiText(kIdWanSelectInstruction));
  if (QWidget* telia = Control(kTeliaButtonId)) telia->hide();
  return CPspEx::OnSetActive();
}

int CPspSelectWan::OnWizardBack() { return GoTo<CPspDetectWan>(); }

}  // namespace kelvane
