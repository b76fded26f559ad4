#include "state/SessionRecord.h"

namespace kelvane {

SessionRecord& SessionRecord::Instance() {
  static SessionRecord record;
  return record;
}

}  // namespace kelvane
