// Style operations: merging the style-diversity edits into a style document, reading detail fields, and the
// dynamic-parameter style and factory data.
#ifndef IMAGETUNE_SENSORSTYLE_H
#define IMAGETUNE_SENSORSTYLE_H

#include <string>

#include "SensorKeyVal.h"
#include "sensor.h"

// Declared by the style layer (merge: libimagetune/style; dynamic style and factory data likewise).

#endif
