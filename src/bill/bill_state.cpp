#include "bill/bill_state.h"

namespace brant {

BillState& Bill() {
  thread_local BillState state;
  return state;
}

}  // namespace brant
