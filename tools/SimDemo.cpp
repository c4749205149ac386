// The scripted tour: a first start on a blank flash, a few writes and a flush, a time-window scheme taking
// over on the simulated clock, a day/night switch, and a factory reset.
#include "SimSession.h"

std::vector<SimDemoStep> demoSteps() {
    return {
        {"Step 2. A few writes. They reach the IA library at once and stay in the current scheme (the key\n"
         "cache) until flush saves the scheme to its file.",
         {"set (34,70)(2337,40)", "get (34,2337)", "ia-log", "flush", "diff-scheme sensor1_0.cfg sensor1_1.cfg"}},
        {"Step 3. A time-window scheme. Scheme 2 gets the window 08:00-18:00 and a darker picture; schemes 1\n"
         "and 3 get 00:00-06:00 and scheme 0, in the time-schedule mode, 20:00-24:00 (outside every window\n"
         "scheme 0 is used). schedule shows the whole day; at 08:00 the sensor thread switches to scheme 2 by\n"
         "itself.",
         {"scheme 1", "set (8001,0)(8003,6)", "flush", "scheme 3", "set (8001,0)(8003,6)", "flush", "scheme 2",
          "set (8001,8)(8003,18)(34,30)", "flush", "scheme 0", "set (8001,20)(8003,24)(8000,1)", "flush", "schedule",
          "clock 07:59", "run 90", "get (34)"}},
        {"Step 4. Day/night. Scheme 0 is switched to the day/night mode; when the sensor reports night the\n"
         "thread switches to scheme 1, and back to scheme 0 by day.",
         {"scheme 0", "set (8000,2)", "flush", "run 2", "dn 1", "run 2", "get (34,2337)", "dn 0", "run 2"}},
        {"Step 5. Factory reset: the factory values are applied, the scheme files are written anew and scheme 0\n"
         "is current again.",
         {"reset", "get (34,2337,8000)", "diff-scheme sensor1_0.cfg sensor1_2.cfg"}},
    };
}
