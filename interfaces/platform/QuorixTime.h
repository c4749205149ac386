// A span of seconds and microseconds, and the platform's sleep.
#ifndef IMAGETUNE_PLATFORM_QUORIXTIME_H
#define IMAGETUNE_PLATFORM_QUORIXTIME_H

class QuorixTime {
public:
    QuorixTime(long p_nSec, long p_nUsec);
    long getSec() const { return m_nSec; }
    long getUsec() const { return m_nUsec; }
    // Sleeps for the span (scaled by the simulated clock's wait scale, see SimControl.h).
    static void wait(const QuorixTime& p_objTime);

private:
    long m_nSec;
    long m_nUsec;
};

#endif
