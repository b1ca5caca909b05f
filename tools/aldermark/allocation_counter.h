#pragma once
// Counts heap allocations made on the calling thread between begin and end, so that the
// validator can see whether a plug-in allocates on the audio thread. Linux interposes the
// C allocator (or uses the sanitizer's hooks in sanitizer builds); elsewhere nothing is
// counted and available() says so.
namespace allocation_counter {

bool available();
void begin();
// Allocations on this thread since begin().
long end();

}  // namespace allocation_counter
