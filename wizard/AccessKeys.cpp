#include "wizard/AccessKeys.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>

#include "wizard/PageKit.h"

namespace kelvane {

namespace {

void AddKeyOf(const QString& text, QSet<QChar>& used) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] == QLatin1Char('&')) {
      ++i;
      continue;
    }
    used.insert(text[i + 1].toLower());
    return;
  }
}

// A letter a keyboard of that language types with one key. A Greek keyboard
// types an accented vowel (Ά) with a dead key first, so those are left out.
bool Typeable(QChar c) {
  if (!c.isLetterOrNumber()) return false;
  const QChar::Script script = c.script();
  if (script == QChar::Script_Greek && c.decompositionTag() == QChar::Canonical) return false;
  return script == QChar::Script_Latin || script == QChar::Script_Greek || script == QChar::Script_Cyrillic ||
         c.unicode() < 128;
}

}  // namespace

QSet<QChar> UsedAccessKeys(const QWidget* root) {
  QSet<QChar> used;
  if (root == nullptr) return used;
  for (const QAbstractButton* button : root->findChildren<QAbstractButton*>()) AddKeyOf(button->text(), used);
  for (const QLabel* label : root->findChildren<QLabel*>()) {
    if (label->textFormat() != Qt::PlainText || label->buddy() != nullptr) AddKeyOf(label->text(), used);
  }
  for (const QTabBar* bar : root->findChildren<QTabBar*>()) {
    for (int i = 0; i < bar->count(); ++i) AddKeyOf(bar->tabText(i), used);
  }
  return used;
}

QString WithAccessKey(const QString& text, QSet<QChar>& used, QChar fallback) {
  // First a word's first letter, then any letter of the text.
  for (int pass = 0; pass < 2; ++pass) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      const QChar c = text[i];
      const bool wordStart = i == 0 || !text[i - 1].isLetterOrNumber();
      if (!Typeable(c) || (pass == 0 && !wordStart) || used.contains(c.toLower())) continue;
      used.insert(c.toLower());
      return text.left(i) + QLatin1Char('&') + text.mid(i);
    }
  }
  QChar key = fallback.toUpper();
  for (char letter = 'A'; used.contains(key.toLower()) && letter <= 'Z'; ++letter) key = QLatin1Char(letter);
  if (used.contains(key.toLower())) return text;  // every letter taken: no key rather than a clash
  used.insert(key.toLower());
  return text + QStringLiteral("(&") + key + QLatin1Char(')');
}

void AssignSheetAccessKeys(const std::vector<SheetButtonKey>& buttons, const QWidget* page) {
  QSet<QChar> used = UsedAccessKeys(page);
  for (const SheetButtonKey& b : buttons) {
    if (b.button == nullptr) continue;
    b.button->setProperty("fullText", WithAccessKey(b.text, used, b.fallback));
    WrapButtonText(b.button);
  }
}

}  // namespace kelvane
