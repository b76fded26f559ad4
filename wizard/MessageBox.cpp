#include "wizard/MessageBox.h"

namespace kelvane {

FixedText<1024> promptResult;

namespace {
MessageBoxHook gHook = nullptr;
}

void SetMessageBoxHook(MessageBoxHook hook) { gHook = hook; }
MessageBoxHook CurrentMessageBoxHook() { return gHook; }

namespace {
PromptHook gPromptHook = nullptr;
}  // namespace

void SetPromptHook(PromptHook hook) { gPromptHook = hook; }
PromptHook CurrentPromptHook() { return gPromptHook; }

int ShowMessage(const QString& caption, const QString& message, unsigned style, QWidget* parent) {
  CDlgMessage box(caption, message, style, parent);
  return box.DoModal();
}

int ShowMessageEx(const QString& caption, const QString& message, unsigned style, const QString& text1,
                  const QString& text2, const QString& text3, QWidget* parent) {
  CDlgMessage box(caption, message, style, text1, text2, text3, parent);
  return box.DoModal();
}

}  // namespace kelvane
