#include "wizard/CDlgMessage.h"

#include "wizard/CWaitStrip.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include "wizard/CImageButton.h"
#include "wizard/CStaticText.h"
#include "wizard/DialogTemplate.h"
#include "wizard/MessageBox.h"
#include "wizard/Resources.h"

namespace kelvane {

namespace {

constexpr CDlgMessage::Ids kMessageIds{800, 801, 805, 802, 803, 804};

// Room around a button caption before the button has to grow.
constexpr int kButtonTextPadding = 16;

const char* IconAccessibleName(int iconId) {
  switch (iconId) {
    case kIconStop: return "Error";
    case kIconQuestion: return "Question";
    case kIconExclamation: return "Warning";
    default: return "Information";
  }
}

}  // namespace

MessageStyle DecodeMessageStyle(unsigned style) {
  MessageStyle s;
  switch (style & 0xF) {
    case 1:
      s.buttonSet = 1;
      s.buttonCount = 2;
      s.answers = {kAnswerOk, kAnswerCancel, 0};
      s.defaultTexts = {"&OK", "&Cancel", nullptr};
      break;
    case 3:
      s.buttonSet = 3;
      s.buttonCount = 3;
      s.answers = {kAnswerYes, kAnswerNo, kAnswerCancel};
      s.defaultTexts = {"&Yes", "&No", "&Cancel"};
      break;
    case 4:
      s.buttonSet = 4;
      s.buttonCount = 2;
      s.answers = {kAnswerYes, kAnswerNo, 0};
      s.defaultTexts = {"&Yes", "&No", nullptr};
      break;
    case 5:
      s.buttonSet = 5;
      s.buttonCount = 2;
      s.answers = {kAnswerRetry, kAnswerCancel, 0};
      s.defaultTexts = {"&Retry", "&Cancel", nullptr};
      break;
    default:  // 0 and every value without a set of its own: one button
      break;
  }
  switch (style & 0xF0) {
    case 0x10: s.iconId = kIconStop; break;
    case 0x20: s.iconId = kIconQuestion; break;
    case 0x30: s.iconId = kIconExclamation; break;
    default: s.iconId = kIconInformation; break;
  }
  switch (style & 0xF00) {
    case 0x100: s.defaultButton = 1; break;
    case 0x200: s.defaultButton = 2; break;
    default: s.defaultButton = 0; break;
  }
  // A default button beyond the set starts on the first one.
  if (s.defaultButton >= s.buttonCount) s.defaultButton = 0;
  return s;
}

CDlgMessage::CDlgMessage(const QString& caption, const QString& message, unsigned style, QWidget* parent)
    : CDlgMessage(kMessageIds, caption, message, style, QString(), QString(), QString(), true, parent) {}

CDlgMessage::CDlgMessage(const QString& caption, const QString& message, unsigned style, const QString& text1,
                         const QString& text2, const QString& text3, QWidget* parent)
    : CDlgMessage(kMessageIds, caption, message, style, text1, text2, text3, false, parent) {}

CDlgMessage::CDlgMessage(const Ids& ids, const QString& caption, const QString& message, unsigned style,
                         const QString& text1, const QString& text2, const QString& text3, bool useDefaults,
                         QWidget* parent)
    : QDialog(parent), ids_(ids), caption_(caption), message_(message), style_(DecodeMessageStyle(style)) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setModal(true);
  if (useDefaults) {
    for (int i = 0; i < 3; ++i)
      texts_[i] = style_.defaultTexts[i] ? QString::fromLatin1(style_.defaultTexts[i]) : QString();
  } else {
    texts_ = {text1, text2, text3};
  }
  DialogTemplate tpl;
  if (LoadDialogTemplate(ids_.templateId, tpl)) BuildTemplateControls(this, tpl);
  for (int i = 0; i < 3; ++i) {
    auto* button = qobject_cast<QPushButton*>(Control(i == 0 ? ids_.button1 : i == 1 ? ids_.button2 : ids_.button3));
    if (button == nullptr) continue;
    connect(button, &QPushButton::clicked, this, [this, i] { OnButton(i); });
  }
}

CDlgMessage::~CDlgMessage() = default;

QWidget* CDlgMessage::Control(int id) const { return FindControl(this, id); }

void CDlgMessage::InitDialog() {
  if (initialised_) return;
  initialised_ = true;
  setWindowTitle(caption_);
  answer_ = kAnswerCancel;

  auto* text = qobject_cast<CStaticText*>(Control(ids_.message));
  auto* icon = qobject_cast<CImageButton*>(Control(ids_.icon));
  if (icon != nullptr) {
    icon->SetFlat(true, false);
    icon->SetDrawBorder(false, false);
    icon->SetTransparent(true, false);
    icon->SetIcon(style_.iconId, 0, QSize(32, 32), false);
    icon->setFocusPolicy(Qt::NoFocus);
    icon->setAccessibleName(QString::fromLatin1(IconAccessibleName(style_.iconId)));
  }

  QPushButton* buttons[3];
  for (int i = 0; i < 3; ++i) {
    buttons[i] = qobject_cast<QPushButton*>(Control(i == 0 ? ids_.button1 : i == 1 ? ids_.button2 : ids_.button3));
    if (buttons[i]) buttons[i]->hide();
  }
  if (buttons[0] == nullptr || buttons[1] == nullptr || buttons[2] == nullptr) return;

  // A translated message longer than the template's box makes the box taller
  // instead of being cut; everything below moves down with it.
  int grow = 0;
  if (text != nullptr) {
    text->setText(message_);
    const QFontMetrics fm(text->DrawingFont());
    const QRect need = fm.boundingRect(QRect(0, 0, text->width(), 100000), text->DrawFormat(), message_);
    if (need.height() > text->height()) {
      grow = need.height() - text->height();
      text->resize(text->width(), need.height());
      for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child != text && child->y() >= text->y() + text->height() - grow) child->move(child->x(), child->y() + grow);
      }
    }
  }

  const int count = style_.buttonCount;
  // Buttons whose caption does not fit grow, all to the same width.
  int width = buttons[0]->width();
  for (int i = 0; i < count; ++i) {
    buttons[i]->setText(texts_[i]);
    const QFontMetrics fm(buttons[i]->font());
    width = qMax(width, fm.horizontalAdvance(QString(texts_[i]).remove('&')) + kButtonTextPadding);
  }
  const int clientCentre = this->width() / 2;
  if (width > buttons[0]->width()) {
    const int gap = buttons[1]->x() - (buttons[0]->x() + buttons[0]->width());
    const int total = count * width + (count - 1) * gap;
    if (total + 8 > this->width()) resize(total + 8, height());
    const int left = this->width() / 2 - total / 2;
    for (int i = 0; i < count; ++i) buttons[i]->setGeometry(left + i * (width + gap), buttons[i]->y(), width, buttons[i]->height());
  } else if (count == 1) {
    QRect r = buttons[0]->geometry();
    r.moveLeft(clientCentre - r.width() / 2);
    buttons[0]->setGeometry(r);
  } else if (count == 2) {
    const int firstCentre = buttons[0]->x() + buttons[0]->width() / 2;
    const int dx = (clientCentre - firstCentre) / 2;
    for (int i = 0; i < 2; ++i) buttons[i]->move(buttons[i]->x() + dx, buttons[i]->y());
  }
  for (int i = 0; i < count; ++i) {
    QRect r = buttons[i]->geometry();
    r.setLeft(r.left() + ButtonShift(i));
    r.setRight(r.right() + ButtonShift(i) + ButtonExtraWidth(i));
    buttons[i]->setGeometry(r);
    buttons[i]->setAutoDefault(true);
    buttons[i]->show();
  }
  resize(this->width(), height() + grow);
  setFixedSize(size());
}

void CDlgMessage::showEvent(QShowEvent* event) {
  InitDialog();
  QDialog::showEvent(event);
  if (!focusPlaced_) {
    focusPlaced_ = true;
    // The focus starts on the first button and moves one Tab stop per
    // default-button step, as the synthesised Tab presses do.
    if (QWidget* first = InitialFocus()) first->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < style_.defaultButton; ++i) focusNextPrevChild(true);
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) focused->setDefault(true);
  }
  ScheduleTestHook();
}

void CDlgMessage::ScheduleTestHook() {
  if (MessageBoxHook hook = CurrentMessageBoxHook()) {
    QTimer::singleShot(0, this, [this, hook] { hook(this); });
  }
}

void CDlgMessage::OnButton(int index) {
  if (index < 0 || index >= style_.buttonCount) return;
  answer_ = style_.answers[index];
  reject();
}

QWidget* CDlgMessage::InitialFocus() const { return Control(ids_.button1); }

int CDlgMessage::DoModal() { return exec(); }

int CDlgMessage::exec() {
  InitDialog();
  // A question asked during a long wait: the window's "please wait" steps
  // aside while it is asked.
  const WaitStripHold hold(parentWidget());
  QDialog::exec();
  return answer_;
}

}  // namespace kelvane
