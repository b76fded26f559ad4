// Texts of the loaded language module as Qt strings.
#pragma once

#include <QString>

#include <cstdint>

namespace kelvane {

// The text of string `id` from the loaded language module; empty when the
// module lacks it or no module is loaded.
QString UiText(std::uint32_t id);

}  // namespace kelvane
