#pragma once
// Counts waits without a time limit (mutex lock, read-write lock, condition wait, semaphore
// wait) made on the calling thread between begin and end, so that the validator can see
// whether a plug-in may stall its audio thread behind another thread. Waits with a limit
// (try-lock, timed lock) are not counted: a bounded wait is how an instance lock may guard a
// block. Linux interposes the POSIX thread calls in plain builds; sanitizer builds (whose
// runtime intercepts the same calls) and Windows count nothing, and available() says so.
namespace wait_counter {

bool available();
void begin();
// Unbounded waits on this thread since begin().
long end();

}  // namespace wait_counter
