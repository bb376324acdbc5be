// Windows tick source for the seeds of the shift register.
#pragma once

// Makes GetTickCount the tick behind ClockTick and MonotonicTick; called once at process start.
void UseWindowsTickSource();
