// How much ntrctl tells beside its results and errors: -q nothing (only
// errors, and what the command was asked to print), -v also every function
// request and its answer on standard error, one line each in the
// configuration file's grammar:
//   > 02:5C:71:00:00:01 switch control function get port-speed 3
//   < 02:5C:71:00:00:01 switch control function get port-speed 3 100-fdx
// A failed request's answer line ends in its reason in parentheses.
#pragma once

#include <string>

#include "transaction/transaction_hub.h"

namespace ntr::cli {

// -q: progress, notes and success messages are left out.
void SetQuiet(bool quiet);
bool Quiet();

// The line of a traced request or of its end.
std::string TraceLine(const FunctionTrace& trace);
// -v: every function request through `hub` and its end go to standard error.
void TraceRequests(TransactionHub& hub);

}  // namespace ntr::cli
