#pragma once

// A replacement of the global operator new (and its array form) for the
// program that links FailingNew.cpp: it counts allocations and can make one
// of them raise std::bad_alloc. One thread at a time arms it.

#include <new>
#include <string>
#include <string_view>

#include "Reliability.h"

namespace lxrel {

// Makes allocation number `n` from now (counted from 0) raise std::bad_alloc;
// a negative `n` disarms.
void FailAllocation(long n);

// True while the armed failure has not happened yet.
bool AllocationFailurePending();

struct AllocationSweep {
  long failures = 0;      // loads that met a failed allocation
  std::string violation;  // the first broken promise, empty if none
};

// Loads `text` once for every N, the Nth allocation of the parse and load
// failing, until a load meets no failure: each must raise std::bad_alloc or
// TLxXIniError and leave the record bit for bit as it was; the last must give
// the record of an undisturbed load.
template <typename Record>
AllocationSweep SweepAllocationFailures(std::string_view text, const Loader<Record>& loader) {
  AllocationSweep sweep;
  Record whole = Prefilled<Record>();
  LoadFrom(text, loader, whole);
  for (long n = 0;; ++n, ++sweep.failures) {
    Record record = Prefilled<Record>();
    const std::string before = Bits(record);
    bool raised = false;
    FailAllocation(n);
    try {
      LoadFrom(text, loader, record);
    } catch (const std::bad_alloc&) {
      raised = true;
    } catch (const TLxXIniError&) {
      raised = true;
    }
    const bool pending = AllocationFailurePending();
    FailAllocation(-1);
    const std::string at = "allocation " + std::to_string(n) + ": ";
    if (raised && Bits(record) != before) sweep.violation = at + "raised and changed the record";
    if (!raised && !pending) sweep.violation = at + "the failure was swallowed";
    if (!raised && Bits(record) != Bits(whole)) sweep.violation = at + "loaded another record";
    if (!sweep.violation.empty() || !raised) return sweep;
  }
}

}  // namespace lxrel
