/* What a plug-in takes from the ISP host process that loads it. The host owns the parameter blocks; a
 * plug-in writes only the mode word of each, so only that word's place is part of the contract (the words
 * around it give the stand-in host blocks of a plausible size). */
#ifndef IMAGETUNE_PLUGINS_SENSOR_ISP_HOST_H
#define IMAGETUNE_PLUGINS_SENSOR_ISP_HOST_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    uint32_t word_000[14];
    uint32_t mode; /* byte offset 56 */
    uint32_t word_060[17];
} isp_ae_params_st;

typedef struct {
    uint32_t word_000[5];
    uint32_t mode; /* byte offset 20 */
    uint32_t word_024[10];
} isp_po_params_st;

extern isp_ae_params_st gst_ae_params;
extern isp_po_params_st gst_po_params;

/* Mains frequency in Hz (50 or 60). */
int machine_power_hz_get(int pad);

/* The SoC's sensor interface. */
int MI_SNR_GetFps(int pad, unsigned* fps);
int MI_SNR_SetFps(int pad, unsigned fps);

#ifdef __cplusplus
}
#endif

#endif
