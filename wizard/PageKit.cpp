#include "wizard/PageKit.h"

#include "app/language/StringIds.h"
#include "state/WizardState.h"
#include "wizard/CDlgMessage.h"
#include "wizard/CDlgPrompt.h"
#include "wizard/MessageBox.h"
#include "wizard/SheetOps.h"
#include "wizard/UiText.h"

namespace kelvane {

BusyScope::BusyScope(CPspEx* page, const ButtonChrome& after) : page_(page), after_(after) {
  if (page_.isNull()) return;
  page_->busy_ = true;
  if (SheetOps* sheet = page_->Sheet()) sheet->EnterBusy(page_);
}

BusyScope::~BusyScope() {
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
