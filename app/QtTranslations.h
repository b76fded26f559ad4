// Qt's own texts (the context menu of a field, the standard dialogs) in the
// wizard's language, for the life of one sheet: installed when made, removed
// when destroyed. Debian ships them in qt6-translations-l10n; a language it
// has no file for keeps Qt's English.
#pragma once

#include <QTranslator>

#include <cstdint>

namespace kelvane {

class QtTranslations {
 public:
  explicit QtTranslations(std::uint32_t languageId);
  ~QtTranslations();
  QtTranslations(const QtTranslations&) = delete;
  QtTranslations& operator=(const QtTranslations&) = delete;

  bool Loaded() const { return loaded_; }
  // The locale name of a wizard language ("de", "zh_TW", "pt_BR").
  static QString LocaleName(std::uint32_t languageId);

 private:
  QTranslator translator_;
  bool loaded_ = false;
};

}  // namespace kelvane
