#include "plotr/map/MapRenderer.h"

// One line per layer painter: the layer and the painter object that draws it.
MapPainterSet DefaultMapPainters() {
  MapPainterSet painters;
  return painters;
}
