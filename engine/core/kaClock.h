#pragma once

// The process-wide clock in seconds. Commands: 0 reset, 1 start, 2 stop, 3 advance (0.1 s while
// stopped), 4 absolute time, 5 application time, 6 elapsed time since the previous 6; others give -1.0.
double GetTime(int command);

// The global pause flag: 0 clears it, 1 sets it (both return 1), 2 reads it; others return 0.
int PauseControl(int command);

// Forgets the clock's state so that the next GetTime starts afresh (tests only).
void _ResetClockState();
