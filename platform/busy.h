// File: platform/busy.h
//
// The hourglass and "let pending window messages run once".
//
//   platform::SetBusyCursor(true);
//   LongWork();
//   platform::SetBusyCursor(false);
#pragma once

namespace platform {

// SetBusyCursor(): shows the wait cursor over every window of the program
// (true) or restores the normal one (false).  Calls do not nest: a second
// true is a no-op, one false restores.
void SetBusyCursor(bool busy);
bool IsBusyCursor();

// LetPendingEventsRun(): processes the events queued so far, once.
void LetPendingEventsRun();

}  // namespace platform
