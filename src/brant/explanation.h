// How a rate was found, in sentences a person reads beside the bill: the
// method and the keys it looked up, the special legs, the rate basis, what
// changed the rates or the minimum, the break of the total weight, each
// heavier break the deficit search weighed, and the discount.
#pragma once

#include <brantfunc/brant.h>
#include <brantfunc/brantfunc.h>

namespace brant::api {

// Adds the notes of the rating just done on this thread to `bill`, whose
// charges are already read.
void ExplainRating(const RateContext& record, brant_bill& bill);

// Adds a note to the bill; the first BRANT_MAX_NOTES are kept.
void AddNote(brant_bill& bill, brant_note_kind kind, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

}  // namespace brant::api
