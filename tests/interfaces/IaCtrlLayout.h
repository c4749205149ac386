/* The record layout of ia_ctrl.h as seen by a C translation unit. */
#ifndef IMAGETUNE_TESTS_IACTRLLAYOUT_H
#define IMAGETUNE_TESTS_IACTRLLAYOUT_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

struct IaCtrlLayout {
    size_t nCmdsSize;
    size_t nAttrSize;
    size_t nAttrItemOffset;
    size_t nAttrItemsCntOffset;
    size_t nDnThrSize;
    size_t nDnTimeSize;
    size_t nAeInfoSize;
    size_t nIrLedSize;
    size_t nCheckSize;
    size_t nCmdSize;
};

void ia_ctrl_c_layout(struct IaCtrlLayout* p_pOut);

#ifdef __cplusplus
}
#endif

#endif
