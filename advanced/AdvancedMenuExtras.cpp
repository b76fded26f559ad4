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
  save->setFont(refresh->font());  // the Greek font, where Refresh has it
  const int w = std::max(refresh->width(), save->sizeHint().width());
  const int h = save->sizeHint().height();
  const int top = std::min(refresh->geometry().bottom() + 4, page->height() - h - 2);
  save->setGeometry(refresh->geometry().right() + 1 - w, top, w, h);
}

void KeepWanAddressForNote(bool passed, const std::string& wanAddress) {
  SessionRecord::Instance().wanAddress = passed ? wanAddress : std::string();
}

void ShowInternetLine(CStaticText* summary, const QString& text, bool passed) {
  if (!summary->property("templateGeometry").isValid()) {
    summary->setProperty("templateGeometry", summary->geometry());
    summary->setProperty("templateFont", summary->font());
  }
  const QRect place = summary->property("templateGeometry").toRect();
  summary->setFont(summary->property("templateFont").value<QFont>());
  if (passed && IsTranslatedWanAddress(SessionRecord::Instance().wanAddress)) {
    // The line takes the room between the pictures and the page bottom, and
    // a smaller font where a language needs more lines than fit.
    const QWidget* page = summary->parentWidget();
    int top = place.top();
    for (const QWidget* sibling : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (sibling != summary && sibling->isVisible() && sibling->geometry().bottom() < place.top() &&
          sibling->geometry().right() > place.left() && sibling->geometry().left() < place.right()) {
        top = std::min(top, std::max(place.top() - place.height(), sibling->geometry().bottom() + 4));
      }
    }
    summary->setWordWrap(true);
    summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The status is a short line without a full stop: the note starts a line of its own.
    summary->setText(text + QStringLiteral("\n") + UiText(kIdTranslatedWanNote));
    summary->setGeometry(place.left(), top, place.width(), page->height() - top - 2);
    QFont font = summary->font();
    while (summary->heightForWidth(summary->width()) > summary->height() && font.pointSizeF() > 6.5) {
      font.setPointSizeF(font.pointSizeF() - 0.5);
      summary->setFont(font);
    }
    return;
  }
  summary->setGeometry(place);
  summary->setText(text);
}

}  // namespace kelvane
