#include "advanced/AdvancedMenuExtras.h"

#include <QPushButton>

#include "language/StringIds.h"
#include "state/SessionRecord.h"
#include "steps/kit/WanAddressKind.h"
#include "wizard/CStaticText.h"
#include "wizard/ReportSaver.h"
#include "wizard/UiText.h"

namespace kelvane {

void PlaceSaveReportButton(QWidget* page, QPushButton* refresh) {
  QPushButton* save = MakeSaveReportButton(page);
  const int w = std::max(refresh->width(), save->sizeHint().width());
  const int h = save->sizeHint().height();
  const int top = std::min(refresh->geometry().bottom() + 4, page->height() - h - 2);
  save->setGeometry(refresh->geometry().right() + 1 - w, top, w, h);
}

void KeepWanAddressForNote(bool passed, const std::string& wanAddress) {
  SessionRecord::Instance().wanAddress = passed ? wanAddress : std::string();
}

void ShowInternetLine(CStaticText* summary, const QString& text, bool passed) {
  if (!summary->property("templateHeight").isValid()) summary->setProperty("templateHeight", summary->height());
  const int templateHeight = summary->property("templateHeight").toInt();
  if (passed && IsTranslatedWanAddress(SessionRecord::Instance().wanAddress)) {
    summary->setWordWrap(true);
    const QWidget* page = summary->parentWidget();
    summary->resize(summary->width(), std::max(templateHeight, page->height() - summary->y() - 2));
    summary->setText(text + QStringLiteral(" ") + UiText(kIdTranslatedWanNote));
    return;
  }
  summary->resize(summary->width(), templateHeight);
  summary->setText(text);
}

}  // namespace kelvane
