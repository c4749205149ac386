/* Shared between the plug-in's own sources; nothing here is exported. */
#ifndef IMAGETUNE_PLUGINS_SENSOR_INTERNAL_H
#define IMAGETUNE_PLUGINS_SENSOR_INTERNAL_H

#include "sensor_profile.h"

#define SENSOR_UNITY_GAIN 1024u
#define SENSOR_DEFAULT_FPS 25u
#define SENSOR_MAX_FPS 30u

extern sensor_ae_attr_st gst_sensor_ae SENSOR_HIDDEN;

int sensor_init_ae(int unused) SENSOR_HIDDEN;
int sensor_set_mode(int param0, int param1, unsigned fps, int mode) SENSOR_HIDDEN;
int sensor_split_gain(unsigned total, unsigned* sensor, unsigned* digital, unsigned* isp) SENSOR_HIDDEN;

#endif
