#include "wizard/UiText.h"

#include <string>

#include "app/language/LanguageModule.h"

namespace kelvane {

QString UiText(std::uint32_t id) {
  std::u16string text;
  LoadText(id, text);
  return QString::fromStdU16String(text);
}

}  // namespace kelvane
