// The whole flow table of the main sheet, with every page in place: the page
// code each page writes (and so its help pair), and where Back leads, with and
// without a wireless part. Each page's own tests drive its Next; this one
// checks that the pages built apart fit together.
#include <gtest/gtest.h>

#include <QPushButton>

#include <memory>

#include "GuiTestSupport.h"
#include "net/Wait.h"
#include "wizard/PumpWait.h"
#include "state/WizardState.h"
#include "app/CPshMain.h"
#include "wizard/CPspEx.h"

namespace kelvane {
namespace {

using namespace test;

// Waits (pumping events) until the page runs no step, 20 s at most.
bool WaitUntilIdle(CPspEx* page) {
  return WaitUntil(20000, [page] {
    PumpWait(0);
    return !page->IsBusy();
  });
}

struct Row {
  int templateId;
  std::uint32_t pageCode;
  std::uint32_t helpTitle, helpText;  // 0: no help
  int backTarget;                     // template Back leads to; 0: Back is not offered
};

// The flow table and the help pairs, page by page. Back from the WAN detection
// page is told apart by the wireless part below.
const Row kRows[] = {
    {8002, 10, 0, 0, 8001},       {4021, 11, 30526, 30486, 8002}, {4006, 20, 30527, 30487, 8002},
    {4015, 21, 30528, 30488, 4006}, {4007, 22, 30529, 30489, 4015}, {4008, 23, 30530, 30490, 4007},
    {4009, 30, 30579, 30642, 4008}, {4010, 31, 30531, 30491, 4008}, {4011, 32, 30532, 30492, 4008},
    {4012, 33, 30533, 30493, 4008}, {4014, 34, 30534, 30494, 4008}, {4046, 35, 30578, 30492, 4008},
    {4047, 36, 30662, 30663, 4008}, {4016, 40, 30535, 30495, 4008}, {4017, 50, 30536, 30496, 4007},
    {8007, 60, 30537, 30497, 0},
};

TEST(SheetFlow, EveryPageWritesItsCodeAndBackLeadsWhereTheFlowSays) {
  for (bool wireless : {true, false}) {
    WizardState::Instance().wirelessPresent = wireless;
    QString why;
    std::unique_ptr<CPshMain> sheet = ShowSheet(kEnglish, &why);
    if (!sheet) GTEST_SKIP() << why.toStdString();
    EXPECT_EQ(sheet->FindPageByTemplate(4015) != nullptr, wireless);
    EXPECT_EQ(sheet->PageCount(), wireless ? 17 : 16);
    for (const Row& row : kRows) {
      CPspEx* page = sheet->FindPageByTemplate(row.templateId);
      if (row.templateId == 4015 && !wireless) continue;
      ASSERT_NE(page, nullptr) << row.templateId;
      ASSERT_TRUE(sheet->SetActivePage(page)) << row.templateId;
      EXPECT_EQ(WizardState::Instance().currentPageCode, row.pageCode) << row.templateId;
      std::uint32_t title = 0, text = 0;
      CPshMain::HelpTopic(row.pageCode, title, text);
      EXPECT_EQ(title, row.helpTitle) << row.pageCode;
      EXPECT_EQ(text, row.helpText) << row.pageCode;
      // Help is shown on every page that has help text of its own.
      const bool helpShown = sheet->Button(CPshMain::kButtonHelp)->isVisible();
      EXPECT_EQ(helpShown, row.pageCode != 10 && row.pageCode != 60) << row.pageCode;

      QPushButton* back = sheet->Button(CPshMain::kButtonBack);
      if (row.backTarget == 0) {
        EXPECT_FALSE(back->isVisible() && back->isEnabled()) << row.templateId;
        continue;
      }
      // A page that starts a check of its own on activation (the advanced
      // menu) takes Back once it is idle.
      ASSERT_TRUE(WaitUntilIdle(page)) << row.templateId;
      ASSERT_TRUE(back->isVisible() && back->isEnabled()) << row.templateId;
      back->click();
      const int expected = row.templateId == 4007 && !wireless ? 4006 : row.backTarget;
      ASSERT_NE(sheet->ActivePage(), nullptr);
      EXPECT_EQ(sheet->ActivePage()->TemplateId(), expected) << "Back from " << row.templateId;
    }
  }
  WizardState::Instance().wirelessPresent = true;
}

}  // namespace
}  // namespace kelvane
