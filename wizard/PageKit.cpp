#include "wizard/PageKit.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QPushButton>

#include <algorithm>
#include <climits>

#include "language/StringIds.h"
#include "state/WizardState.h"
#include "wizard/CDlgMessage.h"
#include "wizard/CDlgPrompt.h"
#include "wizard/CWaitStrip.h"
#include "wizard/MessageBox.h"
#include "wizard/SheetOps.h"
#include "wizard/UiText.h"

namespace kelvane {

BusyScope::BusyScope(CPspEx* page, const ButtonChrome& after) : page_(page), after_(after) {
  if (page_.isNull()) return;
  page_->busy_ = true;
  if (SheetOps* sheet = page_->Sheet()) sheet->EnterBusy(page_);
}

BusyScope::BusyScope(CPspEx* page, std::uint32_t waitTextId, const ButtonChrome& after) : BusyScope(page, after) {
  if (page_.isNull() || waitTextId == 0) return;
  window_ = page_->window();
  CWaitStrip::Begin(window_, waitTextId);
}

BusyScope::~BusyScope() {
  if (!window_.isNull()) CWaitStrip::End(window_);
  if (page_.isNull()) return;
  page_->busy_ = false;
  if (SheetOps* sheet = page_->Sheet()) {
    sheet->LeaveBusy(page_);
    page_->ApplyChrome(after_);
  }
}

bool IsGreekUi() { return WizardState::Instance().languageId == kLanguageGreek; }

std::unique_ptr<QFont> MakeGreekFont(const QFont& base) {
  if (!IsGreekUi()) return nullptr;
  auto font = std::make_unique<QFont>(base);
  font->setPixelSize(10);
  font->setWeight(QFont::Normal);
  return font;
}

namespace {

QString WithoutMnemonics(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&')) {
      if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
        out += QLatin1Char('&');
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

}  // namespace

void SetButtonText(QPushButton* button, const QString& text) {
  if (button == nullptr) return;
  button->setProperty("fullText", text);
  WrapButtonText(button);
}

void WrapButtonText(QPushButton* button) {
  if (button == nullptr) return;
  const QString text = button->property("fullText").toString();
  const QFontMetrics metrics(button->font());
  const int room = button->width() - 6;
  if (metrics.horizontalAdvance(WithoutMnemonics(text)) <= room || !text.contains(QLatin1Char(' '))) {
    button->setText(text);
    return;
  }
  QString best = text;
  int bestWidth = INT_MAX;
  for (qsizetype i = text.indexOf(QLatin1Char(' ')); i >= 0; i = text.indexOf(QLatin1Char(' '), i + 1)) {
    const QString first = text.left(i);
    const QString second = text.mid(i + 1);
    const int wide = std::max(metrics.horizontalAdvance(WithoutMnemonics(first)),
                              metrics.horizontalAdvance(WithoutMnemonics(second)));
    if (wide < bestWidth) {
      bestWidth = wide;
      best = first + QLatin1Char('\n') + second;
    }
  }
  button->setText(best);
}

void SetCheckBoxText(QCheckBox* box, const QString& text) {
  if (box == nullptr) return;
  box->setProperty("fullText", text);
  box->setAccessibleName(WithoutMnemonics(text));
  WrapCheckBoxText(box);
}

void WrapCheckBoxText(QCheckBox* box) {
  if (box == nullptr) return;
  const QString text = box->property("fullText").toString();
  box->setText(text);
  const QFontMetrics metrics(box->font());
  // What the box itself takes beside its text: the indicator and the gap.
  const int room = box->width() - (box->sizeHint().width() - metrics.horizontalAdvance(WithoutMnemonics(text)));
  QStringList lines;
  QString line;
  for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(WithoutMnemonics(longer)) > room) {
      lines << line;
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.isEmpty()) lines << line;
  box->setText(lines.join(QLatin1Char('\n')));
}

void FitButtonToText(QPushButton* button) {
  if (button == nullptr) return;
  const QFontMetrics metrics(button->font());
  int widest = 0;
  for (const QString& line : button->text().split(QLatin1Char('\n'))) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  const int needed = widest + 2 * metrics.averageCharWidth() + 4;
  if (button->width() < needed) button->resize(needed, button->height());
}

bool PromptLoginWord(bool widenForDutch, std::string& word, QWidget* parent) {
  const std::uint32_t language = WizardState::Instance().languageId;
  CDlgPrompt prompt(UiText(kIdLoginPromptCaption), UiText(kIdLoginPromptMessage), kMbIconInformation | kMbOkCancel,
                    UiText(kIdHelpWindowOk), UiText(kIdCancelButton), QString(), parent);
  prompt.SetMasked(true);
  if (language == kLanguageGreek || (widenForDutch && language == kLanguageDutch)) prompt.AdjustFirstButton(-15, 15);
  if (prompt.DoModal() != kAnswerOk) return false;
  word = promptResult.str();
  return true;
}

}  // namespace kelvane
