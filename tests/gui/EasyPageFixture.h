// What the easy-mode page tests share: a main sheet in a language, the
// emulated router in the test's process (the probes aimed at it, a simulated
// PC), activating a page by template, pressing the sheet's buttons, reading
// a control's text, and a record of the message boxes the sheet asked.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "GuiTestSupport.h"
#include "state/WizardState.h"
#include "support/EmulatedRouter.h"
#include "wizard/CDlgMessage.h"
#include "app/CPshMain.h"
#include "wizard/CPspEx.h"
#include "wizard/CStaticText.h"
#include "wizard/MessageBox.h"
#include "wizard/UiText.h"

namespace kelvane::test {

class EasyPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRouterDefaults(WizardState::Instance());
    WizardState::Instance().wirelessPresent = true;
    Boxes().clear();
    SetMessageBoxHook(&EasyPageTest::AnswerNo);
  }
  void TearDown() override {
    sheet_.reset();
    router_.reset();
    SetMessageBoxHook(nullptr);
    UnloadLanguage();
  }

  // Starts the emulator (options as the emulator takes them) and shows a
  // sheet in `language`; false when the language module is missing.
  bool Start(std::uint32_t language = kEnglish, routersim::RouterSimOptions options = {}) {
    sheet_.reset();
    router_.reset();  // the old one hands the PC back first
    router_ = std::make_unique<EmulatedRouter>(options);
    if (!router_->ok()) {
      why_ = QString::fromStdString(router_->why());
      return false;
    }
    sheet_ = ShowSheet(language, &why_);
    return sheet_ != nullptr;
  }
  // Makes the page of `templateId` the active one.
  CPspEx* Activate(int templateId) {
    CPspEx* page = sheet_->FindPageByTemplate(templateId);
    if (page != nullptr) sheet_->SetActivePage(page);
    return page;
  }
  CPspEx* Active() const { return sheet_->ActivePage(); }
  int ActiveTemplate() const { return Active() ? Active()->TemplateId() : 0; }
  QPushButton* Button(int id) const { return sheet_->Button(id); }
  void Next() { Button(CPshMain::kButtonNext)->click(); }
  void Back() { Button(CPshMain::kButtonBack)->click(); }

  QString Text(int id) const {
    QWidget* w = Active()->Control(id);
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* box = qobject_cast<QAbstractButton*>(w)) return box->text();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
    return {};
  }
  bool Visible(int id) const {
    QWidget* w = Active()->Control(id);
    return w != nullptr && w->isVisible();
  }
  bool Red(int labelId) const {
    auto* label = qobject_cast<CStaticText*>(Active()->Control(labelId));
    return label != nullptr && label->TextColor() == QColor(255, 0, 0);
  }
  // Visible and enabled state of Back, Next, Cancel, Finish and Help.
  std::vector<std::pair<bool, bool>> ButtonStates() const {
    std::vector<std::pair<bool, bool>> states;
    for (int id : {CPshMain::kButtonBack, CPshMain::kButtonNext, CPshMain::kButtonCancel, CPshMain::kButtonFinish,
                   CPshMain::kButtonHelp}) {
      states.emplace_back(Button(id)->isVisible(), Button(id)->isEnabled());
    }
    return states;
  }
  static std::vector<std::pair<bool, bool>> Standard() {
    return {{true, true}, {true, true}, {true, true}, {false, false}, {true, true}};
  }

  // While the page's next step runs (started by `start`), tries every way out
  // once it is busy: Cancel, Escape and the close box. Answers whether the
  // page was seen busy; `stayed` tells whether the sheet stayed open on the
  // same page through all three.
  bool TryToLeaveDuringStep(const std::function<void()>& start, bool& stayed) {
    bool sawBusy = false;
    stayed = true;
    CPspEx* page = Active();
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (sawBusy || page == nullptr || !page->IsBusy()) return;
      sawBusy = true;
      Button(CPshMain::kButtonCancel)->click();
      QTest::keyClick(sheet_.get(), Qt::Key_Escape);
      sheet_->close();
      stayed = sheet_->isVisible() && Active() == page && Boxes().empty();
    });
    poll.start();
    start();
    poll.stop();
    return sawBusy;
  }

  static std::vector<QString>& Boxes() {
    static std::vector<QString> boxes;
    return boxes;
  }
  // Message boxes (the cancel question) are answered No (the second button).
  static void AnswerNo(CDlgMessage* box) {
    auto* text = qobject_cast<QLabel*>(box->Control(805));
    Boxes().push_back(text ? text->text() : QString());
    if (auto* no = qobject_cast<QPushButton*>(box->Control(803))) {
      no->click();
    } else {
      box->reject();
    }
  }

  void Shot(const QString& name) { SaveScreenshot(sheet_.get(), name); }

  std::unique_ptr<EmulatedRouter> router_;
  std::unique_ptr<CPshMain> sheet_;
  QString why_;
};

}  // namespace kelvane::test
