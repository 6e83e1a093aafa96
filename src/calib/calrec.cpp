// SPDX-License-Identifier: GPL-3.0-or-later

#include "calib/calrec.h"

#include <algorithm>

double DSLOPE_UM;
double slopeval;
double YSCALE_FAC;
double MAXRANGE_MM;
double xArray_pi[kVideoPoints];
double xArray_mm[kVideoPoints];
double *xARRAY = xArray_pi;
int mm_flag;
unsigned char linArray[4096];

void SetCalibrationDefaults(CalibrationHeader &c)
{
    c.HW_TYPE = 517318;
    c.SER_NO = 0;
    c.XF_DIVISOR = 1;
    c.XF_SIZE = 2048;
    c.reserved = 0;
    c.UM_SLOPE = 81920;
    c.UM_OFFSET = 0;
    c.UM_RANGE = 20000;
}

double ScaleOfSlopeWord(std::uint32_t slopeWord) { return slopeWord / 16384000.0; }

double RecomputeMillimetrePoints()
{
    for (int i = 0; i < kVideoPoints; ++i)
        xArray_mm[i] = YSCALE_FAC * xArray_pi[i];
    return *std::max_element(xArray_mm, xArray_mm + kVideoPoints);
}
