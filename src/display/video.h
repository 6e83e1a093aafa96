// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The video loop: a measurement frame and the receiver's intensity profile per pass,
// drawn with the video threshold.

// Runs the video loop until stop_flag leaves 0, then calls PushSTOP.
void PushVIDEO();
// Replaces the profile by its comparison with the threshold: ADCMAX - 1 above, 0 else.
void CompareWithThreshold(unsigned short *video, const unsigned short *threshold, unsigned short adcMax);
