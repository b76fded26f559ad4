#include "app/CPshMain.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

#include <algorithm>
#include <climits>

#include "language/LanguageModule.h"
#include "language/StringIds.h"
#include "advanced/CPspAdvanced.h"
#include "pages/CPspConnectivity.h"
#include "pages/CPspDetectWan.h"
#include "pages/CPspFinish.h"
#include "pages/CPspSelectWan.h"
#include "pages/CPspSetupType.h"
#include "pages/CPspStore.h"
#include "pages/CPspTestWan.h"
#include "pages/CPspWLan.h"
#include "pages/CPspWanSettings.h"
#include "pages/CPspWelcome.h"
#include "wizard/CDlgMessage.h"
#include "wizard/CImageButton.h"
#include "wizard/CPspEx.h"
#include "wizard/DialogTemplate.h"
#include "wizard/MessageBox.h"
#include "wizard/PageKit.h"
#include "wizard/Resources.h"
#include "wizard/AccessKeys.h"
#include "wizard/UiText.h"
#include "state/SystemInfo.h"
#include "state/WizardState.h"

namespace kelvane {

namespace {

// Frame geometry in dialog units, as the wizard frame lays itself out.
constexpr int kButtonWidthDu = 50;
constexpr int kButtonHeightDu = 14;
constexpr int kButtonGapDu = 4;     // between Next, Cancel and Help
constexpr int kEdgeMarginDu = 7;    // window edge to the outermost button
constexpr int kHeaderHeightDu = 50; // the header band above interior pages
constexpr int kLineGapPx = 4;       // page area to the line above the buttons

// Our own layout rules on top of the frame's: Back, Next and Cancel move right
// by their width plus this, Help goes this far from the left edge.
constexpr int kButtonShiftPx = 15;
constexpr int kHelpLeftPx = 15;
constexpr int kButtonExtraHeightPx = 5;

// Greek texts are long; a smaller normal-weight font keeps them in the buttons.
constexpr int kGreekLanguage = 1032;
constexpr int kGreekButtonFontPx = 10;

}  // namespace

CPshMain::CPshMain(const QPixmap& headerBitmap, QWidget* parent)
    : CSheetBase(parent), headerBitmap_(headerBitmap) {
  if (headerBitmap_.isNull()) headerBitmap_ = LoadBitmapResource(kBitmapHeader);
  setObjectName(QStringLiteral("CPshMain"));
  setFont(DialogFont());
  baseUnits_ = DialogBaseUnits(font());

  BuildFrame();

  // Member pages in sheet order. The wireless LAN page is there only when the
  // router has a wireless part.
  AddPage(welcome_ = new CPspWelcome());
  AddPage(setupType_ = new CPspSetupType());
  AddPage(new CPspAdvanced());
  AddPage(new CPspConnectivity());
  if (WizardState::Instance().wirelessPresent) AddPage(new CPspWLan());
  AddPage(new CPspDetectWan());
  AddPage(new CPspSelectWan());
  AddPage(new CPspDynamicWan());
  AddPage(new CPspStaticWan());
  AddPage(new CPspPPPoEWan());
  AddPage(new CPspPPTPWan());
  AddPage(new CPspL2TPWan());
  AddPage(new CPspBigPondWan());
  AddPage(new CPspTeliaWan());
  AddPage(new CPspStore());
  AddPage(new CPspTestWan());
  AddPage(new CPspFinish());

  LayoutFrame();
  // As in the wizard frame, the first page is made (and initialised) before
  // the sheet sets its own texts: the welcome page's Greek shift of Back is a
  // relative move and survives the texts set afterwards.
  SetActivePage(pages_.front());
  InitButtons();
  // InitButtons set the plain texts over the keys the first page was given.
  AssignButtonAccessKeys();
}

CPshMain::~CPshMain() {
  // The help window goes with the sheet. The pages go first, while the sheet
  // is still whole, so that a page may still reach it while it is destroyed.
  DropHelpWindow();
  active_ = nullptr;
  std::vector<CPspEx*> pages;
  pages.swap(pages_);
  for (CPspEx* page : pages) delete page;
}

void CPshMain::AddPage(CPspEx* page) {
  if (page == nullptr || PageIndex(page) >= 0) return;
  stack_->addWidget(page);
  page->AttachSheet(this);
  pages_.push_back(page);
  // A page added to a finished sheet may need a taller page area.
  if (active_ != nullptr) {
    LayoutFrame();
    PlaceStack();
  }
}

void CPshMain::BuildFrame() {
  // Header band: white, the page's title and subtitle on the left, the header
  // picture on the right, an etched line below.
  header_ = new QWidget(this);
  header_->setObjectName(QStringLiteral("header"));
  header_->setAutoFillBackground(true);
  QPalette white = header_->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  header_->setPalette(white);
  headerTitle_ = new QLabel(header_);
  headerTitle_->setObjectName(QStringLiteral("headerTitle"));
  QFont bold = font();
  bold.setBold(true);
  headerTitle_->setFont(bold);
  headerTitle_->setTextFormat(Qt::PlainText);
  headerSubTitle_ = new QLabel(header_);
  headerSubTitle_->setObjectName(QStringLiteral("headerSubTitle"));
  headerSubTitle_->setTextFormat(Qt::PlainText);
  headerSubTitle_->setWordWrap(true);
  headerSubTitle_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  headerPicture_ = new QLabel(header_);
  headerPicture_->setObjectName(QStringLiteral("headerPicture"));
  headerPicture_->setPixmap(headerBitmap_);
  headerLine_ = new QFrame(this);
  headerLine_->setFrameShape(QFrame::HLine);
  headerLine_->setFrameShadow(QFrame::Sunken);

  stack_ = new QStackedWidget(this);
  stack_->setObjectName(QStringLiteral("pages"));

  buttonLine_ = new QFrame(this);
  buttonLine_->setFrameShape(QFrame::HLine);
  buttonLine_->setFrameShadow(QFrame::Sunken);

  // Created in the order Tab visits them after the page's own controls.
  helpButton_ = MakeButton(kButtonHelp);
  back_ = MakeButton(kButtonBack);
  next_ = MakeButton(kButtonNext);
  finish_ = MakeButton(kButtonFinish);
  cancel_ = MakeButton(kButtonCancel);
  connect(helpButton_, &QPushButton::clicked, this, &CPshMain::OnHelp);
  connect(back_, &QPushButton::clicked, this, &CPshMain::OnBack);
  connect(next_, &QPushButton::clicked, this, &CPshMain::OnNext);
  connect(finish_, &QPushButton::clicked, this, &CPshMain::OnFinish);
  connect(cancel_, &QPushButton::clicked, this, &CPshMain::reject);
}

void CPshMain::LayoutFrame() {
  const QSize base = baseUnits_;
  headerHeight_ = kHeaderHeightDu * base.height() / 8;
  pageAreaWidth_ = 0;
  pageAreaHeight_ = 0;
  for (const CPspEx* page : pages_) {
    const QSize size = page->PlannedSizePx();
    pageAreaWidth_ = std::max(pageAreaWidth_, size.width());
    const int top = page->IsHeaderHidden() ? 0 : headerHeight_;
    pageAreaHeight_ = std::max(pageAreaHeight_, top + size.height());
  }
  const int width = std::max(pageAreaWidth_, 320 * base.width() / 4);
  pageAreaWidth_ = width;

  header_->setGeometry(0, 0, width, headerHeight_);
  headerLine_->setGeometry(0, headerHeight_, width, 2);
  const QSize picture = headerBitmap_.isNull() ? QSize(0, 0) : headerBitmap_.deviceIndependentSize().toSize();
  const int margin = kEdgeMarginDu * base.width() / 4;
  headerPicture_->setGeometry(width - margin - picture.width(), (headerHeight_ - picture.height()) / 2,
                              picture.width(), picture.height());
  const int textRight = headerPicture_->x() - margin;
  const int titleTop = 6 * base.height() / 8;
  // Tall enough for every page's title in this language: a script the
  // dialog font lacks (Chinese) comes from a taller fallback font.
  const QFontMetrics titleMetrics(headerTitle_->font());
  int titleHeight = titleMetrics.height();
  for (const CPspEx* page : pages_) {
    titleHeight = std::max(titleHeight, titleMetrics.boundingRect(page->HeaderTitle()).height());
  }
  titleHeight += 2;
  headerTitle_->setGeometry(11 * base.width() / 4, titleTop, textRight - 11 * base.width() / 4, titleHeight);
  const int subLeft = 22 * base.width() / 4;
  const int subTop = titleTop + titleHeight + 2;
  headerSubTitle_->setGeometry(subLeft, subTop, textRight - subLeft, headerHeight_ - subTop - 2);

  const int lineTop = pageAreaHeight_ + kLineGapPx;
  buttonLine_->setGeometry(0, lineTop, width, 2);
  const int buttonTop = lineTop + kEdgeMarginDu * base.height() / 8;
  const int buttonHeight = kButtonHeightDu * base.height() / 8 + kButtonExtraHeightPx;
  setFixedSize(width, buttonTop + buttonHeight + kEdgeMarginDu * base.height() / 8);
  LayoutButtons();
}

void CPshMain::LayoutButtons() {
  const QSize base = baseUnits_;
  const int width = pageAreaWidth_;
  const int bw = kButtonWidthDu * base.width() / 4;
  const int bh = kButtonHeightDu * base.height() / 8;
  const int gap = kButtonGapDu * base.width() / 4;
  const int top = pageAreaHeight_ + kLineGapPx + kEdgeMarginDu * base.height() / 8;

  // The wizard frame's own places, from the right: Help, Cancel, then Next with
  // Back against it and Finish on top of Next. The right margin is chosen so
  // that after the moves below Cancel keeps the frame's edge margin.
  const int rightMargin = kEdgeMarginDu * base.width() / 4 + kButtonShiftPx - gap;
  const int helpX = width - rightMargin - bw;
  const int cancelX = helpX - gap - bw;
  const int nextX = cancelX - gap - bw;
  const int backX = nextX - bw;

  // Back, Next and Cancel: right by their own width plus 15, 5 pixels taller.
  back_->setGeometry(backX + bw + kButtonShiftPx + backShift_.x(), top, bw + backShift_.y(),
                    bh + kButtonExtraHeightPx);
  next_->setGeometry(nextX + bw + kButtonShiftPx, top, bw, bh + kButtonExtraHeightPx);
  cancel_->setGeometry(cancelX + bw + kButtonShiftPx, top, bw, bh + kButtonExtraHeightPx);
  // Finish: centred on the window; Help: 15 pixels from the left edge.
  finish_->setGeometry(width / 2 - bw / 2, top, bw, bh + kButtonExtraHeightPx);
  helpButton_->setGeometry(kHelpLeftPx, top, bw, bh + kButtonExtraHeightPx);
}

void CPshMain::InitButtons() {
  WizardState& state = WizardState::Instance();
  setWindowIcon(LoadIconResource(kIconApplication));
  setWindowTitle(UiText(kIdProductTitle) + QLatin1String(kVersionSuffix));

  if (state.languageId == kGreekLanguage) {
    buttonFont_ = std::make_unique<QFont>(font());
    buttonFont_->setPixelSize(kGreekButtonFontPx);
    buttonFont_->setWeight(QFont::Normal);
    buttonFont_->setBold(false);
  }
  for (QPushButton* button : {back_, next_, cancel_, finish_, helpButton_}) {
    if (buttonFont_) button->setFont(*buttonFont_);
  }
  SetButtonText(back_, QStringLiteral("< ") + UiText(kIdBack));
  SetButtonText(next_, UiText(kIdNext) + QStringLiteral(" >"));
  SetButtonText(cancel_, UiText(kIdCancel));
  SetButtonText(finish_, UiText(kIdFinish));
  SetButtonText(helpButton_, UiText(kIdHelp));

  CollectSystemInfo();
  static constexpr StringId kCancelPromptIds[5] = {kIdCancelPromptCaption, kIdCancelPromptQuestion, kIdYesButton,
                                                   kIdNoButton, kIdCancelButton};
  for (int i = 0; i < 5; ++i) {
    std::u16string text;
    LoadText(kCancelPromptIds[i], text);
    state.CancelPrompt.texts[static_cast<std::size_t>(i)] = text;
  }
}

void CPshMain::SetButtonText(QPushButton* button, const QString& text) {
  button->setProperty("fullText", text);
  RewrapButton(button);
}

void CPshMain::RewrapButton(QPushButton* button) { WrapButtonText(button); }

int CPshMain::DoModal() {
  finished_ = false;
  hiddenWhileRunning_ = 0;
  int result = exec();
  // Hiding a modal dialog ends its exec(): the advanced menu hides this window
  // while the router sheet runs, and shows it again when that sheet closes.
  // The wizard itself is not over, so it runs on where the user left it.
  while (!finished_ && hiddenWhileRunning_ > 0 && isVisible()) {
    --hiddenWhileRunning_;
    result = exec();
  }
  return result;
}

void CPshMain::done(int result) {
  finished_ = true;
  QDialog::done(result);
}

void CPshMain::EndSheet(int result) {
  ending_ = true;
  done(result);
}

CPspEx* CPshMain::Page(int index) const {
  if (index < 0 || index >= PageCount()) return nullptr;
  return pages_[static_cast<std::size_t>(index)];
}

int CPshMain::PageIndex(const CPspEx* page) const {
  const auto it = std::find(pages_.begin(), pages_.end(), page);
  return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

CPspEx* CPshMain::FindPageByTemplate(int templateId) const {
  for (CPspEx* page : pages_) {
    if (page->TemplateId() == templateId) return page;
  }
  return nullptr;
}

QPushButton* CPshMain::Button(int id) const {
  switch (id) {
    case kButtonBack: return back_;
    case kButtonNext: return next_;
    case kButtonFinish: return finish_;
    case kButtonCancel: return cancel_;
    case kButtonHelp: return helpButton_;
    default: return nullptr;
  }
}

QPushButton* CPshMain::DefaultButton() const {
  for (QPushButton* button : {next_, finish_}) {
    if (button->isVisibleTo(this) && button->isEnabled()) return button;
  }
  return nullptr;
}

QString CPshMain::HeaderTitleText() const { return headerTitle_->text(); }
QString CPshMain::HeaderSubTitleText() const { return headerSubTitle_->text(); }

// ---- SheetOps ----

void CPshMain::ShowWizardButtons(bool back, bool next, bool cancel, bool finish) {
  back_->setVisible(back);
  next_->setVisible(next);
  cancel_->setVisible(cancel);
  finish_->setVisible(finish);
  MarkDefaultButton();
}

void CPshMain::EnableWizardButtons(bool back, bool next, bool cancel, bool finish) {
  back_->setEnabled(back);
  next_->setEnabled(next);
  cancel_->setEnabled(cancel);
  finish_->setEnabled(finish);
  MarkDefaultButton();
}

void CPshMain::MarkDefaultButton() {
  // Drawn as the default, so the user sees what Enter presses.
  QPushButton* target = DefaultButton();
  for (QPushButton* button : {next_, finish_}) button->setDefault(button == target);
}

void CPshMain::ShowHelpButton(bool show) { helpButton_->setVisible(show); }
void CPshMain::EnableHelpButton(bool enable) { helpButton_->setEnabled(enable); }

void CPshMain::ShowAndEnableHelpButton(bool show, bool enable) {
  ShowHelpButton(show);
  EnableHelpButton(enable);
}

void CPshMain::ShiftBackButton(int dx, int dw) {
  // Kept, so that a new layout of the frame keeps the shift.
  backShift_ += QPoint(dx, dw);
  QRect r = back_->geometry();
  r.translate(dx, 0);
  r.setWidth(r.width() + dw);
  back_->setGeometry(r);
  RewrapButton(back_);
}

bool CPshMain::SetActivePage(CPspEx* page) {
  if (PageIndex(page) < 0) return false;
  if (active_ != nullptr && active_ != page && !active_->OnKillActive()) return false;
  // The page's controls are made the first time it is shown.
  page->Create();
  active_ = page;
  PlaceStack();
  stack_->setCurrentWidget(page);
  // The header names the new page before its activation runs: some pages
  // read the router there, for up to a request's time-out.
  UpdateHeader();
  page->OnSetActive();
  UpdateHeader();
  AssignButtonAccessKeys();
  FocusFirstControl(page);
  SaveDemoScreenshot();
  return true;
}

void CPshMain::AssignButtonAccessKeys() {
  // The buttons' access keys step around the letters the active page uses itself.
  AssignSheetAccessKeys({{next_, UiText(kIdNext) + QStringLiteral(" >"), QLatin1Char('N')},
                         {back_, QStringLiteral("< ") + UiText(kIdBack), QLatin1Char('B')},
                         {finish_, UiText(kIdFinish), QLatin1Char('F')},
                         {cancel_, UiText(kIdCancel), QLatin1Char('C')},
                         {helpButton_, UiText(kIdHelp), QLatin1Char('H')}},
                        active_);
}

void CPshMain::PlaceStack() {
  // Exterior pages (no header) fill the whole page area; interior pages sit
  // below the header band.
  const bool exterior = active_ != nullptr && active_->IsHeaderHidden();
  header_->setVisible(!exterior);
  headerLine_->setVisible(!exterior);
  const int top = exterior ? 0 : headerHeight_ + 2;
  stack_->setGeometry(0, top, pageAreaWidth_, pageAreaHeight_ + kLineGapPx - top);
}

bool CPshMain::ConfirmCancel() {
  const CancelPromptTexts& prompt = WizardState::Instance().CancelPrompt;
  auto text = [&prompt](int i) { return QString::fromStdU16String(prompt.texts[static_cast<std::size_t>(i)]); };
  const int answer =
      // Yes or No is the whole question: a Cancel button beside No meant the same.
      ShowMessageEx(text(0), text(1), kMbIconInformation | kMbYesNo, text(2), text(3), QString(), this);
  return answer == kAnswerYes;
}

void CPshMain::PageTextsChanged(CPspEx* page) {
  if (page == active_) UpdateHeader();
}

void CPshMain::UpdateHeader() {
  if (active_ == nullptr) return;
  headerTitle_->setText(active_->HeaderTitle());
  headerSubTitle_->setText(active_->HeaderSubTitle());
}

void CPshMain::FocusFirstControl(CPspEx* page) {
  // The first field takes the focus, else the default button. A page's own
  // push button ("Set again" on the store page) never does: Enter would press
  // it instead of Next. A picture button is a choice of the page and may.
  for (QWidget* w = page->nextInFocusChain(); w != nullptr && w != page; w = w->nextInFocusChain()) {
    if (!page->isAncestorOf(w)) continue;
    if (qobject_cast<QPushButton*>(w) != nullptr && qobject_cast<CImageButton*>(w) == nullptr) continue;
    if (w->isVisibleTo(page) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
      w->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
  for (QPushButton* button : {next_, finish_, cancel_}) {
    if (button->isVisibleTo(this) && button->isEnabled()) {
      button->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
}

void CPshMain::SaveDemoScreenshot() {
  // The demo runs the wizard on a virtual display nobody looks at; it asks for
  // a picture of every page shown.
  const QString dir = qEnvironmentVariable("KELVANE_DEMO_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  const int number = ++screenshotCount_;
  const std::uint32_t code = WizardState::Instance().currentPageCode;
  QTimer::singleShot(400, this, [this, dir, number, code] {
    if (!isVisible()) return;
    QDir().mkpath(dir);
    grab().save(QDir(dir).filePath(QStringLiteral("kelvane-%1-page%2.png")
                                       .arg(number, 2, 10, QLatin1Char('0'))
                                       .arg(code)));
  });
}

// ---- navigation ----

void CPshMain::EnterBusy(CPspEx* /*page*/) {
  EnableWizardButtons(false, false, false, false);
  EnableHelpButton(false);
}

void CPshMain::LeaveBusy(CPspEx* /*page*/) {}

void CPshMain::OnBack() {
  if (ActiveBusy()) return;
  if (active_ == nullptr || !back_->isEnabled() || !back_->isVisible()) return;
  const int result = active_->OnWizardBack();
  if (result == 0) {
    SetActivePage(Page(ActiveIndex() - 1));
  } else if (result > 0) {
    SetActivePage(FindPageByTemplate(result));
  }
}

void CPshMain::OnNext() {
  if (ActiveBusy()) return;
  if (active_ == nullptr || !next_->isEnabled() || !next_->isVisible()) return;
  const int result = active_->OnWizardNext();
  if (result == 0) {
    SetActivePage(Page(ActiveIndex() + 1));
  } else if (result > 0) {
    SetActivePage(FindPageByTemplate(result));
  }
}

void CPshMain::OnFinish() {
  if (ActiveBusy()) return;
  if (active_ == nullptr || !finish_->isEnabled() || !finish_->isVisible()) return;
  if (!active_->OnWizardFinish()) return;
  EndSheet(QDialog::Accepted);
}

void CPshMain::OnHelp() {
  if (ActiveBusy()) return;
  const std::uint32_t code = WizardState::Instance().currentPageCode;
  // The welcome and setup-type pages have no help of their own.
  if (code == 0 || code == 10) return;
  ShowHelpTopic(code);
}

void CPshMain::reject() {
  if (ending_) {
    QDialog::reject();
    return;
  }
  // Cancel, Escape and the close button all ask the active page first: it may
  // refuse while it works, or ask the user.
  if (!PageAllowsClose()) return;
  ending_ = true;
  QDialog::reject();
}

void CPshMain::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!finished_) ++hiddenWhileRunning_;
}

void CPshMain::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ending_ = false;
}

}  // namespace kelvane
