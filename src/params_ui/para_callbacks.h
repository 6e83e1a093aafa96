// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Callbacks of the three parameter pages, the slope field of the first calibration
// page and the spare help-text control. Most only show their help text; the others
// dim dependent controls, clamp an entry, redraw the video threshold or start a sensor
// action (teach, threshold save).

// TEACH: the sensor takes its measurement as the set point, and the first page and the
// evaluation bar show it. 0, or -1 when the order failed.
int PushTEACH();

// Shows a threshold in percent on the slider and on the entry beside it.
void ShowVideoThreshold(unsigned percent);

#define MQ_CALLBACK(name)                                                                                              \
    int name(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)

// first parameter page
MQ_CALLBACK(CC_DROPevalmode);
MQ_CALLBACK(CC_DROPtolMode);
MQ_CALLBACK(CC_DROPpolarity);
MQ_CALLBACK(CC_DROPaverage);
MQ_CALLBACK(CC_DROPanaMode);
MQ_CALLBACK(CC_BINSWoutMode);
MQ_CALLBACK(CC_DROPzoomMode);
MQ_CALLBACK(CC_NEDITToleranceUP);
MQ_CALLBACK(CC_NEDITToleranceLO);
MQ_CALLBACK(CC_ButtonTeach);
MQ_CALLBACK(CC_NEDITTeach);
// second parameter page
MQ_CALLBACK(CC_SLIDEpower);
MQ_CALLBACK(CC_SLIDEIntegrationTime);
MQ_CALLBACK(CC_SLIDEVideoThreshold);
MQ_CALLBACK(CC_NEDITVideoThreshold); // the exact entry beside the threshold slider
MQ_CALLBACK(CC_DROPpowerMode);
MQ_CALLBACK(CC_DROPbgMode);
MQ_CALLBACK(CC_DROP_FilterType);
MQ_CALLBACK(CC_DROPvthdmode);
MQ_CALLBACK(CC_CBTNSaveThreshold);
MQ_CALLBACK(CC_BINSWTarget);
// third parameter page
MQ_CALLBACK(CC_DROP_TrigMode);
MQ_CALLBACK(CC_DROPhardware);
MQ_CALLBACK(CC_DROPopMode);
MQ_CALLBACK(CC_DROPintrgMode);
MQ_CALLBACK(CC_NUMtrgPix);
// first calibration page, and a control without a role
MQ_CALLBACK(CC_NUMslope);
MQ_CALLBACK(CC_HelpText3);

#undef MQ_CALLBACK

// Upper tolerance allowed above a set point: none when the set point leaves no room.
unsigned short ClampUpperTolerance(unsigned short upper, unsigned short teach, unsigned short pixelCount);
// Lower tolerance allowed below a set point: none when the set point is 0.
unsigned short ClampLowerTolerance(unsigned short lower, unsigned short teach);
