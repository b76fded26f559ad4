// A driver that walks the easy mode from the welcome page to Finish in a
// running wizard, as a person would: it waits until a page is idle, fills
// what the plan says, presses the page's button or Next, answers message
// boxes with their first button and the login prompt with the plan's word,
// and saves a picture of every page and of every state a step shows. It
// touches nothing but the widgets, so the pages run exactly as for a person.
//
// Used by the end-to-end walk (startup_easy_walk_test, started by the namespace test
// and by scripts/demo.sh --walk) and by the page benchmarks. Header only.
//
//   EasyWalker walker(plan);
//   KelvaneApp app;
//   app.SetSheetHook([&](CPshMain& sheet) { walker.Attach(&sheet); });
//   app.Run();
//   walker.Result()   // pages seen, the verdict text, what Finish opened
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "steps/kit/WanForms.h"
#include "state/WizardState.h"
#include "wizard/CDlgPrompt.h"
#include "app/CPshMain.h"
#include "wizard/CPspEx.h"
#include "wizard/MessageBox.h"
#include "wizard/OpenUrl.h"

namespace kelvane::test {

struct WalkPlan {
  // Wireless page: skip it, or the network to set (security list index: 0
  // none, 1 WEP, 2 WPA-PSK, 3 WPA2-PSK, 4 both).
  bool skipWireless = false;
  QString ssid = QStringLiteral("KelvaneHome");
  int securityIndex = 3;
  QString key = QStringLiteral("kelvane pass phrase");
  // WAN settings pages: the texts of the form's fields in form order, by WAN
  // type (a type not listed keeps what the page shows).
  std::map<std::int32_t, std::vector<QString>> wanFields;
  // WAN detection page: 0 takes the router's proposal; a WAN type (1-7) ticks
  // "let me choose" and picks that type on the selection page.
  std::int32_t chooseWanType = 0;
  // The login word typed when the router refuses the stored one.
  QString loginWord;
  // Store page: tick "do not test now".
  bool skipWanTest = false;
  // Finish page: leave "open the router's pages" ticked.
  bool openRouter = true;
  // Where pictures go (empty: none); a name prefix for them.
  QString screenshotDir;
  QString screenshotPrefix = QStringLiteral("walk");
  // Give up after this long (real milliseconds) or this many presses on one page.
  int timeoutMs = 300000;
  int maxPressesPerPage = 8;
  // Real milliseconds a page must stay idle before the walker acts, and
  // between two pictures of a running step.
  int settleMs = 250;
  int busyShotGapMs = 300;
};

struct WalkResult {
  bool finished = false;            // Finish was pressed on the finish page
  QString failure;                  // why the walk stopped early
  std::vector<std::uint32_t> pages; // page codes in the order they became active
  QString finishText;               // the finish page's verdict
  std::vector<QString> opened;      // what Finish opened
  std::vector<QString> messages;    // message boxes seen (their text)
  int prompts = 0;                  // login prompts answered
  int logins = 0;                   // login words typed into a page's own login box
  std::vector<QString> shots;       // pictures saved
  qint64 elapsedMs = 0;
  qint64 actingMs = 0;              // time spent inside presses (the pages' steps)
};

class EasyWalker {
 public:
  explicit EasyWalker(WalkPlan plan) : plan_(std::move(plan)) {
    Self() = this;
    SetMessageBoxHook(&EasyWalker::OnMessageBox);
    SetPromptHook(&EasyWalker::OnPrompt);
    SetOpenUrlHook([this](const QString& url) {
      result_.opened.push_back(url);
      return true;
    });
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    // A timer is not delivered again while its own slot runs, and a press of
    // Next runs the whole step inside the slot: a second timer watches the
    // step's states meanwhile.
    QObject::connect(&watch_, &QTimer::timeout, [this] { Watch(); });
  }
  ~EasyWalker() {
    SetMessageBoxHook(nullptr);
    SetPromptHook(nullptr);
    SetOpenUrlHook(nullptr);
    Self() = nullptr;
  }
  EasyWalker(const EasyWalker&) = delete;
  EasyWalker& operator=(const EasyWalker&) = delete;

  // Starts walking `sheet` (call it from KelvaneApp's sheet hook or after
  // showing a sheet yourself).
  void Attach(CPshMain* sheet) {
    sheet_ = sheet;
    clock_.start();
    timer_.start(20);
    watch_.start(40);
  }
  const WalkResult& Result() {
    result_.elapsedMs = clock_.isValid() ? clock_.elapsed() : 0;
    return result_;
  }

 private:
  static EasyWalker*& Self() {
    static EasyWalker* self = nullptr;
    return self;
  }
  static void OnMessageBox(CDlgMessage* box) {
    if (EasyWalker* w = Self()) {
      auto* text = qobject_cast<QLabel*>(box->Control(805));
      w->result_.messages.push_back(text != nullptr ? text->text() : QString());
      w->Shot(QStringLiteral("message"));
    }
    if (auto* first = qobject_cast<QPushButton*>(box->Control(802))) first->click();
  }
  static void OnPrompt(CDlgPrompt* prompt) {
    EasyWalker* w = Self();
    if (w == nullptr) {
      prompt->reject();
      return;
    }
    ++w->result_.prompts;
    prompt->Entry()->setText(w->plan_.loginWord);
    w->Shot(QStringLiteral("prompt"));
    if (auto* ok = qobject_cast<QPushButton*>(prompt->Control(914))) ok->click();
  }

  void Stop(const QString& why) {
    timer_.stop();
    watch_.stop();
    if (result_.failure.isEmpty() && !result_.finished) result_.failure = why;
    if (!sheet_.isNull()) sheet_->EndSheet(0);
  }

  void Shot(const QString& state) {
    if (plan_.screenshotDir.isEmpty() || sheet_.isNull()) return;
    QWidget* target = QApplication::activeModalWidget() != nullptr ? QApplication::activeModalWidget()
                                                                   : static_cast<QWidget*>(sheet_.data());
    QDir().mkpath(plan_.screenshotDir);
    const QString name = QStringLiteral("%1-%2-page%3-%4.png")
                             .arg(plan_.screenshotPrefix)
                             .arg(++shotNumber_, 3, 10, QLatin1Char('0'))
                             .arg(WizardState::Instance().currentPageCode)
                             .arg(state);
    if (target->grab().save(QDir(plan_.screenshotDir).filePath(name))) result_.shots.push_back(name);
  }

  // What the page's widgets say, to notice a new state while a step runs.
  static QString Face(CPspEx* page) {
    QString face;
    for (QLabel* label : page->findChildren<QLabel*>()) {
      if (label->isVisible()) face += label->text();
    }
    return face;
  }

  void Tick() {
    if (sheet_.isNull()) {
      timer_.stop();
      return;
    }
    if (clock_.elapsed() > plan_.timeoutMs) {
      Stop(QStringLiteral("time-out on page %1").arg(WizardState::Instance().currentPageCode));
      return;
    }
    CPspEx* page = sheet_->ActivePage();
    if (page == nullptr) return;
    const std::uint32_t code = WizardState::Instance().currentPageCode;
    if (page != lastPage_) {
      lastPage_ = page;
      result_.pages.push_back(code);
      presses_ = 0;
      idleSince_ = clock_.elapsed();
      lastFace_.clear();
      busyShots_ = 0;
    }
    if (page->IsBusy() || acting_) {
      idleSince_ = clock_.elapsed();
      return;
    }
    if (QApplication::activeModalWidget() != nullptr && QApplication::activeModalWidget() != sheet_) return;
    if (clock_.elapsed() - idleSince_ < plan_.settleMs) return;
    if (presses_ >= plan_.maxPressesPerPage) {
      Stop(QStringLiteral("stuck on page %1").arg(code));
      return;
    }
    acting_ = true;
    Shot(presses_ == 0 ? QStringLiteral("shown") : QStringLiteral("after"));
    ++presses_;
    const qint64 pressed = clock_.elapsed();
    Act(page, code);
    result_.actingMs += clock_.elapsed() - pressed;
    acting_ = false;
    idleSince_ = clock_.elapsed();
  }

  // While a step runs (its waits deliver this timer): a picture of every new
  // state it shows, a few tenths of a second apart.
  void Watch() {
    if (sheet_.isNull()) return;
    CPspEx* page = sheet_->ActivePage();
    if (page == nullptr || page != lastPage_ || !page->IsBusy()) return;
    const QString face = Face(page);
    if (face != lastFace_ && busyShots_ < 12 && clock_.elapsed() - lastBusyShot_ >= plan_.busyShotGapMs) {
      lastFace_ = face;
      lastBusyShot_ = clock_.elapsed();
      ++busyShots_;
      Shot(QStringLiteral("working"));
    }
  }

  void Click(int buttonId) {
    if (QPushButton* b = sheet_->Button(buttonId)) b->click();
  }
  static void SetText(CPspEx* page, int id, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(page->Control(id))) edit->setText(text);
  }

  void Act(CPspEx* page, std::uint32_t code) {
    switch (code) {
      case 10:  // setup type: the easy-setup button
        if (auto* easy = qobject_cast<QAbstractButton*>(page->Control(2100))) easy->click();
        return;
      case 20: {  // connectivity: a login word asked on the page itself
        auto* login = qobject_cast<QLineEdit*>(page->Control(6050));
        if (login != nullptr && login->isVisible() && !plan_.loginWord.isEmpty()) {
          login->setText(plan_.loginWord);
          ++result_.logins;
          if (auto* submit = qobject_cast<QPushButton*>(page->Control(6051)); submit && submit->isVisible()) {
            submit->click();
            return;
          }
        }
        break;
      }
      case 21:  // wireless
        if (auto* skip = qobject_cast<QCheckBox*>(page->Control(6054))) skip->setChecked(plan_.skipWireless);
        if (!plan_.skipWireless) {
          SetText(page, 6034, plan_.ssid);
          if (auto* security = qobject_cast<QComboBox*>(page->Control(6037))) {
            security->setCurrentIndex(plan_.securityIndex);
          }
          SetText(page, 6035, plan_.key);
        }
        break;
      case 22:
        if (plan_.chooseWanType != 0) {
          if (auto* choose = qobject_cast<QCheckBox*>(page->Control(6055)); choose && choose->isVisible()) {
            choose->setChecked(true);
          }
        }
        break;
      case 23:  // the selection page: one button per type, 6010 (dynamic IP) to 6016 (Telia)
        if (auto* type = qobject_cast<QAbstractButton*>(page->Control(6009 + plan_.chooseWanType))) {
          type->click();
          return;
        }
        break;
      case 60: {
        if (auto* verdict = qobject_cast<QLabel*>(page->Control(2600))) result_.finishText = verdict->text();
        if (auto* box = qobject_cast<QCheckBox*>(page->Control(6001))) box->setChecked(plan_.openRouter);
        Shot(QStringLiteral("finish"));
        result_.finished = true;
        timer_.stop();
        watch_.stop();
        Click(CPshMain::kButtonFinish);
        return;
      }
      default:
        if (code >= 30 && code <= 36) FillWanForm(page, static_cast<std::int32_t>(code - 29));
        if (code == 40 && plan_.skipWanTest) {
          if (auto* box = qobject_cast<QCheckBox*>(page->Control(6053)); box && box->isVisible()) {
            box->setChecked(true);
          }
        }
        break;
    }
    Click(CPshMain::kButtonNext);
  }

  void FillWanForm(CPspEx* page, std::int32_t wanType) {
    const WanForm* form = WanFormFor(wanType);
    const auto texts = plan_.wanFields.find(wanType);
    if (form == nullptr || texts == plan_.wanFields.end()) return;
    for (std::size_t i = 0; i < form->fields.size() && i < texts->second.size(); ++i) {
      SetText(page, form->fields[i].editId, texts->second[i]);
    }
  }

  WalkPlan plan_;
  WalkResult result_;
  QPointer<CPshMain> sheet_;
  QTimer timer_;
  QTimer watch_;
  QElapsedTimer clock_;
  CPspEx* lastPage_ = nullptr;
  int presses_ = 0;
  qint64 idleSince_ = 0;
  qint64 lastBusyShot_ = -100000;
  int busyShots_ = 0;
  QString lastFace_;
  bool acting_ = false;
  int shotNumber_ = 0;
};

}  // namespace kelvane::test
