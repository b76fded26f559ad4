#include "advanced/CPspDIYLan.h"

namespace kelvane {

CPspDIYLan::CPspDIYLan(QWidget* parent) : CPspRouterTab(kTemplateId, kPageCode, kIdTabLan, kResultLine, parent) {}

}  // namespace kelvane
