// 32-bit floats in JSON files: a float goes in as the double whose shortest
// text is the float's own shortest text, so 12.3f is written 12.3, not
// 12.300000190734863, and reads back to the same float bit for bit.
#pragma once

namespace r742 {

// `value` itself when it is not finite (JSON has no such numbers).
double ShortestDouble(float value);

}  // namespace r742
