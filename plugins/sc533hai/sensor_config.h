/* Build switches of the SC533HAI plug-in. */
#ifndef IMAGETUNE_PLUGINS_SENSOR_CONFIG_H
#define IMAGETUNE_PLUGINS_SENSOR_CONFIG_H

/* The frame rate follows the mains frequency, through the host's sensor interface. */
#define SENSOR_FPS_BY_POWER 1

#endif
