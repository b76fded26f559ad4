#include "wizard/UiText.h"

#include <string>

#include "language/LanguageModule.h"

namespace kelvane {

QString UiText(std::uint32_t id) {
  std::u16string text;
  LoadText(id, text);
  return QString::fromStdU16String(text);
}

QString FromLocal8(std::string_view bytes) {
  return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToLocal8(const QString& text) { return text.toLocal8Bit().toStdString(); }

}  // namespace kelvane
