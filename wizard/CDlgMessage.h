// The program's own message box (dialog 800): an icon, a message and up to
// three buttons whose texts come from the caller, so they follow the user's
// language. Style values and answer codes are those of the desktop message
// box the wizard was designed around.
#pragma once

#include <QDialog>
#include <QString>

#include <array>

namespace kelvane {

class CImageButton;
class CStaticText;

// Style value: button set (low 4 bits), icon (bits 4-7), default button (bits 8-11).
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbOkCancel = 0x1;
inline constexpr unsigned kMbYesNoCancel = 0x3;
inline constexpr unsigned kMbYesNo = 0x4;
inline constexpr unsigned kMbRetryCancel = 0x5;
inline constexpr unsigned kMbIconStop = 0x10;
inline constexpr unsigned kMbIconQuestion = 0x20;
inline constexpr unsigned kMbIconExclamation = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr unsigned kMbDefButton2 = 0x100;
inline constexpr unsigned kMbDefButton3 = 0x200;

// Answer codes.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// The decoded style value.
struct MessageStyle {
  int buttonSet = 0;      // 0, 1, 3, 4 or 5 (anything else decodes as 0)
  int buttonCount = 1;
  int iconId = 810;       // icon resource
  int defaultButton = 0;  // 0, 1 or 2 (index of the button that starts with the focus)
  std::array<int, 3> answers{1, 0, 0};
  std::array<const char*, 3> defaultTexts{"&OK", nullptr, nullptr};
};
MessageStyle DecodeMessageStyle(unsigned style);

class CDlgMessage : public QDialog {
  Q_OBJECT

 public:
  // Template IDs of the parts; the prompt uses its own template.
  struct Ids {
    int templateId, icon, message, button1, button2, button3;
  };

  // Default English button texts of the button set.
  CDlgMessage(const QString& caption, const QString& message, unsigned style = kMbIconInformation,
              QWidget* parent = nullptr);
  // The caller's button texts (for the buttons of the set, in order).
  CDlgMessage(const QString& caption, const QString& message, unsigned style, const QString& text1,
              const QString& text2, const QString& text3, QWidget* parent = nullptr);
  ~CDlgMessage() override;

  // Runs modally; answers the code of the button that closed the box, 2 when
  // it was closed any other way.
  int DoModal();
  // The same as DoModal, for callers that use the dialog's own run call.
  int exec() override;
  int Answer() const { return answer_; }

  // Controls by template ID, for layout and tests.
  QWidget* Control(int id) const;
  const MessageStyle& Style() const { return style_; }

 protected:
  CDlgMessage(const Ids& ids, const QString& caption, const QString& message, unsigned style,
              const QString& text1, const QString& text2, const QString& text3, bool useDefaults,
              QWidget* parent);
  // Builds the box; called once by the constructors and by DoModal.
  virtual void InitDialog();
  // Layout hook: extra shift and width of button `index` (0-2) in pixels.
  virtual int ButtonShift(int /*index*/) const { return 0; }
  virtual int ButtonExtraWidth(int /*index*/) const { return 0; }
  virtual void OnButton(int index);
  // Where the focus starts before the default-button steps.
  virtual QWidget* InitialFocus() const;
  // Arranges for the test hook to run once the box is on screen.
  virtual void ScheduleTestHook();
  void showEvent(QShowEvent* event) override;

  Ids ids_;
  QString caption_;
  QString message_;
  std::array<QString, 3> texts_;
  MessageStyle style_;
  int answer_ = kAnswerCancel;
  bool initialised_ = false;
  bool focusPlaced_ = false;
};

}  // namespace kelvane
