#include "pages/FinishExtras.h"

#include <QCheckBox>
#include <QLabel>

#include "language/StringIds.h"
#include "pages/CPspFinish.h"
#include "state/SessionRecord.h"
#include "state/WizardState.h"
#include "steps/kit/WanAddressKind.h"
#include "wizard/CQrCodeView.h"
#include "wizard/CWifiCodePanel.h"
#include "wizard/PageKit.h"
#include "wizard/UiText.h"

namespace kelvane {

QString FinishMessage(bool wanTestSkipped) {
  QString text = UiText(wanTestSkipped ? kIdFinishNotVerified : kIdFinishVerified);
  if (!wanTestSkipped && IsTranslatedWanAddress(SessionRecord::Instance().wanAddress)) {
    text += QStringLiteral("\n") + UiText(kIdTranslatedWanNote);
  }
  // Provider hosts that ignore echo but were shown to work.
  if (!wanTestSkipped) {
    for (std::uint32_t note : SessionRecord::Instance().wanTestNotes) text += QStringLiteral("\n") + UiText(note);
  }
  return text;
}

CWifiCodePanel* LayOutFinishWireless(QWidget* page, CWifiCodePanel* panel, bool show) {
  auto* message = page->findChild<QLabel*>(QStringLiteral("ctl_%1").arg(CPspFinish::kMessageId));
  auto* box = page->findChild<QCheckBox*>(QStringLiteral("ctl_%1").arg(CPspFinish::kOpenRouterBoxId));
  QWidget* picture = page->findChild<QWidget*>(QStringLiteral("ctl_%1").arg(CPspFinish::kPictureButtonId));
  if (message == nullptr || box == nullptr) return panel;
  // The template's places, kept for when the panel is hidden again.
  if (!message->property("templateGeometry").isValid()) {
    message->setProperty("templateGeometry", message->geometry());
    box->setProperty("templateGeometry", box->geometry());
  }
  const QRect messageRect = message->property("templateGeometry").toRect();
  const QRect boxRect = box->property("templateGeometry").toRect();
  if (!show) {
    if (panel != nullptr) {
      panel->hide();
      panel->Code()->hide();
    }
    // The verdict with the note on a translated address runs longer than the
    // template's place in some languages: the text takes the lines it needs,
    // and the picture below it keeps clear of it or, with no room left, goes.
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const int messageHeight = std::max(messageRect.height(), message->heightForWidth(messageRect.width()));
    message->setGeometry(messageRect.left(), messageRect.top(), messageRect.width(), messageHeight);
    box->setGeometry(boxRect);
    WrapCheckBoxText(box);
    if (picture != nullptr) {
      if (!picture->property("templateGeometry").isValid()) picture->setProperty("templateGeometry", picture->geometry());
      const QRect pictureRect = picture->property("templateGeometry").toRect();
      const int gap = 6;
      const int pictureTop = std::max(pictureRect.top(), message->geometry().bottom() + gap);
      picture->move(pictureRect.left(), pictureTop);
      picture->setVisible(pictureTop + pictureRect.height() + gap <= box->y());
    }
    return panel;
  }
  if (panel == nullptr) {
    panel = new CWifiCodePanel(page);
    panel->setObjectName(QStringLiteral("wifiCodePanel"));
    panel->DetachCode(page);
  }
  const WirelessSettings& w = WizardState::Instance().WirelessSettings;
  panel->SetNetwork(w.ssid.str(), w.securityMode, w.key.str());
  if (picture != nullptr) picture->hide();

  const int gap = 6;
  const int left = messageRect.left();
  const int right = page->width() - left;
  CQrCodeView* code = panel->Code();
  const QSize side = code->sizeHint();
  // The code sits at the right edge, as high as the page allows; the texts
  // keep the column to its left.
  const int codeTop = std::max(0, std::min(messageRect.top(), page->height() - side.height()));
  code->move(right - side.width(), codeTop);
  code->show();
  code->raise();
  const int column = right - side.width() - gap - left;
  message->setWordWrap(true);
  message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  const int messageHeight = std::max(messageRect.height() / 2, message->heightForWidth(column));
  message->setGeometry(left, messageRect.top(), column, messageHeight);
  box->resize(column, box->height());
  WrapCheckBoxText(box);  // a long translation takes more lines in the narrower column
  const int boxHeight = std::max(boxRect.height(), box->sizeHint().height());
  const int boxTop = page->height() - boxHeight - 2;
  box->setGeometry(left, boxTop, column, boxHeight);
  const int panelTop = message->geometry().bottom() + gap;
  const int panelHeight = std::max(0, boxTop - gap - panelTop);
  panel->SetHintShown(true);
  if (panel->sizeHint().height() > panelHeight) panel->SetHintShown(false);
  panel->setGeometry(left, panelTop, column, panelHeight);
  panel->show();
  return panel;
}

}  // namespace kelvane
