#include "ratebase/rating_state.h"

namespace brant {

RatingState& Rating() {
  thread_local RatingState state;
  return state;
}

}  // namespace brant
