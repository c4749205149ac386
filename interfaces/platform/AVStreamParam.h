// One video stream as the application describes it.
#ifndef IMAGETUNE_PLATFORM_AVSTREAMPARAM_H
#define IMAGETUNE_PLATFORM_AVSTREAMPARAM_H

class AVStreamParam {
public:
    AVStreamParam() : m_nVideoEncoderType(0), m_nVideoHeight(0) {}
    int getVideoEncoderType() const { return m_nVideoEncoderType; }
    int getVideoHeight() const { return m_nVideoHeight; }
    void setVideoEncoderType(int p_n) { m_nVideoEncoderType = p_n; }
    void setVideoHeight(int p_n) { m_nVideoHeight = p_n; }

private:
    int m_nVideoEncoderType;
    int m_nVideoHeight;
};

#endif
