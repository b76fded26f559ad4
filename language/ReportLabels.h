// The diagnostic report's headings and words from the catalogue, for the
// wizard and kelvane-cli alike.
#pragma once

#include <functional>
#include <string>

#include "language/StringIds.h"
#include "router/DiagnosticReport.h"

namespace kelvane {

ReportLabels MakeReportLabels(const std::function<std::string(StringId)>& text);

}  // namespace kelvane
