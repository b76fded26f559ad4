#include "advanced/CPspDIYWLan.h"

namespace kelvane {

CPspDIYWLan::CPspDIYWLan(QWidget* parent) : CPspRouterTab(kTemplateId, kPageCode, kIdTabWireless, kResultLine, parent) {}

}  // namespace kelvane
