// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Callbacks of the main panel's measurement and display controls.

#define MQ_MAIN_CALLBACK(name)                                                                                         \
    int name(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)

MQ_MAIN_CALLBACK(CC_BTNRun);
MQ_MAIN_CALLBACK(CC_BTNStop);
MQ_MAIN_CALLBACK(CC_BTNVideo);
MQ_MAIN_CALLBACK(CC_ButtonReset);
MQ_MAIN_CALLBACK(CC_BINSWmillimeter);
MQ_MAIN_CALLBACK(CC_TOGGButtonZoom);
MQ_MAIN_CALLBACK(CC_TOGGButtonRaw);
MQ_MAIN_CALLBACK(CC_NEDITEdgeLeft);
MQ_MAIN_CALLBACK(CC_NEDITEdgeRight);
MQ_MAIN_CALLBACK(CC_GRAPHRaw);
MQ_MAIN_CALLBACK(CC_GRAPHVideo);
MQ_MAIN_CALLBACK(CC_DECOmaxmin1);
MQ_MAIN_CALLBACK(CC_DECOrunstop);
MQ_MAIN_CALLBACK(CC_TABmain);

#undef MQ_MAIN_CALLBACK
