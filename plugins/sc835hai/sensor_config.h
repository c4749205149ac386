/* Build switches of the SC835HAI plug-in. */
#ifndef IMAGETUNE_PLUGINS_SENSOR_CONFIG_H
#define IMAGETUNE_PLUGINS_SENSOR_CONFIG_H

/* No frame-rate logic: the plug-in imports nothing of the host's sensor interface. */
#define SENSOR_FPS_BY_POWER 0

#endif
