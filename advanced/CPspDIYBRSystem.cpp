#include "advanced/CPspDIYBRSystem.h"

namespace kelvane {

CPspDIYBRSystem::CPspDIYBRSystem(QWidget* parent) : CPspRouterTab(kTemplateId, kPageCode, kIdTabSystem, kResultLine, parent) { NoFirstRead(); }

}  // namespace kelvane
