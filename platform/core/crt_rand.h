// The handheld C library's pseudo-random generator.
#pragma once

// rand() of the handheld: state = state * 214013 + 2531011 (mod 2^32), result
// (state >> 16) & 0x7FFF, so 0 to 32767. Each thread has its own state, 1 when
// the thread starts. Named apart from ::rand, whose range on Linux is 2^31.
int CeRand();
