// The application's zoom and focus settings.
#ifndef IMAGETUNE_PLATFORM_SENSORZOOMFOCUSPARAM_H
#define IMAGETUNE_PLATFORM_SENSORZOOMFOCUSPARAM_H

class SensorZoomFocusParam {
public:
    SensorZoomFocusParam() : m_bLockZoomFocusEnable(false) {}
    bool getLockZoomFocusEnable() const { return m_bLockZoomFocusEnable; }
    void setLockZoomFocusEnable(bool p_b) { m_bLockZoomFocusEnable = p_b; }

private:
    bool m_bLockZoomFocusEnable;
};

#endif
