#pragma once

// Degrees and minutes of a coordinate rounded to hundredths of a minute, as the plan formats
// print positions: whole degrees kept, the fraction rounded to a hundredth of a minute.

struct FlpxDegMin {
  bool negative = false;  // the letter: S or W
  int degrees = 0;        // without sign
  double minutes = 0;     // absolute value
};

FlpxDegMin SplitDegrees(double value);
