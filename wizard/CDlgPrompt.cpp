#include "wizard/CDlgPrompt.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTimer>

#include <string_view>

#include "wizard/MessageBox.h"
#include "wizard/ReadableColour.h"

namespace kelvane {

namespace {

constexpr CDlgMessage::Ids kPromptIds{910, 912, 913, 914, 915, 916};
constexpr int kEntryId = 911;

// Length of UTF-8 `text` cut to `limit` bytes without splitting a character.
qsizetype CutUtf8(const QByteArray& text, qsizetype limit) {
  if (text.size() <= limit) return text.size();
  qsizetype n = limit;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return n;
}

}  // namespace

CDlgPrompt::CDlgPrompt(const QString& caption, const QString& message, unsigned style, const QString& text1,
                       const QString& text2, const QString& text3, QWidget* parent)
    : CDlgMessage(kPromptIds, caption, message, style, text1, text2, text3, false, parent) {}

QLineEdit* CDlgPrompt::Entry() const { return qobject_cast<QLineEdit*>(Control(kEntryId)); }

void CDlgPrompt::SetMasked(bool masked) {
  masked_ = masked;
  if (QLineEdit* entry = Entry()) {
    // The entry's blue, in a shade that reads on the theme's field background.
    entry->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    QPalette pal = entry->palette();
    pal.setColor(QPalette::Text, ReadableOnBase(PromptEntryColour(), pal));
    entry->setPalette(pal);
    entry->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
  }
}

void CDlgPrompt::AdjustFirstButton(int shift, int extraWidth) {
  shifts_[0] += shift;
  extraWidths_[0] += extraWidth;
}

void CDlgPrompt::InitDialog() {
  if (initialised_) return;
  CDlgMessage::InitDialog();
  promptResult.Clear();
  if (QLineEdit* entry = Entry()) {
    entry->setMaxLength(1023);
    SetMasked(masked_);
  }
}

QWidget* CDlgPrompt::InitialFocus() const { return Entry(); }

void CDlgPrompt::TakeEntry() {
  const QLineEdit* entry = Entry();
  // The locale's 8-bit encoding is UTF-8 on the systems we run on.
  const QByteArray bytes = entry ? entry->text().toUtf8() : QByteArray();
  const qsizetype n = CutUtf8(bytes, static_cast<qsizetype>(decltype(promptResult)::kMaxLength));
  promptResult.Assign(std::string_view(bytes.constData(), static_cast<std::size_t>(n)));
}

void CDlgPrompt::OnButton(int index) {
  if (index == 0) TakeEntry();
  CDlgMessage::OnButton(index);
}

void CDlgPrompt::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && qobject_cast<QPushButton*>(focusWidget()) == nullptr) {
    // Enter outside a button closes the prompt as its OK would.
    TakeEntry();
    answer_ = kAnswerOk;
    reject();
    return;
  }
  CDlgMessage::keyPressEvent(event);
}

void CDlgPrompt::ScheduleTestHook() {
  if (PromptHook hook = CurrentPromptHook()) {
    QTimer::singleShot(0, this, [this, hook] { hook(this); });
  } else {
    CDlgMessage::ScheduleTestHook();
  }
}

}  // namespace kelvane
