// The main sheet's test fixture: a sheet in a given language, a stand-in page
// for a later stage and a watcher that answers the next message box. Shared by
// sheet_main_test's parts.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <cstdint>
#include <memory>

#include "GuiTestSupport.h"
#include "app/CPshMain.h"
#include "state/WizardState.h"
#include "wizard/CDlgMessage.h"
#include "wizard/CPspEx.h"
#include "wizard/SheetOps.h"

namespace kelvane::test {

using namespace test;

// Answers the next message box: clicks button `button` (0-2), or presses
// Escape when it is -1, or closes the box's window when it is -2. Records what the box showed.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(int button) : button_(button) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<CDlgMessage*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible()) return;
      ++shown;
      caption = box->windowTitle();
      if (auto* text = qobject_cast<QLabel*>(box->Control(805))) message = text->text();
      for (int i = 0; i < 3; ++i) {
        auto* b = qobject_cast<QPushButton*>(box->Control(802 + i));
        buttons[i] = b != nullptr && b->isVisibleTo(box) ? b->text() : QString();
      }
      iconId = box->Style().iconId;
      if (button_ == -2) {
        box->close();
      } else if (button_ < 0) {
        QTest::keyClick(box, Qt::Key_Escape);
      } else if (auto* b = qobject_cast<QPushButton*>(box->Control(802 + button_))) {
        b->click();
      }
    });
    timer_.start();
  }
  int shown = 0;
  QString caption, message;
  QString buttons[3];
  int iconId = 0;

 private:
  int button_;
  QTimer timer_;
};

// A page of a later stage, standing in for the real one: it says which
// buttons it shows and how it answers Next, Back, Cancel and Finish.
class StandInPage : public CPspEx {
 public:
  explicit StandInPage(int templateId = 0) : CPspEx(templateId) {}
  bool OnSetActive() override {
    SheetOps* sheet = FindSheet();
    sheet->HideHelpWindow();
    sheet->EnableWizardButtons(true, true, !busy, finishPage);
    sheet->ShowWizardButtons(!finishPage, !finishPage, !finishPage, finishPage);
    sheet->ShowAndEnableHelpButton(true, true);
    WizardState::Instance().currentPageCode = pageCode;
    return CPspEx::OnSetActive();
  }
  bool OnQueryCancel() override {
    ++cancelQueries;
    if (finishPage) return true;
    if (busy) return false;
    return Sheet()->ConfirmCancel();
  }
  int OnWizardNext() override { return nextAnswer; }
  int OnWizardBack() override { return backAnswer; }
  bool OnWizardFinish() override {
    ++finishCalls;
    return allowFinish;
  }
  std::uint32_t pageCode = 50;
  bool busy = false;
  bool finishPage = false;
  bool allowFinish = true;
  int nextAnswer = 0;
  int backAnswer = 0;
  int cancelQueries = 0;
  int finishCalls = 0;
};

// The text as the user reads it: one line, without the access key's mark
// (nor the "(&N)" added to a text without a typeable letter).
inline QString Plain(const QPushButton* button) {
  QString text = button->text().replace(QLatin1Char('\n'), QLatin1Char(' '));
  text.remove(QRegularExpression(QStringLiteral("\\(&.\\)$")));
  return text.remove(QLatin1Char('&'));
}

class SheetTest : public ::testing::Test {
 protected:
  bool Build(std::uint32_t languageId) {
    sheet_.reset();
    WizardState::Instance().osVersionCode = 0;
    sheet_ = test::ShowSheet(languageId, &why_);
    return sheet_ != nullptr;
  }
  void TearDown() override {
    sheet_.reset();
    test::UnloadLanguage();
  }
  QPushButton* Button(int id) const { return sheet_->Button(id); }

  std::unique_ptr<CPshMain> sheet_;
  QString why_;
};


}  // namespace kelvane::test
