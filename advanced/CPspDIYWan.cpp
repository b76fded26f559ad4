#include "advanced/CPspDIYWan.h"

namespace kelvane {

CPspDIYWan::CPspDIYWan(QWidget* parent) : CPspRouterTab(kTemplateId, kPageCode, kIdTabWan, kResultLine, parent) {}

}  // namespace kelvane
