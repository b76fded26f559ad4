// The geometry of every screen built from the dialog templates, in the
// screenshot languages at scale 1 and 2: nothing cut, overlapping, elided or
// unreadable. Part of ui_template_test.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextDocument>
#include <QtMath>

#include <cstdlib>
#include <functional>
#include <memory>

#include "GuiTestSupport.h"
#include "advanced/CPshRouter.h"
#include "advanced/AdvancedMenuExtras.h"
#include "advanced/CPspAdvanced.h"
#include "advanced/CPspDIYBRSystem.h"
#include "advanced/CPspDIYLan.h"
#include "advanced/CPspDIYWLan.h"
#include "advanced/CPspDIYWan.h"
#include "app/CPshMain.h"
#include "language/LanguageTable.h"
#include "language/StringIds.h"
#include "state/SessionRecord.h"
#include "state/WizardState.h"
#include "support/EmulatedRouter.h"
#include "wizard/CDlgConnTest.h"
#include "wizard/CDlgHelp.h"
#include "wizard/CDlgIpInfo.h"
#include "wizard/CDlgMessage.h"
#include "wizard/CDlgPrompt.h"
#include "wizard/CDlgWifiCode.h"
#include "wizard/CImageButton.h"
#include "wizard/CPspEx.h"
#include "wizard/CStaticText.h"
#include "wizard/DialogTemplate.h"
#include "wizard/MessageBox.h"
#include "wizard/PageKit.h"
#include "wizard/ReadableColour.h"
#include "wizard/UiText.h"

namespace kelvane {
namespace {
// The pieces a composite widget draws for itself (a list's edit, a text box's
// viewport, a tab bar's buttons) are its own business.
bool IsInnerPart(const QWidget* w) {
  for (const QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget()) {
    if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractScrollArea*>(p) ||
        qobject_cast<const QTabBar*>(p) || qobject_cast<const QAbstractSpinBox*>(p)) {
      return true;
    }
  }
  return qobject_cast<const QTabBar*>(w) != nullptr;
}

// Widgets that only hold others: never drawn over, never measured.
bool IsHolder(const QWidget* w) {
  return qobject_cast<const CPspEx*>(w) || qobject_cast<const QStackedWidget*>(w) ||
         qobject_cast<const QTabWidget*>(w) || qstrcmp(w->metaObject()->className(), "QWidget") == 0;
}

// A group box, a frame or a backdrop picture (the welcome page's) may hold
// its siblings, not cut through them.
bool IsEnclosure(const QWidget* w) {
  auto* label = qobject_cast<const QLabel*>(w);
  return qobject_cast<const QGroupBox*>(w) || qstrcmp(w->metaObject()->className(), "QFrame") == 0 ||
         (label != nullptr && label->text().isEmpty() && !label->pixmap().isNull());
}

QString ShownText(const QWidget* w) {
  if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
  if (auto* box = qobject_cast<const QGroupBox*>(w)) return box->title();
  if (auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentText();
  return {};
}

QString Describe(const QWidget* w) {
  QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
  const QString text = ShownText(w).simplified();
  if (!text.isEmpty()) name += QStringLiteral(" \"%1\"").arg(text.left(40));
  return name;
}

// The text's own rectangle in a label (parent coordinates); the whole label
// for a picture.
QRect DrawnRect(const QWidget* w) {
  auto* label = qobject_cast<const QLabel*>(w);
  if (label == nullptr || label->text().isEmpty()) return w->geometry();
  QRect r;
  if (auto* st = qobject_cast<const CStaticText*>(label)) {
    r = QFontMetrics(st->DrawingFont()).boundingRect(st->contentsRect(), st->DrawFormat(), st->text());
  } else {
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0) | Qt::TextShowMnemonic;
    r = QFontMetrics(label->font()).boundingRect(label->contentsRect(), flags, label->text());
  }
  return r.intersected(label->rect()).translated(label->pos());
}

// What a text needs beyond what its control gives it; empty when it fits.
QString TextFault(const QWidget* w) {
  auto need = [](QSize needed, QSize given) {
    return needed.width() > given.width() || needed.height() > given.height()
               ? QStringLiteral("text needs %1x%2 but has %3x%4")
                     .arg(needed.width())
                     .arg(needed.height())
                     .arg(given.width())
                     .arg(given.height())
               : QString();
  };
  const QFontMetrics fm(w->font());
  if (auto* st = qobject_cast<const CStaticText*>(w)) {
    if (st->text().isEmpty()) return {};
    const QRect box = st->contentsRect();
    const QRect r = QFontMetrics(st->DrawingFont())
                        .boundingRect(QRect(box.x(), box.y(), box.width(), 100000), st->DrawFormat(), st->text());
    return need(r.size(), box.size());
  }
  if (auto* label = qobject_cast<const QLabel*>(w)) {
    if (label->text().isEmpty()) return {};
    const QRect box = label->contentsRect();
    if (label->textFormat() == Qt::RichText ||
        (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()))) {
      QTextDocument doc;
      doc.setDefaultFont(label->font());
      doc.setDocumentMargin(0);
      doc.setHtml(label->text());
      doc.setTextWidth(label->wordWrap() ? box.width() : -1);
      return need(QSize(qCeil(doc.idealWidth()), qCeil(doc.size().height())), box.size());
    }
    const int flags = (label->wordWrap() ? Qt::TextWordWrap : 0) | Qt::TextShowMnemonic;
    return need(fm.boundingRect(QRect(0, 0, box.width(), 100000), flags, label->text()).size(), box.size());
  }
  if (auto* image = qobject_cast<const CImageButton*>(w)) {
    if (image->text().isEmpty()) return {};
    QRect picture, textRect;
    image->ComputeLayout(picture, textRect);
    const QRect r = fm.boundingRect(QRect(0, 0, textRect.width(), 100000), Qt::TextWordWrap | Qt::TextShowMnemonic,
                                    image->text());
    return need(r.size(), textRect.size());
  }
  if (auto* push = qobject_cast<const QPushButton*>(w)) {
    if (push->text().isEmpty()) return {};
    const QSize text = fm.size(Qt::TextShowMnemonic, push->text());
    const int frame = 2 * push->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, push);
    const int margin = push->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, push);
    return need(QSize(text.width() + margin + frame, text.height() + frame), push->size());
  }
  if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) {
    auto* box = qobject_cast<const QAbstractButton*>(w);
    if (box->text().isEmpty()) return {};
    return need(QSize(box->sizeHint().width(), fm.size(Qt::TextShowMnemonic, box->text()).height()), box->size());
  }
  if (auto* combo = qobject_cast<const QComboBox*>(w)) {
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = combo->isEditable();
    opt.frame = combo->hasFrame();
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
    for (int i = 0; i < combo->count(); ++i) {
      const int width = fm.horizontalAdvance(combo->itemText(i));
      if (width > field.width() || fm.height() > field.height()) {
        return QStringLiteral("choice \"%1\" needs %2x%3 but has %4x%5")
            .arg(combo->itemText(i))
            .arg(width)
            .arg(fm.height())
            .arg(field.width())
            .arg(field.height());
      }
    }
    return {};
  }
  if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
    // What a read-only field shows (a masked key as its dots) must be whole.
    if (!edit->isReadOnly() || edit->displayText().isEmpty()) return {};
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    const QRect field = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit);
    // The edit keeps two pixels on each side of its text.
    return need(QSize(fm.horizontalAdvance(edit->displayText()) + 4, fm.height()), field.size());
  }
  if (auto* box = qobject_cast<const QGroupBox*>(w)) {
    if (box->title().isEmpty()) return {};
    return need(QSize(fm.horizontalAdvance(box->title()) + 16, fm.height()), box->size());
  }
  return {};
}

// Every fault of `window` as it is shown now: a control cut by one of its
// parents, two sibling controls drawn over each other, a text that does not
// fit its control, a field's label without its colon, a text that does not
// read on its ground, like buttons side by side in two text sizes.
QStringList LayoutFaults(QWidget* window) {
  QStringList faults;
  QList<QWidget*> shown;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->isWindow() || !w->isVisibleTo(window) || IsInnerPart(w)) continue;
    shown.append(w);
  }
  for (QWidget* w : shown) {
    const QString name = Describe(w);
    if (!IsHolder(w)) {
      QRect r = w->geometry();
      for (QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget()) {
        if (!p->rect().contains(r)) {
          faults << QStringLiteral("%1 at (%2,%3 %4x%5) leaves %6 (%7x%8)")
                        .arg(name)
                        .arg(r.x())
                        .arg(r.y())
                        .arg(r.width())
                        .arg(r.height())
                        .arg(Describe(p))
                        .arg(p->width())
                        .arg(p->height());
          break;
        }
        if (p == window) break;
        r.translate(p->pos());
      }
      const QString text = TextFault(w);
      if (!text.isEmpty()) faults << name + QStringLiteral(": ") + text;
    }
    if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy() != nullptr && !label->text().isEmpty()) {
      const QString t = label->text().trimmed();
      if (!t.endsWith(QLatin1Char(':')) && !t.endsWith(QChar(0xFF1A))) faults << name + QStringLiteral(": a field's label without its colon");
    }
    // A text reads on the ground it stands on: the window colour of the
    // nearest widget that paints one (a dark theme's light text on a page
    // that keeps a white ground would not).
    if (auto* label = qobject_cast<QLabel*>(w); label && label->isEnabled() && !label->text().isEmpty()) {
      const auto* st = qobject_cast<CStaticText*>(label);
      const QColor ink = st ? ReadableOnWindow(st->TextColor(), st->palette()) : label->palette().color(QPalette::WindowText);
      const QWidget* ground = label->parentWidget();
      while (ground != nullptr && !ground->autoFillBackground() && !ground->isWindow()) ground = ground->parentWidget();
      const QColor paper = (ground != nullptr ? ground : label)->palette().color(QPalette::Window);
      if (ContrastRatio(ink, paper) < kMinTextContrast) {
        faults << QStringLiteral("%1: text %2 on %3 does not read").arg(name, ink.name(), paper.name());
      }
    }
  }
  for (int i = 0; i < shown.size(); ++i) {
    QWidget* a = shown[i];
    if (IsHolder(a)) continue;
    for (int j = i + 1; j < shown.size(); ++j) {
      QWidget* b = shown[j];
      if (b->parentWidget() != a->parentWidget() || IsHolder(b)) continue;
      const QRect ra = DrawnRect(a);
      const QRect rb = DrawnRect(b);
      if (!ra.intersects(rb)) continue;
      if ((IsEnclosure(a) && a->geometry().contains(b->geometry())) ||
          (IsEnclosure(b) && b->geometry().contains(a->geometry()))) {
        continue;
      }
      faults << QStringLiteral("%1 and %2 overlap").arg(Describe(a), Describe(b));
    }
  }
  // A row of like buttons reads as one set: one text size.
  for (int i = 0; i < shown.size(); ++i) {
    auto* a = qobject_cast<QAbstractButton*>(shown[i]);
    if (a == nullptr || a->text().isEmpty()) continue;
    for (int j = i + 1; j < shown.size(); ++j) {
      auto* b = qobject_cast<QAbstractButton*>(shown[j]);
      if (b == nullptr || b->text().isEmpty() || b->parentWidget() != a->parentWidget() ||
          qstrcmp(a->metaObject()->className(), b->metaObject()->className()) != 0) {
        continue;
      }
      const int sa = QFontInfo(a->font()).pixelSize();
      const int sb = QFontInfo(b->font()).pixelSize();
      if (sa != sb) faults << QStringLiteral("%1 (%2 px) and %3 (%4 px) mix text sizes").arg(Describe(a)).arg(sa).arg(Describe(b)).arg(sb);
      // Side by side and of one height: one row, not a step of a few pixels.
      const QRect ga = a->geometry();
      const QRect gb = b->geometry();
      const int step = std::abs(ga.top() - gb.top());
      if (ga.height() == gb.height() && step > 0 && step < ga.height() / 2 && !ga.intersects(gb)) {
        faults << QStringLiteral("%1 and %2 stand %3 px apart on one row").arg(Describe(a), Describe(b)).arg(step);
      }
    }
  }
  // Push buttons stacked in one column (one right under the other, their
  // right edges together) are one width: the lower never sticks out.
  for (QWidget* upper : shown) {
    if (qobject_cast<QPushButton*>(upper) == nullptr) continue;
    for (QWidget* lower : shown) {
      if (lower == upper || qobject_cast<QPushButton*>(lower) == nullptr || lower->parentWidget() != upper->parentWidget()) {
        continue;
      }
      const QRect u = upper->geometry();
      const QRect l = lower->geometry();
      const int gap = l.top() - u.bottom();
      if (gap > 0 && gap <= 12 && l.right() == u.right() && l.left() != u.left()) {
        faults << QStringLiteral("%1 (%2 px wide) under %3 (%4 px) sticks out of its column")
                      .arg(Describe(lower))
                      .arg(l.width())
                      .arg(Describe(upper))
                      .arg(u.width());
      }
    }
  }
  return faults;
}

// One screen of the table: opens what it shows and checks it (through
// `check`, once per state worth looking at).
using Check = std::function<void(QWidget* window, const QString& state)>;
struct Screen {
  const char* name;
  std::function<void(const Check&)> show;
};

void AnswerAway(CDlgMessage* box) { box->reject(); }
void AnswerAwayPrompt(CDlgPrompt* prompt) { prompt->reject(); }

// The main sheet on each page of the easy mode and on the advanced menu.
std::vector<Screen> MainSheetScreens() {
  std::vector<Screen> screens;
  struct Page {
    const char* name;
    int templateId;
  };
  static const Page pages[] = {
      {"welcome", 8001},      {"setup type", 8002},  {"connectivity", 4006}, {"wireless", 4015},
      {"detect", 4007},       {"select", 4008},      {"dynamic", 4009},      {"static", 4010},
      {"pppoe", 4011},        {"pptp", 4012},        {"l2tp", 4014},         {"bigpond", 4046},
      {"telia", 4047},        {"store", 4016},       {"wan test", 4017},     {"finish", 8007},
      {"advanced menu", CPspAdvanced::kTemplateId},
  };
  for (const Page& page : pages) {
    screens.push_back({page.name, [id = page.templateId](const Check& check) {
                         if (id == 8007) {
                           // The finish page at its fullest: the note on the provider's
                           // translated address under the verdict, the wireless part skipped.
                           SessionRecord::Instance().wanAddress = "100.64.12.34";
                           WizardState::Instance().wanTestSkipped = false;
                           WizardState::Instance().configureWireless = 0;
                         }
                         QString why;
                         std::unique_ptr<CPshMain> sheet = test::ShowSheet(WizardState::Instance().languageId, &why);
                         ASSERT_NE(sheet, nullptr) << why.toStdString();
                         CPspEx* p = sheet->FindPageByTemplate(id);
                         ASSERT_NE(p, nullptr) << id;
                         sheet->SetActivePage(p);
                         if (auto* menu = qobject_cast<CPspAdvanced*>(p)) {
                           ASSERT_TRUE(QTest::qWaitFor([&] { return menu->CheckCount() > 0 && !menu->IsBusy(); }, 30000));
                         }
                         test::Spin(20);
                         check(sheet.get(), QString());
                         if (id == 8007) {
                           // The finish page with the code for phones beside a key.
                           WirelessSettings& w = WizardState::Instance().WirelessSettings;
                           w.securityMode = kSecurityWpa2Psk;
                           w.key = "correct horse battery";
                           WizardState::Instance().configureWireless = 1;
                           sheet->SetActivePage(sheet->FindPageByTemplate(8002));
                           sheet->SetActivePage(p);
                           test::Spin(20);
                           check(sheet.get(), QStringLiteral("key"));
                           ResetRouterDefaults(WizardState::Instance());
                           SessionRecord::Instance().wanAddress.clear();
                         }
                       }});
  }
  return screens;
}

test::EmulatedRouter* gRouter = nullptr;

template <class Tab>
Screen RouterTab(const char* name) {
  return {name, [](const Check& check) {
            // What the easy pages left in the state (the last WAN page's
            // type) is not what the router runs.
            ResetRouterDefaults(WizardState::Instance());
            WizardState::Instance().wirelessPresent = true;
            gRouter->Found(WizardState::Instance());
            // A router on dynamic IP, its form too (the WAN tab's choices
            // leave it elsewhere): the WAN tab shows the MAC row in that type.
            gRouter->Sim().WithState([](routersim::RouterSimState& s) {
              s.wanType = "0100";
              s.formType = "0100";
            });
            CPshRouter sheet;
            sheet.show();
            Tab* tab = sheet.PageOf<Tab>();
            ASSERT_NE(tab, nullptr);
            sheet.SetActivePage(tab);
            ASSERT_TRUE(tab->WaitFirstRead(30000));
            // What every tab's result line may say, each whole beside the
            // tab's buttons (a failure with no room there is said in a box).
            const auto checkResults = [&](const QString& state) {
              check(&sheet, state);
              for (StringId text : {kIdRouterNotBackAfterRestart, kIdRouterDidNotAnswer, kIdRouterReportedError,
                                    kIdRouterRefusedLogin, kIdRouterPageNotUnderstood, kIdStoreRestartFailed,
                                    kIdStoreSavingFailed, kIdPcNetworkNotWorking, kIdNoRouterFound}) {
                tab->ShowResultText(text, QColor(255, 0, 0));
                check(&sheet, state + QStringLiteral(" result %1").arg(text));
              }
              tab->ClearResult();
            };
            if constexpr (std::is_same_v<Tab, CPspDIYWan>) {
              // Each WAN type lays its rows out anew.
              auto* types = tab->template ControlAs<QComboBox>(CPspDIYWan::kTypeList);
              for (int i = 0; i < types->count(); ++i) {
                types->setCurrentIndex(i);
                test::Spin(10);
                checkResults(QStringLiteral("type %1").arg(i + 1));
              }
            } else {
              checkResults(QString());
            }
          }};
}

std::vector<Screen> DialogScreens() {
  return {
      {"message box",
       [](const Check& check) {
         static const Check* current;
         current = &check;
         SetMessageBoxHook([](CDlgMessage* box) {
           (*current)(box, QString());
           box->reject();
         });
         ShowMessageEx(UiText(kIdCancelPromptCaption), UiText(kIdCancelPromptQuestion), 0x43, UiText(kIdYesButton),
                       UiText(kIdNoButton), UiText(kIdCancelButton));
         SetMessageBoxHook(&AnswerAway);
       }},
      {"login prompt",
       [](const Check& check) {
         static const Check* current;
         current = &check;
         SetPromptHook([](CDlgPrompt* prompt) {
           (*current)(prompt, QString());
           prompt->reject();
         });
         CDlgPrompt prompt(UiText(kIdLoginPromptCaption), UiText(kIdLoginPromptMessage), 0x41, UiText(kIdHelpWindowOk),
                           UiText(kIdCancelButton), "");
         prompt.SetMasked(true);
         prompt.DoModal();
         SetPromptHook(&AnswerAwayPrompt);
       }},
      {"help",
       [](const Check& check) {
         CDlgHelp help;
         help.SetTitle(UiText(kIdHelpWindowTitle) + QStringLiteral(" - ") + UiText(kIdHelpTitleWanTest));
         help.SetBody(UiText(kIdHelpTextWanTest));
         help.ShowHelp();
         test::Spin(20);
         check(&help, QString());
       }},
      {"pc status",
       [](const Check& check) {
         CDlgIpInfo dialog;
         dialog.show();
         ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.FillCount() > 0 && !dialog.IsBusy(); }, 30000));
         check(&dialog, QString());
       }},
      {"internet status",
       [](const Check& check) {
         CDlgConnTest dialog;
         dialog.show();
         ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.TestCount() > 0 && !dialog.IsBusy(); }, 60000));
         check(&dialog, QString());
       }},
      {"code for phones",
       [](const Check& check) {
         CDlgWifiCode dialog("Caf\xc3\xa9 5G", 2, "correct horse battery");
         dialog.show();
         test::Spin(20);
         check(&dialog, QString());
       }},
  };
}

// No control cut by its parent, none drawn over another, every text whole
// and every field's label with its colon: each page, the advanced menu, each
// tab of the router sheet (the WAN tab in every type) and the dialogs, in the
// five screenshot languages, at scale 1 in this process and at scale 2 in a
// child (Qt takes its scale factor only at start), light and dark.
// "Save report…" under Refresh on the advanced menu in all fourteen
// languages, not only the screenshot ones: one column, clear of the Internet
// line at its longest (the note on the provider's translated address).
TEST(Geometry, SaveReportKeepsRefreshsColumnInEveryLanguage) {
  DialogTemplate tpl;
  ASSERT_TRUE(LoadDialogTemplate(CPspAdvanced::kTemplateId, tpl));
  for (int row = 0; row < kLanguageCount; ++row) {
    const std::uint32_t language = LanguageTable()[static_cast<std::size_t>(row)];
    SCOPED_TRACE(test::LanguageName(language).toStdString());
    QString why;
    test::UnloadLanguage();
    ASSERT_TRUE(test::LoadLanguage(language, &why)) << why.toStdString();
    QWidget page;
    BuildTemplateControls(&page, tpl);
    auto* refresh = qobject_cast<QPushButton*>(FindControl(&page, CPspAdvanced::kRefresh));
    ASSERT_NE(refresh, nullptr);
    if (const auto greek = MakeGreekFont(refresh->font())) refresh->setFont(*greek);
    SetButtonText(refresh, UiText(kIdRefreshState));
    PlaceSaveReportButton(&page, refresh);
    page.show();
    auto* save = page.findChild<QPushButton*>(QStringLiteral("saveReport"));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->geometry().left(), refresh->geometry().left()) << save->text().toStdString();
    auto* summary = qobject_cast<CStaticText*>(FindControl(&page, CPspAdvanced::kSummary));
    ASSERT_NE(summary, nullptr);
    SessionRecord::Instance().wanAddress = "100.64.12.34";
    ShowInternetLine(summary, UiText(kIdPictureCaptionInternet), true);
    SessionRecord::Instance().wanAddress.clear();
    const QStringList faults = LayoutFaults(&page);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QStringLiteral("\n  ")).toStdString();
  }
  test::UnloadLanguage();
}

TEST(Geometry, EveryScreenFitsInTheScreenshotLanguagesAtScaleOneAndTwo) {
  const QString scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qEnvironmentVariable("QT_SCALE_FACTOR")
                                                                      : QStringLiteral("1");
  ResetRouterDefaults(WizardState::Instance());
  WizardState::Instance().wirelessPresent = true;
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  router.Found(WizardState::Instance());
  gRouter = &router;
  SetMessageBoxHook(&AnswerAway);
  SetPromptHook(&AnswerAwayPrompt);

  std::vector<Screen> screens = MainSheetScreens();
  screens.push_back(RouterTab<CPspDIYLan>("router lan"));
  screens.push_back(RouterTab<CPspDIYWLan>("router wireless"));
  screens.push_back(RouterTab<CPspDIYWan>("router wan"));
  screens.push_back(RouterTab<CPspDIYBRSystem>("router system"));
  for (Screen& dialog : DialogScreens()) screens.push_back(std::move(dialog));

  int checked = 0;
  for (std::uint32_t language : test::kScreenshotLanguages) {
    QString why;
    test::UnloadLanguage();
    ASSERT_TRUE(test::LoadLanguage(language, &why)) << why.toStdString();
    for (const Screen& screen : screens) {
      screen.show([&](QWidget* window, const QString& state) {
        ++checked;
        QString shot = QStringLiteral("screen-%1%2-%3-x%4")
                           .arg(QString::fromLatin1(screen.name).replace(QLatin1Char(' '), QLatin1Char('-')),
                                state.isEmpty() ? QString() : QStringLiteral("-") + state, test::LanguageName(language), scale);
        test::SaveScreenshot(window, shot.replace(QLatin1Char(' '), QLatin1Char('-')));
        const QStringList faults = LayoutFaults(window);
        EXPECT_TRUE(faults.isEmpty()) << QStringLiteral("%1%2, %3, scale %4:\n  ")
                                             .arg(QLatin1String(screen.name),
                                                  state.isEmpty() ? QString() : QStringLiteral(" (") + state + ")",
                                                  test::LanguageName(language), scale)
                                             .toStdString()
                                      << faults.join(QStringLiteral("\n  ")).toStdString();
      });
    }
  }
  test::UnloadLanguage();
  SetMessageBoxHook(nullptr);
  SetPromptHook(nullptr);
  gRouter = nullptr;
  // 33 screens and states, and nine result texts on each of the nine tab states.
  EXPECT_EQ(checked, 5 * (33 + 9 * 9)) << "each screen of the table checked in each language";

  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) return;
  // Scale 2 on the light and on the dark theme.
  for (const char* palette : {"light", "dark"}) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    env.insert(QStringLiteral("KELVANE_TEST_PALETTE"), QString::fromLatin1(palette));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=Geometry.EveryScreenFitsInTheScreenshotLanguagesAtScaleOneAndTwo")});
    ASSERT_TRUE(child.waitForFinished(500000)) << palette;
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << palette;
    EXPECT_EQ(child.exitCode(), 0) << "at scale 2, " << palette << ":\n" << output.toStdString();
  }
}

}  // namespace
}  // namespace kelvane
