// Message prompts used wherever the program asks or warns in a dialog.
#pragma once

#include <QString>

#include "wizard/CDlgMessage.h"
#include "state/FixedText.h"

class QWidget;

namespace kelvane {

// Builds a CDlgMessage, runs it and answers the code of the button pressed
// (2 when the box was closed otherwise).
int ShowMessage(const QString& caption, const QString& message, unsigned style = kMbIconInformation,
                QWidget* parent = nullptr);
int ShowMessageEx(const QString& caption, const QString& message, unsigned style, const QString& text1,
                  const QString& text2, const QString& text3, QWidget* parent = nullptr);

// The text typed into the last CDlgPrompt, in the locale's 8-bit encoding
// (UTF-8), at most 1023 bytes cut at a character boundary. Emptied when a
// prompt opens; filled only when it closes with its first button or Enter.
extern FixedText<1024> promptResult;

// Test hook: when set, every message box built afterwards calls it once it is
// on screen (the hook may click a button or close the box). Null removes it.
using MessageBoxHook = void (*)(CDlgMessage* box);
void SetMessageBoxHook(MessageBoxHook hook);
MessageBoxHook CurrentMessageBoxHook();

// Test hook for the login prompt (CDlgPrompt), the counterpart of the message
// box hook: when set, every prompt built afterwards calls it once it is on
// screen instead of the message box hook (the hook may type into the entry
// and press a button). Null removes it.
class CDlgPrompt;
using PromptHook = void (*)(CDlgPrompt* prompt);
void SetPromptHook(PromptHook hook);
PromptHook CurrentPromptHook();

}  // namespace kelvane
