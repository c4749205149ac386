// The frame-rate, WDR and lens-distortion limits of a channel's current video mode.
#ifndef IMAGETUNE_PLATFORM_LIMITEDFRAMESWDRMODEPARAM_H
#define IMAGETUNE_PLATFORM_LIMITEDFRAMESWDRMODEPARAM_H

class LimitedFramesWDRModeParam {
public:
    LimitedFramesWDRModeParam() : m_nLimitFramesModeId(0), m_nLimitWdr(0), m_nLDCSupport(0), m_nLDCSwitch(0) {}
    int getLimitFramesModeId() const { return m_nLimitFramesModeId; }
    int getLimitWdr() const { return m_nLimitWdr; }
    int getLDCSupport() const { return m_nLDCSupport; }
    int getLDCSwitch() const { return m_nLDCSwitch; }
    void setLimitFramesModeId(int p_n) { m_nLimitFramesModeId = p_n; }
    void setLimitWdr(int p_n) { m_nLimitWdr = p_n; }
    void setLDCSupport(int p_n) { m_nLDCSupport = p_n; }
    void setLDCSwitch(int p_n) { m_nLDCSwitch = p_n; }

private:
    int m_nLimitFramesModeId;
    int m_nLimitWdr;
    int m_nLDCSupport;
    int m_nLDCSwitch;
};

#endif
