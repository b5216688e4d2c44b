// The report of a request that a switch refused during a bulk run: its
// entry in the record's failure list and the error log.
#pragma once

#include "base/error.h"

namespace ntr {

class SwitchClient;

// Called by a bulk run after a getter or setter failed with `error`. Outside
// a bulk run it does nothing and returns true. A refusal by the switch (codes
// 12 to 20) is written to the record's failure list and the error log, and a
// refused set puts the record's field back to its default; the result says
// whether that entry was written. Other failures are not logged (false).
bool ReportFailedRequest(SwitchClient& node, const ErrorPair& error);

}  // namespace ntr
