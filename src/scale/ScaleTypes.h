#pragma once

// The scale type index is the 0-based row of ScaleTypel (the stored scale type - 1). Indexes 0,
// 1, 2 and 4 are frame protocols; this one means the weights are typed and no reader runs.
inline constexpr int kManualScaleTypeIndex = 3;
