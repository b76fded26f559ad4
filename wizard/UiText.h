// Texts of the loaded language module as Qt strings.
#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

// The text of string `id` from the loaded language module; empty when the
// module lacks it or no module is loaded.
QString UiText(std::uint32_t id);

// Router-side texts are bytes in the locale's encoding; these turn them into
// what a control shows and back.
QString FromLocal8(std::string_view bytes);
std::string ToLocal8(const QString& text);

}  // namespace kelvane
